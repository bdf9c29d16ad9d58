#pragma once

#include "engine/core/base/VXLObjectWatch.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

class CKORVFunctionHelper;
class CStackMachine;
class CVXLUiJobStack;
class CVXLValueStack;

// A built-in of the scenario language: pops its own arguments from the
// machine's value stack (the last on top) and pushes its own result. 1 lets
// the program go on; 0 suspends it until the helper resumes the machine.
using KORVBuiltin = int (*)(CKORVFunctionHelper& helper, void* context);
// Takes the next event that reaches the helper while the program waits.
using KORVWaitHandler = void (*)(CKORVFunctionHelper& helper, CVXLEvent* event);

// The stack machine's first child: it carries out the built-in functions,
// which are plugged into its table by index, and is where the events that UI
// jobs send the running program arrive. While the program waits, the wait
// handler takes those events and resumes the machine with the continue event.
class CKORVFunctionHelper : public CVXLEventHandler {
public:
    static constexpr std::uint32_t kBuiltinCount = 46;
    static constexpr std::uint32_t kRingSlots = 2;

    explicit CKORVFunctionHelper(CStackMachine* machine);
    ~CKORVFunctionHelper() override;

    // Plugs a built-in into the table; an index outside it is ignored.
    void setBuiltin(std::uint32_t index, KORVBuiltin builtin, void* context = nullptr);
    // Runs a built-in. An entry without operation counts as success; an
    // index outside the table stops the run as a bad program.
    int call(std::uint32_t index);

    CStackMachine* machine() const { return machine_; }
    CVXLValueStack& values();
    CVXLUiJobStack* uiJobs();

    std::int32_t pendingResume() const { return pendingResume_; }
    void setPendingResume(std::int32_t code) { pendingResume_ = code; }

    // Waits for the next event below 68: posts the pending resume event (if
    // any) to the current UI job, sets the default wait handler and answers
    // 0, so the machine suspends. The event's code becomes the result.
    int waitForNextEvent();
    // A wait on another job's answer; `peer` is that job, whose traffic is
    // cancelled when the helper is stopped before the answer came.
    void setWaitHandler(KORVWaitHandler handler, CVXLEventHandler* peer = nullptr);
    bool isWaiting() const { return wait_ != nullptr; }
    // Posts the continue event to the machine.
    void resumeMachine();
    // Posts an event with the code from the helper to the machine.
    void sendToMachine(std::int32_t code);

    // Keeps an object a built-in made for the running program (a result the
    // program may still hold); deleted when the run ends. False, with the
    // object deleted, when it cannot be kept.
    bool adoptForRun(CVXLObject* object);
    std::uint32_t runObjectCount() const { return runObjects_.count(); }
    // References the engine handed to the running program (arguments, results
    // of built-ins, values of UI jobs). Only these are read back as objects:
    // an address the program moved with "+", one from elsewhere, or one whose
    // object was destroyed during the run, is not.
    void handOut(const void* reference);
    bool isHandedOut(const void* reference) const;

    void init() override;
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    const char* name() const override { return "KORV Function Helper"; }

private:
    struct Entry {
        KORVBuiltin builtin;
        void* context;
    };

    static void takeEventCode(CKORVFunctionHelper& helper, CVXLEvent* event);
    void onEventWhileStopping(CVXLEvent* event);

    CStackMachine* machine_;
    Entry table_[kBuiltinCount] = {};
    KORVWaitHandler wait_ = nullptr;
    CVXLEventHandler* waitPeer_ = nullptr;
    std::int32_t pendingResume_;
    std::int32_t stopCountdown_ = 0;
    CVXLSimpleEvent continue_;
    CVXLSimpleEvent slots_[kRingSlots];
    CVXLEventRing ring_;
    CVXLPtrArray runObjects_;
    // Addresses only, never dereferenced here; forgotten as their objects go.
    CVXLObjectWatch handedOut_;
};
