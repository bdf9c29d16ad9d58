#include "engine/records/OutboundSummary.h"

#include "engine/core/settings/VXLConfigReader.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/records/OutboundItem.h"

namespace {

constexpr std::uint8_t kTextListType = 4;
constexpr std::uint32_t kLocationKindOnline = 1;

// The configuration items that type and size an online item's preview and
// expanded view.
struct OnlineSizeItems {
    std::int32_t mimeItem;
    std::int32_t previewWidth, previewHeight;
    std::int32_t viewWidth, viewHeight;
};

constexpr OnlineSizeItems kImageItems {20, 36, 37, 38, 39};
constexpr OnlineSizeItems kVideoItems {24, 21, 22, 29, 30};

CVXLString readText(const CVXLConfigReader* config, std::int32_t item)
{
    CVXLString text;
    if (!config || !config->readItem(item, &text))
        text.clear();
    return text;
}

// -1 when the item is absent.
std::int32_t readSide(const CVXLConfigReader* config, std::int32_t item)
{
    CVXLString text;
    if (!config || !config->readItem(item, &text))
        return -1;
    return text.toInt();
}

} // namespace

bool COutboundSummary::fromItem(const COutboundItem& item)
{
    if (item.kind != COutboundItem::kKindComposed && item.kind != COutboundItem::kKindPreparedMms)
        return false;
    mediaLocation = item.mediaLocation;
    recipients.clear();
    for (std::uint32_t i = 0; i < item.recipients.count(); ++i) {
        if (i > 0)
            recipients += ", ";
        recipients += item.recipients.at(static_cast<int>(i));
    }
    text.clear();
    for (std::uint32_t g = 0; g < item.fieldGroupCount(); ++g) {
        const COutboundFieldGroup* group = item.fieldGroupAt(static_cast<int>(g));
        if (group->listType != kTextListType)
            continue;
        for (std::uint32_t v = 0; v < group->values.count(); ++v)
            text += group->values.at(static_cast<int>(v));
        break;
    }
    identity = item.mainMedium.identity;
    mediaMimeType = item.mainMedium.mimeType;
    imageCount = 0;
    videoCount = 0;
    for (std::uint32_t p = 0; p < item.partCount(); ++p) {
        const CVXLString& type = item.partAt(static_cast<int>(p))->mimeType;
        if (type.find("image/") == 0)
            ++imageCount;
        else if (type.find("video/") == 0)
            ++videoCount;
    }
    hasVoice = item.audioName.length() > 0 ? 1 : 0;
    createdTime = item.createdTime;
    extra = 0;
    priority = static_cast<std::int8_t>(item.priority);
    messageId = item.messageId;
    return true;
}

void COutboundSummary::clear()
{
    recipients.clear();
    text.clear();
    mediaMimeType.clear();
    imageCount = 0;
    videoCount = 0;
    hasVoice = 0;
    createdTime = 0;
    extra = 0;
    priority = 0;
    identity = CVXLMediaIdentity();
}

bool COutboundSummary::save(CVXLByteStream& out) const
{
    out.writeByte(kFormat);
    out.writeString(recipients);
    out.writeString(text);
    out.writeUInt32(mediaLocation);
    identity.save(out);
    out.writeString(mediaMimeType);
    out.writeByte(videoCount);
    out.writeByte(imageCount);
    out.writeByte(hasVoice);
    out.writeUInt32(createdTime);
    out.writeUInt32(extra);
    out.writeByte(static_cast<std::uint8_t>(priority));
    out.writeString(messageId);
    return !out.isBad();
}

bool COutboundSummary::load(CVXLByteStream& in)
{
    if (in.remaining() == 0 || in.readByte() != kFormat)
        return false;
    COutboundSummary read;
    read.recipients = in.readString();
    read.text = in.readString();
    read.mediaLocation = in.readUInt32();
    read.identity.load(in);
    read.mediaMimeType = in.readString();
    read.videoCount = in.readByte();
    read.imageCount = in.readByte();
    read.hasVoice = in.readByte();
    read.createdTime = in.readUInt32();
    read.extra = in.readUInt32();
    read.priority = in.readChar();
    read.messageId = in.readString();
    if (in.isBad())
        return false;
    *this = read;
    return true;
}

CVXLMediaRefHandle COutboundSummary::mediaRef(
    CVXLEventHandler* onlineOwner, CVXLEventHandler* localOwner, const CVXLConfigReader* config) const
{
    CVXLMediaRefHandle handle;
    if (mediaMimeType.length() == 0)
        return handle;
    handle.setMimeType(mediaMimeType.c_str());
    handle.setValue(identity.number());
    const std::uint32_t location = static_cast<std::uint32_t>(identity.number());
    if (vxlLocationKind(location) != kLocationKindOnline) {
        handle.addEntry(identity.second(), mediaMimeType, localOwner, -1, -1, -1, true);
        return handle;
    }
    const OnlineSizeItems& items = mediaMimeType.find("video/") >= 0 ? kVideoItems : kImageItems;
    const CVXLString sizedType = readText(config, items.mimeItem);
    handle.addEntry(identity.first(), mediaMimeType, onlineOwner, -1, -1, -1, true);
    handle.addEntry(identity.first(), sizedType, onlineOwner, readSide(config, items.previewWidth),
        readSide(config, items.previewHeight), -1, false);
    handle.addEntry(identity.first(), sizedType, onlineOwner, readSide(config, items.viewWidth),
        readSide(config, items.viewHeight), -1, false);
    return handle;
}
