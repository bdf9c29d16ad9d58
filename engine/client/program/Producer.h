#pragma once

#include "engine/client/machine/StackMachine.h"
#include "engine/client/machine/VXLRunRequest.h"
#include "engine/client/machine/VXLScenarioProgram.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

class CKORVFunctionHelper;
class CVXLCounterTable;
class CVXLLayout;
class CVXLUiJobPool;

// Fills the built-in table of a stack machine's helper (setBuiltin by index).
using KORVBuiltinInstaller = void (*)(CKORVFunctionHelper& helper, void* context);

// The job that turns a user's activity (event codes 69 to 116) into a run of
// the compiled scenario program. For each activity it takes a stack machine,
// seeds its named properties from the activity, sends it one operation event
// (117) and waits until the run has ended; then it tells the user interface
// where to go next (back to the menu or to the idle screen) and completes the
// activity event of that run.
//
// Activities 69 to 109 wait in the incoming queue while an operation runs.
// Activities 112 to 114 from anyone, and 110, 111 and 116 from the Producer's
// own machines, go to the own queue and start a nested machine on top of the
// running one at once; when a nested run ends, the outer program's current UI
// job is told with signal 11 and, when non-zero, the nested result.
//
// Every machine the Producer pushes gets the built-in table through the
// installer: the Producer's own when set, else the process-wide default.
class CProducer : public CVXLEventHandler {
public:
    // What the Producer needs of the Client: the engine counters its machines
    // sample, the screen requests that end an outermost operation, the notice to
    // every job that a push payload arrived, the result-handler registry it
    // clears when an operation ends and the UI-job pool it releases when it
    // finishes.
    class Services {
    public:
        virtual ~Services() = default;

        virtual CVXLCounterTable& counters() = 0;
        virtual void queueReturnToMenu(std::int32_t value) = 0;
        virtual void queueReturnToIdle() = 0;
        // Queues the user-interface code that the next tick broadcasts.
        virtual void queuePushPayloadNotice() = 0;
        virtual void clearResultHandlers() = 0;
        virtual void releaseUiJobPool() = 0;
        // An outermost operation has ended: a waiting push may be handed on.
        virtual void pushStep() { }
    };

    enum Mode : std::int32_t {
        kModeIdle = 0,
        kModeMenu = 1,
        kModeOther = 2,
    };

    // Menu activities (mode 1) run from this code to kLastMenuActivity.
    static constexpr std::int32_t kFirstMenuActivity = 70;
    static constexpr std::int32_t kLastMenuActivity = 104;
    static constexpr std::int32_t kFirstActivity = 69;
    static constexpr std::int32_t kLastQueuedActivity = 109;
    static constexpr std::int32_t kFirstNestedActivity = 112;
    static constexpr std::int32_t kLastNestedActivity = 114;
    // The data-charge notice: re-posted once through the incoming queue, and
    // refused with kResultOperationRunning while an operation runs.
    static constexpr std::int32_t kActivityDataCharge = 115;
    // The push hand-off to the message summary job.
    static constexpr int kMessageSummaryJobType = 28;
    static constexpr std::int32_t kSignalPushPayload = 59;
    static constexpr std::uint32_t kRingSlots = 4;

    // Named properties a run finds in its machine.
    static constexpr const char* kPropertySmsSubject = "sms_subject";
    static constexpr const char* kPropertySmsText = "sms_text";
    static constexpr const char* kPropertyFavoriteLocation = "favorite_storage_location";
    static constexpr const char* kPropertyFavoritePosition = "favorite_position";

    // The Client may be null (a Producer tested on its own): then nothing is
    // queued for the user interface and no counter is sampled.
    explicit CProducer(Services* client);
    ~CProducer() override;

    // The program every machine runs; null (the default) is the shipped one.
    void setProgram(const CVXLScenarioProgram* program) { program_ = program; }
    const CVXLScenarioProgram* program();
    void setUiJobPool(CVXLUiJobPool* pool) { uiJobs_.setPool(pool); }
    void setBuiltinInstaller(KORVBuiltinInstaller installer, void* context = nullptr);

    bool isIdle() const { return mode_ == kModeIdle; }
    Mode mode() const { return mode_; }
    CStackMachine* currentMachine() const { return current_; }
    // Machines on the stack.
    std::uint32_t machineDepth() const;
    CVXLUiJobStack& uiJobs() { return uiJobs_; }

    // A push payload arrived (called by the Client).
    void deliverPushPayload(std::int32_t code);
    // Hands the activity in progress here on to the UI job, which answers
    // it to its sender; no run refers to it any more, since the sender may
    // delete it before the run ends.
    void handOnActivity(CVXLEventHandler* job, CVXLEvent* activity);
    // The user interface released a layout (called by the Client).
    void layoutReleased(CVXLLayout* layout);

    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    void childFinished(CVXLEventHandler* child) override;
    void receive(CVXLEvent* event) override;
    const char* name() const override { return "Producer"; }

private:
    void queueHere(CVXLEvent* event, bool own);
    void onDataCharge(CVXLEvent* event);
    void startOperation(CVXLEvent* activity);
    CStackMachine* pushMachine();
    CStackMachine* popMachine(CStackMachine* machine);
    void seedProperties(CStackMachine* machine, CVXLEvent* activity);
    CVXLRunRequest* takeRunRequest();
    void finishOperation(CVXLRunRequest* run);
    void outermostEnded(const CVXLRunRequest& run);
    void completeActivity(CVXLEvent* activity, std::int32_t result);
    void failActivity(CVXLEvent* activity);
    void beginStop(CVXLEvent* stop);
    void finishStopWhenDone();
    void installBuiltins(CStackMachine* machine);

    Services* client_;
    CVXLUiJobStack uiJobs_;
    CVXLSimpleEvent slots_[kRingSlots];
    CVXLEventRing ring_;
    Mode mode_ = kModeIdle;
    CStackMachine* current_ = nullptr;
    CStackMachine embedded_;
    CVXLRunRequest operation_;
    const CVXLScenarioProgram* program_ = nullptr;
    CVXLScenarioProgram shipped_;
    KORVBuiltinInstaller installer_ = nullptr;
    void* installerContext_ = nullptr;
    // Operation events posted and not yet back; each names its activity.
    CVXLPtrArray runs_;
    // Data-charge events re-posted once, waiting in the incoming queue.
    CVXLPtrArray reposted_;
    // The stop event while the Producer winds down its machines.
    CVXLEvent* stopping_ = nullptr;
};
