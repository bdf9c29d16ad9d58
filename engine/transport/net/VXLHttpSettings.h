#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

// The Client's configuration items and switches that the network transport
// reads, handed to it by its owner: 2 the proxy URI, 4 the user agent, 5 the
// extra header lines, 7 the user's identity, the engine library version text,
// and whether data traffic is switched off ("int.datacomm_active" is "0").
// An owner whose switch can change while the transport runs answers
// trafficOff from the switch itself.
class CVXLHttpSettings : public CVXLObject {
public:
    virtual bool trafficOff() const { return dataTrafficOff; }

    static constexpr const char* kEngineVersion = "5.5.6";

    CVXLString proxyUri;
    CVXLString userAgent;
    CVXLString extraHeaders;
    CVXLString userName;
    CVXLString versionText = kEngineVersion;
    bool dataTrafficOff = false;
    // The longest an HTTP exchange whose reply length is not known may take,
    // in ms; 0 the HTTP job's own default.
    std::uint32_t maxExchangeMs = 0;
};
