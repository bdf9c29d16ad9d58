#pragma once

#include "engine/core/VXLObject.h"
#include "engine/core/VXLString.h"

// The Client's configuration items that the HTTP transport reads, handed to
// it by its owner: 2 the proxy URI, 4 the user agent, 5 the extra header
// lines, 7 the user's identity, and the engine library version text.
class CVXLHttpSettings : public CVXLObject {
public:
    static constexpr const char* kEngineVersion = "5.5.6";

    CVXLString proxyUri;
    CVXLString userAgent;
    CVXLString extraHeaders;
    CVXLString userName;
    CVXLString versionText = kEngineVersion;
};
