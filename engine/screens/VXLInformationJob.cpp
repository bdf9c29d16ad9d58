#include "engine/screens/VXLInformationJob.h"

CVXLInformationJob::CVXLInformationJob()
    : layout_(CVXLLayoutInformation::kStateInPhone)
{
}

void CVXLInformationJob::setTextById(std::uint32_t id)
{
    layout_.setMessage(screenText(id));
}

void CVXLInformationJob::init()
{
    CVXLScreenJob::init();
    showOwnLayout();
}

void CVXLInformationJob::onLayoutAction(std::uint32_t eventId)
{
    answerKey(eventId);
}

// A pooled job starts its next notice from the plain one.
std::int32_t CVXLInformationJob::onFinished()
{
    index_ = 0;
    layout_.setState(CVXLLayoutInformation::kStateInPhone);
    layout_.setMessage(CVXLString());
    layout_.setTitleText(CVXLString());
    layout_.setMode(CVXLLayoutInformation::kModeNotice);
    layout_.setList(CVXLList());
    return CVXLScreenJob::onFinished();
}
