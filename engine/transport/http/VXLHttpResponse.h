#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLPropertyMap.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// The response head that the HTTP job hands its requester (code 0x8000064,
// answered with 10). The requester names the body sink and, if it wants, the
// read size before it answers.
class CVXLHttpResponse : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = kEventHttpResponse;
    static constexpr std::int32_t kReplyCode = kReplyHttpResponse;

    enum Flags : std::uint32_t {
        kFlagHttp10 = 0x1,
        kFlagHttp11 = 0x2,
        kFlagChunked = 0x4,
        kFlagConnectionClose = 0x8,
        kFlagContentLength = 0x10,
        // Our own: "Connection" lists "keep-alive" (an HTTP/1.0 reply keeps
        // the connection only then).
        kFlagKeepAlive = 0x20,
        // Our own: a Transfer-Encoding whose codings are anything but a final
        // "chunked" alone; such a body cannot be read.
        kFlagUnknownCoding = 0x40,
    };
    static constexpr std::uint32_t kDefaultReadSize = 4096;

    CVXLHttpResponse();

    // Clears flags, length, sink, read size, headers, status and reason.
    void reset();

    const CVXLString& statusText() const { return statusText_; }
    void setStatusText(const CVXLString& text) { statusText_ = text; }
    // The decimal value of the status text.
    int statusCode() const { return statusText_.toInt(); }
    const CVXLString& reason() const { return reason_; }
    void setReason(const CVXLString& text) { reason_ = text; }

    CVXLPropertyMap& headers() { return headers_; }
    const CVXLPropertyMap& headers() const { return headers_; }
    // The value under a name, any letter case; "" when absent.
    CVXLString header(const CVXLString& name) const { return headers_.get(name); }

    std::uint32_t flags() const { return flags_; }
    bool hasFlag(std::uint32_t flag) const { return (flags_ & flag) != 0; }
    void setFlag(std::uint32_t flag) { flags_ |= flag; }
    void clearFlag(std::uint32_t flag) { flags_ &= ~flag; }
    std::uint32_t contentLength() const { return contentLength_; }
    void setContentLength(std::uint32_t length) { contentLength_ = length; }

    CVXLByteBuffer* sink() const { return sink_; }
    void setSink(CVXLByteBuffer* sink) { sink_ = sink; }
    std::uint32_t readSize() const { return readSize_; }
    void setReadSize(std::uint32_t size) { readSize_ = size; }

private:
    CVXLString statusText_;
    CVXLString reason_;
    CVXLPropertyMap headers_;
    std::uint32_t flags_ = 0;
    std::uint32_t contentLength_ = 0;
    CVXLByteBuffer* sink_ = nullptr;
    std::uint32_t readSize_ = 0;
};
