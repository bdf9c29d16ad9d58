#pragma once

#include "engine/client/machine/KORVFunctionHelper.h"
#include "engine/client/machine/VXLInterpreter.h"
#include "engine/client/machine/VXLInterpreterHost.h"
#include "engine/core/base/VXLVariantMap.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

class CVXLCounterTable;
class CVXLRunRequest;
class CVXLScenarioProgram;
class CVXLUiJobStack;

// The job that runs the compiled scenario program. Attaching it runs the
// start-up function (function 0) at once; each run request (117) then calls
// the entry function with the request's arguments and runs it in slices of
// ten instructions, one per continue event (118) that the machine posts to
// itself, so the engine stays responsive. A built-in that waits, or a screen
// function whose UI job is being released, suspends the run until the helper
// or the UI-job stack posts the continue event. The run request stays in
// progress for the whole run and is answered once the helper, stopped at the
// end of the run, and every UI job of the run have finished.
//
// Events below 68 go to the helper; 68 to 116 to the parent (the Producer).
class CStackMachine : public CVXLEventHandler, private CVXLInterpreterHost {
public:
    static constexpr std::uint32_t kRingSlots = 2;
    // A start-up function still running after this many slices is taken to
    // loop and fails the attach.
    static constexpr int kMaxStartupSlices = 100000;

    explicit CStackMachine(CVXLUiJobStack* uiJobs);
    ~CStackMachine() override;

    void setProgram(const CVXLScenarioProgram* program);
    const CVXLScenarioProgram* program() const { return program_; }
    // Where counter 14 is sampled; without a table the samples are 0.
    void setCounters(CVXLCounterTable* counters) { counters_ = counters; }

    // The machine that was running before this one (the Producer's chain).
    CStackMachine* link() const { return link_; }
    void setLink(CStackMachine* machine) { link_ = machine; }
    CStackMachine* takeLink();

    CKORVFunctionHelper& helper() { return helper_; }
    CVXLInterpreter& interpreter() { return interpreter_; }
    CVXLValueStack& values() { return interpreter_.values(); }
    CVXLVariantMap& properties() { return properties_; }
    CVXLUiJobStack* uiJobs() const { return uiJobs_; }

    std::int32_t programCounter() const { return interpreter_.programCounter(); }
    std::int32_t error() const { return interpreter_.error(); }
    // False when the start-up function failed at the last attach.
    bool attachSucceeded() const { return attachSucceeded_; }
    // Stops the run with an error word (-2 for a failed assertion): this
    // machine's UI jobs are unwound as by a halt, so the run still finishes.
    void fail(std::int32_t error);
    CVXLRunRequest* runRequest() const { return runRequest_; }

    void init() override;
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "Stack Machine"; }

private:
    int callBuiltin(std::uint32_t index) override;
    void releaseScreenJob() override;
    void returnedIntoScreenFunction() override;
    void unwindScreenJobs() override;

    void start(CVXLEvent* event);
    void continueRun(CVXLEvent* event);
    void endRun();
    void finishRunRequest();
    std::int32_t newLayoutCount() const;

    CStackMachine* link_ = nullptr;
    const CVXLScenarioProgram* program_ = nullptr;
    CVXLInterpreter interpreter_;
    CVXLVariantMap properties_;
    CKORVFunctionHelper helper_;
    CVXLUiJobStack* uiJobs_;
    CVXLSimpleEvent slots_[kRingSlots];
    CVXLEventRing ring_;
    CVXLCounterTable* counters_ = nullptr;
    CVXLRunRequest* runRequest_ = nullptr;
    bool attachSucceeded_ = false;
};
