#include "engine/client/scenario/ScenarioXmlFileReader.h"

CScenarioXmlFileReader::CScenarioXmlFileReader(CVXLEventHandler* fileStoreManager)
{
    job_.setListener(this);
    job_.setFileStoreManager(fileStoreManager);
}

CScenarioXmlFileReader::~CScenarioXmlFileReader() = default;

void CScenarioXmlFileReader::init()
{
    if (!job_.parent())
        startChild(&job_);
}

void CScenarioXmlFileReader::beginReading()
{
    // A reading asked for before the job runs (or after it ended) could never
    // report: it fails at once, so the manager still answers its request.
    if (job_.parent() != this || job_.stopRequested()) {
        if (listener_)
            listener_->finished(kResultFailed);
        return;
    }
    job_.beginReading();
}

void CScenarioXmlFileReader::stopReading()
{
    if (job_.isReading())
        job_.stopReading();
}

void CScenarioXmlFileReader::onXmlElement(const CVXLString& name, bool start)
{
    if (listener_)
        listener_->element(name, start);
}

void CScenarioXmlFileReader::onXmlText(const CVXLString& text)
{
    if (listener_)
        listener_->text(text);
}

void CScenarioXmlFileReader::onXmlAttribute(const CVXLString& name, const CVXLString& value)
{
    if (listener_)
        listener_->attribute(name, value);
}

void CScenarioXmlFileReader::onXmlFinished(std::int32_t result)
{
    if (listener_)
        listener_->finished(result);
}
