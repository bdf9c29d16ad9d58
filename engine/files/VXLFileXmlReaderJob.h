#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/core/xml/VXLXmlReaderListener.h"
#include "engine/files/VXLFileStoreCodes.h"
#include "engine/files/VXLXmlReaderSinkJob.h"

#include <cstdint>

// Reads an XML file of the working folder: asks the File Store Manager to
// open the file for reading, then reads it through the sink. Everything the
// reader sees goes straight to the listener, then the result once.
//
// Its owner attaches it as a child once and, for each reading, sets the path
// and calls beginReading(). A file that is missing or cannot be read ends the
// reading with the manager's or the transfer's result (e.g. 4 not found, 21
// no stream free); the stream job the manager handed out is always given
// back.
class CVXLFileXmlReaderJob : public CVXLXmlReaderSinkJob {
public:
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLFileXmlReaderJob"; }

    void setPath(const CVXLString& path) { path_ = path; }
    const CVXLString& path() const { return path_; }
    void setListener(CVXLXmlReaderListener* listener) { listener_ = listener; }
    // The job that serves the open request (the engine's File Store Manager).
    void setFileStoreManager(CVXLEventHandler* manager) { manager_ = manager; }

protected:
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString& text) override;
    void onMalformed() override;
    void readingFinished(std::int32_t result) override;
    void openSource() override;
    void releaseSource() override;

private:
    static constexpr std::int32_t kFileOpened = 8;

    void onFileOpened(CVXLEvent* reply);

    CVXLString path_;
    CVXLNamedRequest openRequest_ {kEventFileOpenForReading, kFileOpened};
    CVXLXmlReaderListener* listener_ = nullptr;
    CVXLEventHandler* manager_ = nullptr;
};
