#include "engine/records/OutboundItem.h"

#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"

namespace {

// The least bytes an entry of each list takes, to check a count against the
// bytes left before reading it: a string is at least its length word.
constexpr std::uint32_t kStringBytes = 4;
constexpr std::uint32_t kPartBytes = 4 + 3 * kStringBytes;
constexpr std::uint32_t kGroupBytes = kStringBytes + 1 + 2;

bool countFits(CVXLByteStream& in, std::uint32_t count, std::uint32_t entryBytes)
{
    if (in.isBad() || count > in.remaining() / entryBytes) {
        in.markBad();
        return false;
    }
    return true;
}

bool startsWith(const CVXLString& text, const char* prefix)
{
    return text.find(prefix) == 0;
}

} // namespace

bool COutboundMediaPart::load(CVXLByteStream& in)
{
    CVXLMediaIdentity read;
    if (!read.load(in))
        return false;
    CVXLString type = in.readString();
    if (in.isBad())
        return false;
    identity = read;
    mimeType = type;
    return true;
}

COutboundItem::~COutboundItem()
{
    parts_.deleteAll();
    groups_.deleteAll();
}

bool COutboundItem::addMediaPart(const CVXLMediaIdentity& identity, const CVXLString& mimeType)
{
    auto* part = new COutboundMediaPart(identity, mimeType);
    if (!part || !parts_.insertAt(part, -1)) {
        delete part;
        return false;
    }
    if (mainMedium.mimeType.length() == 0
        && (startsWith(mimeType, "image/") || startsWith(mimeType, "video/"))) {
        mainMedium.identity = identity;
        mainMedium.mimeType = mimeType;
    }
    mediaLocation = static_cast<std::uint32_t>(identity.number());
    return true;
}

bool COutboundItem::fillFieldGroups(const CScenarioLayout& screen)
{
    scenarioId = screen.id();
    cookie = screen.cookie();
    for (std::uint32_t i = 0; i < screen.fieldCount(); ++i) {
        const CScenarioField* field = screen.fieldAt(i);
        if (!field || !field->outgoing())
            continue;
        const auto listType = static_cast<std::uint8_t>(field->fieldDescription().typeCode());
        if (!addFieldGroup(field->fieldId(), listType, field->values()))
            return false;
    }
    return true;
}

bool COutboundItem::addFieldGroup(
    const CVXLString& fieldId, std::uint8_t listType, const CVXLStringArray& values)
{
    auto* group = new COutboundFieldGroup();
    if (!group)
        return false;
    group->fieldId = fieldId;
    group->listType = listType;
    const bool keepsTexts = listType == 3 || listType == 4 || listType == 6 || listType == 8 || listType == 9;
    if (keepsTexts)
        group->values = values;
    if (!groups_.insertAt(group, -1)) {
        delete group;
        return false;
    }
    return true;
}

void COutboundItem::clear()
{
    parts_.deleteAll();
    groups_.deleteAll();
    recipients.clear();
    kind = kKindComposed;
    createdTime = 0;
    mediaLocation = 0;
    scenarioId.clear();
    cookie.clear();
    mainMedium = COutboundMediaPart();
    audioName.clear();
    messageId.clear();
    priority = 0;
    for (CVXLString& text : texts)
        text.clear();
    value = 0;
}

bool COutboundItem::save(CVXLByteBuffer& out) const
{
    CVXLByteStream s;
    s.writeByte(kFormat);
    s.writeByte(kind);
    s.writeUInt32(createdTime);
    s.writeUInt32(mediaLocation);
    if (kind == kKindPreparedMms) {
        for (const CVXLString& text : texts)
            s.writeString(text);
        s.writeUInt32(value);
    } else {
        mainMedium.save(s);
        s.writeUInt16(static_cast<std::uint16_t>(parts_.count()));
        for (std::uint32_t i = 0; i < parts_.count(); ++i)
            partAt(static_cast<int>(i))->save(s);
        s.writeUInt16(static_cast<std::uint16_t>(recipients.count()));
        for (std::uint32_t i = 0; i < recipients.count(); ++i)
            s.writeString(recipients.at(static_cast<int>(i)));
        s.writeString(scenarioId);
        s.writeString(cookie);
        s.writeUInt16(static_cast<std::uint16_t>(groups_.count()));
        for (std::uint32_t i = 0; i < groups_.count(); ++i) {
            const COutboundFieldGroup* group = fieldGroupAt(static_cast<int>(i));
            s.writeString(group->fieldId);
            s.writeByte(group->listType);
            s.writeUInt16(static_cast<std::uint16_t>(group->values.count()));
            for (std::uint32_t v = 0; v < group->values.count(); ++v)
                s.writeString(group->values.at(static_cast<int>(v)));
        }
        s.writeString(audioName);
        s.writeString(messageId);
        s.writeByte(priority);
    }
    if (s.isBad())
        return false;
    return out.append(s.data(), s.length());
}

bool COutboundItem::load(const CVXLByteBuffer& bytes)
{
    clear();
    CVXLByteStream in(bytes);
    if (bytes.length() == 0 || in.readByte() != kFormat)
        return false;
    kind = in.readByte();
    createdTime = in.readUInt32();
    mediaLocation = in.readUInt32();
    bool whole;
    if (kind == kKindPreparedMms) {
        for (CVXLString& text : texts)
            text = in.readString();
        value = in.readUInt32();
        whole = !in.isBad();
    } else {
        whole = loadComposed(in);
    }
    if (!whole)
        clear();
    return whole;
}

bool COutboundItem::loadComposed(CVXLByteStream& in)
{
    if (!mainMedium.load(in))
        return false;
    const std::uint32_t parts = in.readUInt16();
    if (!countFits(in, parts, kPartBytes))
        return false;
    for (std::uint32_t i = 0; i < parts; ++i) {
        auto* part = new COutboundMediaPart();
        if (!part || !part->load(in) || !parts_.insertAt(part, -1)) {
            delete part;
            return false;
        }
    }
    const std::uint32_t addresses = in.readUInt16();
    if (!countFits(in, addresses, kStringBytes))
        return false;
    for (std::uint32_t i = 0; i < addresses; ++i) {
        const CVXLString address = in.readString();
        if (in.isBad() || !recipients.insertAt(address, -1))
            return false;
    }
    scenarioId = in.readString();
    cookie = in.readString();
    const std::uint32_t groups = in.readUInt16();
    if (!countFits(in, groups, kGroupBytes))
        return false;
    for (std::uint32_t i = 0; i < groups; ++i) {
        auto* group = new COutboundFieldGroup();
        if (!group || !groups_.insertAt(group, -1)) {
            delete group;
            return false;
        }
        group->fieldId = in.readString();
        group->listType = in.readByte();
        const std::uint32_t values = in.readUInt16();
        if (!countFits(in, values, kStringBytes))
            return false;
        for (std::uint32_t v = 0; v < values; ++v) {
            const CVXLString text = in.readString();
            if (in.isBad() || !group->values.insertAt(text, -1))
                return false;
        }
    }
    audioName = in.readString();
    messageId = in.readString();
    priority = in.readByte();
    return !in.isBad();
}
