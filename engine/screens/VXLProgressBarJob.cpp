#include "engine/screens/VXLProgressBarJob.h"

#include "engine/core/jobs/VXLEventCodes.h"

CVXLProgressBarJob::CVXLProgressBarJob()
    : CVXLUiJob(&CVXLProgressBarJob::Initial, kFirstExternalCode)
{
}

CVXLHsmState CVXLProgressBarJob::Initial(const CVXLEvent*)
{
    setState(&CVXLProgressBarJob::Showing);
    return handled();
}

CVXLHsmState CVXLProgressBarJob::Showing(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        layout_.setState(kLayoutState);
        layout_.setOwner(this);
        showLayout();
        return handled();
    }
    return super(&CVXLHsm::top);
}

void CVXLProgressBarJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) == 0)
        finishEvent(event);
}

std::int32_t CVXLProgressBarJob::onFinished()
{
    releaseLayout();
    return CVXLUiJob::onFinished();
}
