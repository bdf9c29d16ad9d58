#pragma once

#include "engine/client/scenario/ScenarioFileReader.h"
#include "engine/core/xml/VXLXmlReaderListener.h"
#include "engine/files/VXLFileXmlReaderJob.h"

#include <cstdint>

class CVXLEventHandler;

// The Scenario Manager's file reader over the engine's file XML reader job:
// the job reads the file through the File Store Manager and its reports are
// handed on to the manager. A missing file ends with the file store's result
// (4), a malformed one with 1000, a stopped one with 24.
class CScenarioXmlFileReader : public CScenarioFileReader, private CVXLXmlReaderListener {
public:
    explicit CScenarioXmlFileReader(CVXLEventHandler* fileStoreManager);
    ~CScenarioXmlFileReader() override;

    void setListener(Listener* listener) override { listener_ = listener; }
    void setPath(const CVXLString& path) override { job_.setPath(path); }
    void beginReading() override;
    void stopReading() override;

    void init() override;
    const char* name() const override { return "Scenario File Reader"; }

private:
    void onXmlElement(const CVXLString& name, bool start) override;
    void onXmlText(const CVXLString& text) override;
    void onXmlAttribute(const CVXLString& name, const CVXLString& value) override;
    void onXmlFinished(std::int32_t result) override;

    CVXLFileXmlReaderJob job_;
    Listener* listener_ = nullptr;
};
