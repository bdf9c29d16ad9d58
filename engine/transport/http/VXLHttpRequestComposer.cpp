#include "engine/transport/http/VXLHttpRequestComposer.h"

#include "engine/core/base/VXLIndexIterator.h"
#include "engine/transport/http/VXLHttpRequest.h"
#include "engine/transport/net/VXLHttpSettings.h"

namespace {

constexpr char kVersionHeader[] = "x-vxl-ver";
constexpr char kUserAgentHeader[] = "User-Agent";
constexpr char kAcceptHeader[] = "Accept";
constexpr char kAcceptAll[] = "*/*";
constexpr char kCacheControlHeader[] = "Cache-Control";
constexpr char kNoTransform[] = "no-transform";
constexpr char kNoTransformNoStore[] = "no-transform, no-store, no-cache";

void addDefault(CVXLHttpRequest& request, const char* name, const CVXLString& value)
{
    if (request.header(name).length() == 0)
        request.setHeader(name, value);
}

void setIfGiven(CVXLHttpRequest& request, const char* name, const CVXLString& value)
{
    if (value.length() != 0)
        request.setHeader(name, value);
}

bool holdsLineEnd(const CVXLString& text)
{
    return text.findChar('\r') >= 0 || text.findChar('\n') >= 0;
}

std::uint16_t defaultPort(const CVXLString& scheme)
{
    if (scheme == "https")
        return 443;
    return 80;
}

const char* methodWord(std::int32_t code)
{
    switch (code) {
    case CVXLHttpRequest::kPost:
        return "POST ";
    case CVXLHttpRequest::kHead:
        return "HEAD ";
    default:
        return "GET ";
    }
}

} // namespace

CVXLString CVXLHttpRequestComposer::hostHeader(const CVXLHttpRequest& request)
{
    const CVXLUri url = request.url();
    CVXLString host;
    if (url.hasHostName())
        host = url.hostName();
    else if (url.hasIpv4Address())
        host = url.ipv4Address();
    else
        return host;
    const std::uint16_t port = url.portNumber();
    if (port != 0 && port != defaultPort(url.scheme())) {
        host += ":";
        host.appendNumber(port, 10, false);
    }
    return host;
}

CVXLString CVXLHttpRequestComposer::requestTarget(const CVXLHttpRequest& request)
{
    const CVXLUri url = request.url();
    if (request.proxyUri().length() != 0) {
        const int hash = url.findChar('#');
        return hash < 0 ? CVXLString(url) : url.substr(0, static_cast<std::uint32_t>(hash));
    }
    CVXLString target = url.path();
    if (target.length() == 0)
        target = "/";
    const CVXLString query = url.query();
    if (query.length() != 0) {
        target += "?";
        target += query;
    }
    return target;
}

CVXLString CVXLHttpRequestComposer::normalizedExtraLines(const CVXLString& text)
{
    CVXLString out;
    const char* bytes = text.c_str();
    const std::uint32_t n = text.length();
    for (std::uint32_t i = 0; i < n; ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out.appendChar('\r');
        out.appendChar(bytes[i]);
    }
    if (n != 0 && bytes[n - 1] != '\n')
        out += "\r\n";
    return out;
}

bool CVXLHttpRequestComposer::hasSafeFields(const CVXLHttpRequest& request)
{
    for (CVXLIndexIterator it = request.headers().begin(); !it.atEnd(); it.next()) {
        const auto* value = static_cast<const CVXLString*>(it.value());
        if (holdsLineEnd(it.key()) || (value && holdsLineEnd(*value)))
            return false;
    }
    return true;
}

void CVXLHttpRequestComposer::setEngineHeaders(CVXLHttpRequest& request, const CVXLHttpSettings& settings)
{
    setIfGiven(request, kVersionHeader, settings.versionText);
    setIfGiven(request, kUserAgentHeader, settings.userAgent);
    setIfGiven(request, kDeviceIdHeader, settings.userName);
    request.setHeader(kAcceptHeader, kAcceptAll);
    request.setHeader(kCacheControlHeader, kNoTransform);
}

CVXLString CVXLHttpRequestComposer::composeHead(CVXLHttpRequest& request, const CVXLHttpSettings& settings)
{
    const bool viaProxy = request.proxyUri().length() != 0;
    const CVXLString host = hostHeader(request);
    if (host.length() != 0)
        addDefault(request, "Host", host);
    addDefault(request, kCacheControlHeader, viaProxy ? kNoTransformNoStore : kNoTransform);
    addDefault(request, kAcceptHeader, kAcceptAll);
    if (settings.userName.length() != 0)
        addDefault(request, "From", settings.userName);
    if (settings.userAgent.length() != 0)
        addDefault(request, kUserAgentHeader, settings.userAgent);
    if (settings.versionText.length() != 0)
        addDefault(request, kVersionHeader, settings.versionText);
    if (viaProxy) {
        const CVXLString userInfo = request.proxyUri().userInfo();
        if (userInfo.length() != 0) {
            CVXLString credentials = userInfo;
            credentials.toBase64();
            addDefault(request, "Proxy-Authorization", "Basic " + credentials);
        }
        addDefault(request, "Proxy-Connection", "Keep-Alive");
    }

    if (request.requestCode() == CVXLHttpRequest::kPost) {
        const CVXLString given = request.header("Content-Length");
        if (given.length() != 0) {
            request.setContentLength(static_cast<std::uint32_t>(given.toInt()));
        } else if (request.hasFlag(CVXLHttpRequest::kFlagContentLength)) {
            CVXLString length;
            length.setUnsigned(request.contentLength());
            request.setHeader("Content-Length", length);
        } else if (request.isHttp11()) {
            request.setHeader("Transfer-Encoding", "chunked");
            request.setFlag(CVXLHttpRequest::kFlagChunkedBody);
        }
    }

    CVXLString head = methodWord(request.requestCode());
    head += requestTarget(request);
    head += request.isHttp11() ? " HTTP/1.1\r\n" : " HTTP/1.0\r\n";
    for (CVXLIndexIterator it = request.headers().begin(); !it.atEnd(); it.next()) {
        const auto* value = static_cast<const CVXLString*>(it.value());
        head += it.key();
        head += ": ";
        if (value)
            head += *value;
        head += "\r\n";
    }
    if (settings.extraHeaders.length() != 0)
        head += normalizedExtraLines(settings.extraHeaders);
    head += "\r\n";
    return head;
}
