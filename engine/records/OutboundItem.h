#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/media/VXLMediaIdentity.h"

#include <cstdint>

class CScenarioLayout;

// One medium of an outgoing message.
class COutboundMediaPart : public CVXLObject {
public:
    COutboundMediaPart() = default;
    COutboundMediaPart(const CVXLMediaIdentity& identity, const CVXLString& mimeType)
        : identity(identity)
        , mimeType(mimeType)
    {
    }

    bool save(CVXLByteStream& out) const { return identity.save(out) && out.writeString(mimeType); }
    bool load(CVXLByteStream& in);

    CVXLMediaIdentity identity;
    CVXLString mimeType;
};

// One outgoing field of the screen the message was composed on.
class COutboundFieldGroup : public CVXLObject {
public:
    CVXLString fieldId;
    std::uint8_t listType = 0;
    CVXLStringArray values;
};

// An outgoing message as the outbound queue keeps it in its item file until
// it is sent: a composed message (kind 1) with its media, recipients and the
// composing screen's fields, or a prepared MMS (kind 2) of five texts and a
// value. The item owns its lists.
class COutboundItem : public CVXLObject {
public:
    static constexpr std::uint8_t kFormat = 11;
    static constexpr std::uint8_t kKindComposed = 1;
    static constexpr std::uint8_t kKindPreparedMms = 2;
    static constexpr int kPreparedTexts = 5;

    COutboundItem() = default;
    COutboundItem(const COutboundItem&) = delete;
    COutboundItem& operator=(const COutboundItem&) = delete;
    ~COutboundItem() override;

    // An image or video part becomes the main medium unless one is set; the
    // item's location is always the last part's.
    bool addMediaPart(const CVXLMediaIdentity& identity, const CVXLString& mimeType);
    // Values are kept only for the list types that carry texts.
    bool addFieldGroup(const CVXLString& fieldId, std::uint8_t listType, const CVXLStringArray& values);
    // Takes the composing screen's id and cookie and a group for each of its
    // outgoing fields, in order; a field's type code is its group's list type.
    bool fillFieldGroups(const CScenarioLayout& screen);
    void clear();

    bool save(CVXLByteBuffer& out) const;
    // True only for one whole item; otherwise the item is left empty, so a
    // damaged file never yields part of a message (fewer recipients, say).
    bool load(const CVXLByteBuffer& bytes);

    std::uint32_t partCount() const { return parts_.count(); }
    const COutboundMediaPart* partAt(int index) const
    {
        return static_cast<const COutboundMediaPart*>(parts_.at(index));
    }
    COutboundMediaPart* partAt(int index) { return static_cast<COutboundMediaPart*>(parts_.at(index)); }
    std::uint32_t fieldGroupCount() const { return groups_.count(); }
    const COutboundFieldGroup* fieldGroupAt(int index) const
    {
        return static_cast<const COutboundFieldGroup*>(groups_.at(index));
    }

    std::uint8_t kind = kKindComposed;
    std::uint32_t createdTime = 0;
    std::uint32_t mediaLocation = 0;
    CVXLStringArray recipients;
    CVXLString scenarioId;
    CVXLString cookie;
    COutboundMediaPart mainMedium;
    CVXLString audioName;
    CVXLString messageId;
    std::uint8_t priority = 0;
    // Kind 2: message id, To list, two more texts, subject.
    CVXLString texts[kPreparedTexts];
    std::uint32_t value = 0;
    CVXLString voiceAnnotation; // filled by the sender, never stored

private:
    bool loadComposed(CVXLByteStream& in);

    CVXLPtrArray parts_;
    CVXLPtrArray groups_;
};
