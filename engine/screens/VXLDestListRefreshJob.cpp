#include "engine/screens/VXLDestListRefreshJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

// "There was an error trying to register your phone."
constexpr std::uint32_t kRegistrationFailedText = 756;

} // namespace

CVXLDestListRefreshJob::CVXLDestListRefreshJob()
    : CVXLUiJob(&CVXLDestListRefreshJob::Initial, kFirstExternalCode)
    , registerEvent_(kEventVraxRegister, kReplyRegister)
{
    registerEvent_.repeatPermitted = 1;
}

void CVXLDestListRefreshJob::init()
{
    CVXLScreenServices* screen = services();
    vraxJob_ = screen ? screen->vraxJob() : nullptr;
    cancelResult_ = kEndBack;
    CVXLUiJob::init();
}

// The reply and the poll come at or above the first external code: the
// base leaves them to the job. The poll is done with before it is armed
// again.
void CVXLDestListRefreshJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventTimer) {
        finishEvent(event);
        if (code == kTimerPoll)
            dispatch(event);
        return;
    }
    if (code == kReplyRegister)
        dispatch(event);
    finishEvent(event);
}

std::int32_t CVXLDestListRefreshJob::onFinished()
{
    cancelEvent(&pollEvent_);
    return CVXLUiJob::onFinished();
}

bool CVXLDestListRefreshJob::downloadStarted() const
{
    CVXLScreenServices* screen = services();
    CVXLString total;
    return screen && screen->persistentString(kPersDestlistProgressTotal, total) && total.length() != 0
        && total.toInt() != 0;
}

void CVXLDestListRefreshJob::stopChild()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    if (child->typeId() != kSpinnerJobType && child->typeId() != kProgressJobType)
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLDestListRefreshJob::finish(std::int32_t result)
{
    notifyOwner(result);
    return transition(&CVXLDestListRefreshJob::Finished);
}

CVXLHsmState CVXLDestListRefreshJob::Initial(const CVXLEvent*)
{
    setState(&CVXLDestListRefreshJob::Check);
    return handled();
}

// While the configuration is being read again the check is made again at
// the job's next turn, so the other jobs go on meanwhile.
CVXLHsmState CVXLDestListRefreshJob::Check(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalCheck);
        return handled();
    case kSignalCheck: {
        CVXLScreenServices* screen = services();
        if (screen && screen->scenarioReloading()) {
            postSignal(kSignalCheck);
            return handled();
        }
        // The key is emptied, not removed, when the registration is undone.
        CVXLString version;
        if (screen && screen->persistentString(kPersVraxVerId, version) && version.length() != 0)
            return finish(kEndRegistered);
        registerEvent_.serverErrorCode = 0;
        registerEvent_.serverErrorText = CVXLString();
        if (!vraxJob_ || registerEvent_.isBusy()) {
            VXL_LOG_FAILURE("destination list: no registration can be sent");
            showError(kErrorRegistration);
            return transition(&CVXLDestListRefreshJob::Failed);
        }
        post(vraxJob_, &registerEvent_);
        return transition(&CVXLDestListRefreshJob::WaitStart);
    }
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestListRefreshJob::Registering(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalExit:
        cancelEvent(&pollEvent_);
        return handled();
    case kReplyRegister:
        if (e->succeeded())
            return finish(kEndRegistered);
        if (e->result() == kResultCancelled) {
            showInfo(kNoticeRegistrationCancelled, 0, 1);
            return transition(&CVXLDestListRefreshJob::Cancelled);
        }
        VXL_LOG_INFO(
            "destination list: registration answered %d (%d)", e->result(), registerEvent_.serverErrorCode);
        if (e->result() == kResultNetworkNotice) {
            CVXLString text = screenText(kRegistrationFailedText);
            text += " (";
            text += CVXLString(registerEvent_.serverErrorCode);
            text += ")";
            showErrorText(kErrorRegistration, text);
        } else {
            showError(kErrorRegistration);
        }
        return transition(&CVXLDestListRefreshJob::Failed);
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        cancelResult_ = signalOf(e) == kChildExit ? kEndExit : kEndBack;
        cancelEventsWith(vraxJob_);
        postSignal(kSignalCancelled);
        return transition(&CVXLDestListRefreshJob::AfterCancel);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestListRefreshJob::WaitStart(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild43();
        postDelayed(&pollEvent_, kPollMs);
        return handled();
    case kSignalExit:
        stopChild();
        return handled();
    case kTimerPoll:
        if (downloadStarted())
            return transition(&CVXLDestListRefreshJob::Progress);
        postDelayed(&pollEvent_, kPollMs);
        return handled();
    }
    return super(&CVXLDestListRefreshJob::Registering);
}

CVXLHsmState CVXLDestListRefreshJob::Progress(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showProgress(kProgressState, kPersDestlistProgressCurrent, kPersDestlistProgressTotal, false);
        return handled();
    case kSignalExit:
        stopChild();
        return handled();
    }
    return super(&CVXLDestListRefreshJob::Registering);
}

CVXLHsmState CVXLDestListRefreshJob::AfterCancel(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalCancelled:
        return finish(cancelResult_);
    case kReplyRegister:
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestListRefreshJob::Cancelled(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestListRefreshJob::Failed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
        return transition(&CVXLDestListRefreshJob::Check);
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestListRefreshJob::Finished(const CVXLEvent* e)
{
    if (signalOf(e) >= kSignalUser)
        return handled();
    return super(&CVXLHsm::top);
}
