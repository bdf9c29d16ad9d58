#pragma once

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaIdentity.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaRefHandle.h"

#include <cstdint>

class COutboundItem;
class CVXLConfigReader;
class CVXLEventHandler;

// What the outbox lists show of a waiting message, kept in memory and in
// "state.oq" beside each entry.
class COutboundSummary : public CVXLObject {
public:
    static constexpr std::uint8_t kFormat = 3;

    // Kinds 1 and 2 only; false, with nothing changed, for another kind.
    bool fromItem(const COutboundItem& item);
    // Keeps mediaLocation and messageId.
    void clear();

    bool save(CVXLByteStream& out) const;
    // Reads one whole summary at the stream's cursor; false, with nothing
    // changed, otherwise.
    bool load(CVXLByteStream& in);

    // The entry's media reference for the outbox listing; empty without a
    // media type. Online items (location kind 1) are served by the online
    // owner under the identity's first text: the item, a preview and an
    // expanded view sized by the configuration (may be null); others by the
    // local owner
    // under the second text, the item alone. An owner may be null, but the
    // media reference counts a rendition without one as a free slot.
    CVXLMediaRefHandle mediaRef(
        CVXLEventHandler* onlineOwner, CVXLEventHandler* localOwner, const CVXLConfigReader* config) const;

    CVXLString recipients; // joined with ", "
    CVXLString text;
    std::uint32_t mediaLocation = 0;
    CVXLMediaIdentity identity;
    CVXLString mediaMimeType;
    std::uint8_t imageCount = 0;
    std::uint8_t videoCount = 0;
    std::uint8_t hasVoice = 0;
    std::uint32_t createdTime = 0;
    std::uint32_t extra = 0;
    std::int8_t priority = 0;
    CVXLString messageId;
};
