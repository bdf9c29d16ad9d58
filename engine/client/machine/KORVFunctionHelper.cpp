#include "engine/client/machine/KORVFunctionHelper.h"

#include "engine/client/machine/StackMachine.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/screens/VXLUiJob.h"

CKORVFunctionHelper::CKORVFunctionHelper(CStackMachine* machine)
    : machine_(machine)
    , pendingResume_(kNoResumeEvent)
    , continue_(kEventContinue)
    , ring_(this, slots_, kRingSlots)
{
}

CKORVFunctionHelper::~CKORVFunctionHelper()
{
    runObjects_.deleteAll();
}

bool CKORVFunctionHelper::adoptForRun(CVXLObject* object)
{
    if (!object)
        return false;
    if (!runObjects_.insertAt(object, -1)) {
        delete object;
        return false;
    }
    return true;
}

// The helper is stopped at the end of every run, and by then every request a
// built-in sent has come back (the stop waits for cancelled ones).
std::int32_t CKORVFunctionHelper::onFinished()
{
    runObjects_.deleteAll();
    handedOut_.clear();
    return CVXLEventHandler::onFinished();
}

void CKORVFunctionHelper::handOut(const void* reference)
{
    handedOut_.add(static_cast<const CVXLObject*>(reference));
}

bool CKORVFunctionHelper::isHandedOut(const void* reference) const
{
    return handedOut_.contains(static_cast<const CVXLObject*>(reference));
}

void CKORVFunctionHelper::setBuiltin(std::uint32_t index, KORVBuiltin builtin, void* context)
{
    if (index < kBuiltinCount)
        table_[index] = {builtin, context};
}

int CKORVFunctionHelper::call(std::uint32_t index)
{
    if (index >= kBuiltinCount) {
        machine_->fail(kResultMachineBadProgram);
        return 1;
    }
    const Entry& entry = table_[index];
    return entry.builtin ? entry.builtin(*this, entry.context) : 1;
}

CVXLValueStack& CKORVFunctionHelper::values()
{
    return machine_->values();
}

CVXLUiJobStack* CKORVFunctionHelper::uiJobs()
{
    return machine_->uiJobs();
}

int CKORVFunctionHelper::waitForNextEvent()
{
    if (pendingResume_ != kNoResumeEvent) {
        if (CVXLUiJobStack* stack = uiJobs())
            stack->sendToCurrent(pendingResume_);
        pendingResume_ = kNoResumeEvent;
    }
    setWaitHandler(&CKORVFunctionHelper::takeEventCode);
    return 0;
}

void CKORVFunctionHelper::setWaitHandler(KORVWaitHandler handler, CVXLEventHandler* peer)
{
    wait_ = handler;
    waitPeer_ = handler ? peer : nullptr;
}

void CKORVFunctionHelper::takeEventCode(CKORVFunctionHelper& helper, CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code >= kEventFirstProducerCode)
        return;
    helper.setWaitHandler(nullptr);
    helper.values().push(CVXLVariant(static_cast<int>(code)));
    helper.resumeMachine();
}

void CKORVFunctionHelper::resumeMachine()
{
    CVXLEvent* event = continue_.isBusy() ? ring_.acquire() : &continue_;
    if (!event)
        return;
    event->setRequestCode(kEventContinue);
    event->setReplyCode(kEventContinue);
    post(machine_, event);
}

void CKORVFunctionHelper::sendToMachine(std::int32_t code)
{
    CVXLEvent* event = ring_.acquire();
    if (!event)
        return;
    event->setRequestCode(code);
    event->setReplyCode(code);
    post(machine_, event);
}

void CKORVFunctionHelper::init()
{
    pendingResume_ = kNoResumeEvent;
    setWaitHandler(nullptr);
    stopCountdown_ = 0;
}

void CKORVFunctionHelper::onEvent(CVXLEvent* event)
{
    if (stopRequested()) {
        onEventWhileStopping(event);
        return;
    }
    if (event->effectiveCode() == kSignalNestedRunEnded) {
        CVXLUiJobStack* stack = uiJobs();
        if (stack && stack->current()) {
            forward(stack->current(), event);
            return;
        }
    } else if (wait_ && event->effectiveCode() != kEventStart) {
        wait_(*this, event);
    }
    finishEvent(event);
}

void CKORVFunctionHelper::onEventWhileStopping(CVXLEvent* event)
{
    if (event == &stopEvent()) {
        // A wait on another job's answer: cancel that traffic and finish the
        // stop only once every touched event has come back.
        const int touched = waitPeer_ ? cancelEventsWith(waitPeer_) : 0;
        setWaitHandler(nullptr);
        if (touched > 0) {
            stopCountdown_ = touched;
            resume();
            return;
        }
        finishEvent(event);
        return;
    }
    finishEvent(event);
    if (stopCountdown_ > 0 && --stopCountdown_ == 0)
        finishEvent(&stopEvent());
}
