#include "engine/screens/VXLScreenJob.h"

#include "engine/screens/VXLLayout.h"

void CVXLScreenJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) == 0)
        finishEvent(event);
}

int CVXLScreenJob::filterEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code >= kChildContinue && code <= kChildExit) {
        startCurrentChild();
        return 0;
    }
    if (code == kSignalRefresh) {
        onRefresh();
        finishEvent(event);
        return 1;
    }
    return 0;
}

std::int32_t CVXLScreenJob::answerOf(std::uint32_t eventId)
{
    switch (eventId & 0xFFFFu) {
    case kLayoutActionContinue:
        return kChildContinue;
    case kLayoutActionBack:
        return kChildBack;
    case kLayoutActionCancel:
        return kChildCancel;
    case kLayoutActionExit:
        return kChildExit;
    default:
        return -1;
    }
}

void CVXLScreenJob::answerKey(std::uint32_t eventId)
{
    const std::int32_t answer = answerOf(eventId);
    if (answer >= 0)
        answerAndEnd(answer);
}

void CVXLScreenJob::showOwnLayout()
{
    if (CVXLLayout* layout = getLayout()) {
        layout->setOwner(this);
        showLayout();
    }
}

void CVXLScreenJob::answerAndEnd(std::int32_t answer)
{
    releaseLayout();
    notifyOwner(answer);
    stop();
}
