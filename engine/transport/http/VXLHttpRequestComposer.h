#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

class CVXLHttpRequest;
class CVXLHttpSettings;

// Turns a request into the text of its head: request line, header lines
// (the requester's, then the defaults it lacks, then the body delimitation),
// the configured extra lines and the blank line. Completing the headers
// changes the request's header map and flags.
class CVXLHttpRequestComposer : public CVXLObject {
public:
    static constexpr const char* kDeviceIdHeader = "X-QV-Device-Id";

    static CVXLString composeHead(CVXLHttpRequest& request, const CVXLHttpSettings& settings);
    // False when a header name or value holds a CR or LF: it would end the
    // head early and let what follows pass as headers or as a next request.
    static bool hasSafeFields(const CVXLHttpRequest& request);
    // The engine's headers for a requester that puts them before its own
    // (the HTTP processor), so that its own of the same name replace them
    // in place: version, user agent, the user name as the device id, Accept
    // and Cache-Control (without the proxy's directives). composeHead then
    // adds only the defaults still missing.
    static void setEngineHeaders(CVXLHttpRequest& request, const CVXLHttpSettings& settings);

    // The Host value of a URL: its host with ":port" when the port is not the
    // scheme's default; "" when the URL names no host.
    static CVXLString hostHeader(const CVXLHttpRequest& request);
    // The request target: the absolute URL through a proxy, else the path and
    // query. The fragment is never sent.
    static CVXLString requestTarget(const CVXLHttpRequest& request);
    // Every LF without a CR in front becomes CR LF; a final line end is added
    // when missing.
    static CVXLString normalizedExtraLines(const CVXLString& text);
};
