#include "engine/files/VXLFileXmlReaderJob.h"

void CVXLFileXmlReaderJob::onEvent(CVXLEvent* event)
{
    if (event->kind() == kEventReply && event == &openRequest_)
        return onFileOpened(event);
    CVXLXmlReaderSinkJob::onEvent(event);
}

void CVXLFileXmlReaderJob::openSource()
{
    if (!manager_ || openRequest_.isBusy())
        return failReading(kResultFailed);
    openRequest_.fileName = path_;
    openRequest_.job = nullptr;
    post(manager_, &openRequest_);
}

void CVXLFileXmlReaderJob::onFileOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    CVXLXferJobBase* job = openRequest_.job;
    openRequest_.job = nullptr;
    finishEvent(reply);
    if (result == kResultSucceeded && job && !readingStopped()) {
        setSource(job);
        return startTransfer();
    }
    // Stopped while the file was being opened, or a job handed out with a
    // failure: the manager takes its stream back when the job ends.
    if (job)
        job->stop();
    if (result == kResultSucceeded && job)
        return endReading();
    failReading(result != kResultSucceeded ? result : kResultFailed);
}

void CVXLFileXmlReaderJob::releaseSource()
{
    if (CVXLXferJobBase* job = source()) {
        setSource(nullptr);
        job->stop();
    }
}

void CVXLFileXmlReaderJob::onElement(const CVXLString& name, bool start)
{
    if (listener_)
        listener_->onXmlElement(name, start);
}

void CVXLFileXmlReaderJob::onAttribute(const CVXLString& name, const CVXLString& value)
{
    if (listener_)
        listener_->onXmlAttribute(name, value);
}

void CVXLFileXmlReaderJob::onText(const CVXLString& text)
{
    if (listener_)
        listener_->onXmlText(text);
}

void CVXLFileXmlReaderJob::onMalformed()
{
    if (listener_)
        listener_->onXmlMalformed();
}

void CVXLFileXmlReaderJob::readingFinished(std::int32_t result)
{
    if (listener_)
        listener_->onXmlFinished(result);
}
