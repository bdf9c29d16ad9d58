#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Frames a request body: the request document as the first part and, for an
// upload, an announced second part whose bytes the caller streams between
// head() and trailerBytes(). The total length is known before any byte is
// sent, so it can go out as the request's Content-Length.
class CVRAXMultipartWriter : public CVXLObject {
public:
    static constexpr const char* kBoundary = "Veltmarsh";
    static constexpr const char* kContentType = "multipart/mixed; boundary=Veltmarsh";

    enum Encoding : std::int32_t {
        kEncodingNone = 0,
        kEncoding8bit = 1,
        kEncodingBase64 = 2,
    };

    void setDocument(const CVXLByteBuffer& document) { document_ = document; }
    void setAttachment(const CVXLString& contentType, std::int32_t encoding, std::uint32_t length);
    void reset();

    CVXLString partHeader() const;
    CVXLString attachmentHeader() const;
    CVXLString trailer() const;
    std::uint32_t totalLength() const;
    CVXLByteBuffer head() const;
    CVXLByteBuffer trailerBytes() const;

    bool hasAttachment() const { return hasAttachment_ != 0; }

private:
    CVXLByteBuffer document_;
    CVXLString attachmentType_;
    std::int32_t attachmentEncoding_ = kEncodingNone;
    std::uint32_t attachmentLength_ = 0;
    std::uint8_t hasAttachment_ = 0;
};
