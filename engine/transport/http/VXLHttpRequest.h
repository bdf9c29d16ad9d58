#pragma once

#include "engine/core/base/VXLPropertyMap.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/text/VXLUri.h"

#include <cstdint>

// The request event that a requester posts to the HTTP job: URL, proxy
// (empty for a direct connection), headers and how the body is delimited.
class CVXLHttpRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kGet = kEventHttpGet;
    static constexpr std::int32_t kPost = kEventHttpPost;
    static constexpr std::int32_t kHead = kEventHttpHead;

    enum Flags : std::uint32_t {
        kFlagHttp10 = 0x1,
        kFlagHttp11 = 0x2,
        kFlagKeepConnection = 0x4,
        kFlagContentLength = 0x8,
        kFlagChunkedBody = 0x10,
    };
    // Bits 0-1 hold the protocol version: 2 is HTTP/1.1, any other value 1.0.
    static constexpr std::uint32_t kVersionBits = kFlagHttp10 | kFlagHttp11;

    CVXLHttpRequest(std::int32_t requestCode, std::int32_t replyCode);

    // Empty URL and headers, no lengths, HTTP/1.1, and the configured proxy.
    void reset(const CVXLString& proxyUri);

    CVXLUri url() const { return url_; }
    void setUrl(const CVXLString& text) { url_ = text; }
    const CVXLUri& proxyUri() const { return proxyUri_; }
    void setProxyUri(const CVXLString& text) { proxyUri_ = text; }
    // The target that is connected to: the proxy when one is set.
    const CVXLUri& target() const { return proxyUri_.length() != 0 ? proxyUri_ : url_; }

    CVXLPropertyMap& headers() { return headers_; }
    const CVXLPropertyMap& headers() const { return headers_; }
    // The value under a name in any letter case; "" when absent.
    CVXLString header(const CVXLString& name) const { return headers_.get(name); }
    void setHeader(const CVXLString& name, const CVXLString& value) { headers_.set(name, value); }

    std::uint32_t flags() const { return flags_; }
    bool hasFlag(std::uint32_t flag) const { return (flags_ & flag) != 0; }
    void setFlags(std::uint32_t flags) { flags_ = flags; }
    void setFlag(std::uint32_t flag) { flags_ |= flag; }
    void clearFlag(std::uint32_t flag) { flags_ &= ~flag; }
    bool isHttp11() const { return (flags_ & kVersionBits) == kFlagHttp11; }
    // Makes the request HTTP/1.0.
    void setHttp10()
    {
        flags_ &= ~static_cast<std::uint32_t>(kFlagHttp11);
        flags_ |= kFlagHttp10;
    }

    std::uint32_t contentLength() const { return contentLength_; }
    // Stores the length and marks it given.
    void setContentLength(std::uint32_t length)
    {
        contentLength_ = length;
        flags_ |= kFlagContentLength;
    }
    // The reply's length as announced before the exchange (a notification's
    // message size); 0 when none was. Only the exchange's total bound reads it.
    std::uint32_t expectedReplyLength() const { return expectedReplyLength_; }
    void setExpectedReplyLength(std::uint32_t length) { expectedReplyLength_ = length; }

private:
    CVXLUri url_;
    CVXLUri proxyUri_;
    CVXLPropertyMap headers_;
    std::uint32_t flags_ = kFlagHttp11;
    std::uint32_t contentLength_ = 0;
    std::uint32_t expectedReplyLength_ = 0;
};
