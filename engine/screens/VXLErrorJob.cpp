#include "engine/screens/VXLErrorJob.h"

void CVXLErrorJob::setErrorCode(std::uint32_t code, const CVXLString& text)
{
    layout_.setErrorCode(code);
    layout_.setErrorText(text);
}

void CVXLErrorJob::init()
{
    CVXLScreenJob::init();
    layout_.setOwner(this);
    showLayout();
}

void CVXLErrorJob::onLayoutAction(std::uint32_t eventId)
{
    const std::int32_t answer = answerOf(eventId);
    if (answer >= 0)
        answerAndEnd(answer);
}
