#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLScanResult.h"
#include "engine/core/base/VXLString.h"
#include "engine/service/VRAXPartScanner.h"
#include "engine/transport/mime/VXLBase64Decoder.h"

#include <cstdint>

enum VRAXPartFlags : std::uint32_t {
    kVraxPartDocument = 0x01,
    kVraxPartOtherType = 0x02,
    kVraxPartLength = 0x04,
    kVraxPartId = 0x08,
    kVraxPart8bit = 0x10,
    kVraxPartBase64 = 0x20,
};

// Reads a multipart reply off the front of the buffer the reply is received
// into, one part at a time: a VRAX part up to the end of its document, any
// other part up to the end of its headers, leaving its content for
// takeContent(). Consumed bytes leave the buffer; a step that runs out of
// bytes keeps its state and continues with the next receive, so the parts
// come out the same however the reply was split.
class CVRAXReplyPart : public CVXLObject {
public:
    enum StepResult : std::int32_t { kPartRead = 0, kFramingError = 1, kNeedMore = 2 };

    void reset();
    void setBoundary(const CVXLString& word) { scanner_.setBoundary(word); }
    void attach(CVXLByteBuffer* buffer) { scanner_.setBuffer(buffer); }

    std::int32_t step();
    // 0 a delimiter that is not the closing one is next; 2 more bytes are
    // needed to tell; 1 anything else.
    std::int32_t peekBoundary();

    // Moves the content of the part whose headers step() read from the buffer
    // to out, decoding a base64 part on the way: Done once Content-Length
    // bytes were taken, NeedMore before.
    CVXLScanResult takeContent(CVXLByteBuffer& out);

    bool isVraxDocument() const { return (flags_ & kVraxPartDocument) != 0; }
    bool hasOtherType() const { return (flags_ & kVraxPartOtherType) != 0; }
    bool isBase64() const { return (flags_ & kVraxPartBase64) != 0; }
    CVXLByteBuffer body() const { return body_; }
    const CVXLString& contentId() const { return contentId_; }
    const CVXLString& contentType() const { return contentType_; }
    std::uint32_t contentLength() const { return contentLength_; }
    std::uint32_t flags() const { return flags_; }
    bool isComplete() const;

private:
    enum State : std::int32_t {
        kStart = 0,
        kTypeValue = 1,
        kHeaders = 2,
        kLengthValue = 3,
        kIdValue = 4,
        kEncodingValue = 5,
        kOtherValue = 6,
        kDocument = 7,
    };

    std::int32_t fail(const char* why);

    std::int32_t state_ = kStart;
    std::uint32_t flags_ = 0;
    CVXLByteBuffer body_;
    std::uint32_t contentLength_ = 0;
    std::uint32_t contentTaken_ = 0;
    bool contentDone_ = false;
    CVXLString contentType_;
    CVXLString contentId_;
    CVRAXPartScanner scanner_;
    CVXLBase64Decoder decoder_;
};
