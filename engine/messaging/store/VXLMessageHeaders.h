#pragma once

#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// The headers of one stored message as the messaging code reads them: the
// summary headers ("X-QV-...") and MMS headers under their field numbers in
// one map, the content headers in another. Both maps are usually assigned in
// from elsewhere and share their bodies. Every accessor answers the first
// value, or "" when the header is absent; names compare ignoring case except
// the MMS field numbers.
class CVXLMessageHeaders : public CVXLObject {
public:
    CVXLHeaderMap messageHeaders;
    CVXLHeaderMap contentHeaders;

    CVXLString getClientMessageId() const;
    CVXLString getMessageType() const;
    CVXLString getFromAddress() const;
    CVXLString getToAddressList() const;
    CVXLString getCcAddressList() const;
    CVXLString getBccAddressList() const;
    CVXLString getMessagePriority() const;
    // 0 when absent.
    std::uint32_t getExpires() const;
    CVXLString getChargeText() const;
    void removeChargeText();
    // X-Mms-Content-Location, kept under "3".
    CVXLString getMmsContentLocation() const;

    CVXLString getContentLocation() const;
    CVXLString getLocation() const;
    CVXLString getSaveLock() const;
    // The value up to its first ";", kept in the set.
    const CVXLString& getContentType();

private:
    CVXLString contentType_;
};
