#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/transfer/VXLByteBufferSink.h"
#include "engine/transfer/VXLFileStreamSourceJob.h"
#include "engine/transport/mime/VXLMimeBodySplitter.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLPduRef.h"

#include <cstdint>

class CVXLMimeParseRequest;
class CVXLPlatformFileStream;
class CVXLPlatformStore;

// Splits the text MIME containers of a received message (its
// multipart.related part, then each OMA DRM message part) into the parts they
// enclose. A container's bytes are read from its file one window at a time,
// as the parser asks for them, through a file source feeding a byte-buffer
// sink; a container held in memory is fed from its body buffer. One request
// at a time.
class CVXLMMSMimeParserJob : public CVXLEventHandler {
public:
    CVXLMMSMimeParserJob();
    ~CVXLMMSMimeParserJob() override;

    // The store whose streams read the received files.
    void setMessageStore(CVXLPlatformStore* store) { store_ = store; }
    // Closes the job's stream; for an owner about to destroy the store.
    void releaseStream();

    void init() override;
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    const char* name() const override { return "CVXLMMSMimeParserJob"; }

private:
    void onRequest(CVXLEvent* event);
    void onCancelNotice(CVXLEvent* event);
    void onWindowRead(CVXLEvent* reply);
    void beginContainer();
    void readWindow();
    void feedFromMemory();
    void containerEnded(CVXLScanResult status);
    void complete(std::int32_t result);
    void restoreBody();

    CVXLPlatformStore* store_ = nullptr;
    CVXLPlatformFileStream* stream_ = nullptr;
    CVXLFileStreamSourceJob source_;
    CVXLByteBufferSink sink_;
    CVXLEvent readEvent_;
    std::uint32_t requested_ = 0;

    CVXLMimeParseRequest* request_ = nullptr;
    CVXLPduRef message_;
    CVXLMimeBodySplitter splitter_;
    // The body's parts as the request found them, put back when the request
    // fails or is cancelled, so the caller never sees a half-split body.
    CVXLEntityRef bodyRef_;
    CVXLMultipartBody saved_;
    bool cancelling_ = false;
};
