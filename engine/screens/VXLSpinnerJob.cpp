#include "engine/screens/VXLSpinnerJob.h"

void CVXLSpinnerJob::init()
{
    CVXLScreenJob::init();
    showOwnLayout();
}

void CVXLSpinnerJob::onLayoutAction(std::uint32_t eventId)
{
    const std::int32_t answer = answerOf(eventId);
    if (answer >= 0 && answer != kChildContinue)
        notifyOwner(answer);
}

int CVXLSpinnerJob::filterEvent(CVXLEvent* event)
{
    if (event->effectiveCode() != kSignalDone)
        return CVXLScreenJob::filterEvent(event);
    finishEvent(event);
    answerAndEnd(kSignalDone);
    return 1;
}
