#include "engine/screens/VXLErrorJob.h"

void CVXLErrorJob::setErrorCode(std::uint32_t code, const CVXLString& text)
{
    layout_.setErrorCode(code);
    layout_.setErrorText(text);
}

void CVXLErrorJob::init()
{
    CVXLScreenJob::init();
    showOwnLayout();
}

void CVXLErrorJob::onLayoutAction(std::uint32_t eventId)
{
    answerKey(eventId);
}
