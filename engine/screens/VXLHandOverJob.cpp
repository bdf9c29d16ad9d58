#include "engine/screens/VXLHandOverJob.h"

#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/screens/VXLLayout.h"

CVXLHandOverJob::CVXLHandOverJob()
    : CVXLUiJob(&CVXLHandOverJob::Initial, kFirstExternalCode)
{
}

CVXLHsmState CVXLHandOverJob::Initial(const CVXLEvent*)
{
    setState(&CVXLHandOverJob::Running);
    return handled();
}

CVXLHsmState CVXLHandOverJob::Running(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    if (s >= kSignalUser) {
        onSignal(s);
        return handled();
    }
    return super(&CVXLHsm::top);
}

void CVXLHandOverJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    if (event == &startEvent()) {
        finishEvent(event);
        onStart();
        return;
    }
    if (event->kind() == kEventReply) {
        onReply(event);
        return;
    }
    if (event->effectiveCode() == kEventStop) {
        if (heldStop_)
            return;
        if (onStop()) {
            heldStop_ = event;
            return;
        }
    }
    finishEvent(event);
}

void CVXLHandOverJob::finishHeldStop()
{
    CVXLEvent* stop = heldStop_;
    heldStop_ = nullptr;
    if (stop)
        finishEvent(stop);
}

std::int32_t CVXLHandOverJob::onFinished()
{
    heldStop_ = nullptr;
    return CVXLUiJob::onFinished();
}

void CVXLHandOverJob::present(CVXLLayout* layout)
{
    if (!layout)
        return;
    layout->setOwner(this);
    if (isLayoutShown())
        updateLayout();
    else
        showLayout();
}

void CVXLHandOverJob::endWith(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
}
