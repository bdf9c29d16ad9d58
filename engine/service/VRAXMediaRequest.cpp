#include "engine/service/VRAXMediaRequest.h"

#include "engine/core/settings/VXLConfigItem.h"
#include "engine/service/VRAXEnvironment.h"
#include "engine/service/VRAXFetchBatch.h"

namespace {

// Width, height and byte limit items by rendition kind (full size has a
// byte limit only).
struct KindItems {
    int width;
    int height;
    int bytes;
};

struct TypeItems {
    const char* prefix;
    KindItems kinds[3];
};

const TypeItems kTypeItems[] = {
    {"image/",
        {{0, 0, kCfgImageOriginalMaxFileSize},
            {kCfgImagePreviewWidth, kCfgImagePreviewHeight, kCfgImagePreviewMaxFileSize},
            {kCfgImageViewWidth, kCfgImageViewHeight, kCfgImageViewMaxFileSize}}},
    {"video/",
        {{0, 0, kCfgVideoOriginalMaxFileSize},
            {kCfgVideoPreviewWidth, kCfgVideoPreviewHeight, kCfgVideoPreviewMaxFileSize},
            {kCfgVideoViewWidth, kCfgVideoViewHeight, kCfgVideoViewMaxFileSize}}},
    {"audio/", {{0, 0, kCfgAudioMaxFileSize}, {0, 0, kCfgAudioMaxFileSize}, {0, 0, kCfgAudioMaxFileSize}}},
};

const char* const kScalingNames[] = {"SIZE_STRETCH_TO_FIT", "SIZE_CROP", "SIZE_KEEP_ASPECT_RATIO"};

} // namespace

CVRAXMediaRequest::Limits CVRAXMediaRequest::limitsOf(std::int32_t index)
{
    CVRAXFetchBatch::Slot& slot = batch_->slots[index];
    Limits limits;
    if (slot.explicitSize) {
        limits.width = CVXLString(slot.width);
        limits.height = CVXLString(slot.height);
        limits.bytes = environment().configItem(kCfgImageViewMaxFileSize);
        slot.scaling = CVRAXFetchBatch::kStretch;
        return limits;
    }
    if (slot.kind < CVRAXFetchBatch::kFullSize || slot.kind > CVRAXFetchBatch::kView)
        return limits;
    for (const TypeItems& type : kTypeItems) {
        if (slot.mimeType.find(type.prefix) != 0)
            continue;
        const KindItems& items = type.kinds[slot.kind];
        if (items.width)
            limits.width = environment().configItem(items.width);
        if (items.height)
            limits.height = environment().configItem(items.height);
        limits.bytes = environment().configItem(items.bytes);
        break;
    }
    return limits;
}

void CVRAXMediaRequest::writeRendition(const char* name, const CVXLString& value)
{
    startElement("rend");
    if (name)
        attribute("name", name);
    text(value);
    endElement();
}

void CVRAXMediaRequest::writeRenditions(std::int32_t index, const Limits& limits)
{
    const CVRAXFetchBatch::Slot& slot = batch_->slots[index];
    const CVXLString size = limits.width + "," + limits.height;
    if (slot.kind == CVRAXFetchBatch::kPreview) {
        writeRendition("THUMBNAIL_XY", size);
        writeRendition("THUMBNAIL_BYTESMAX", limits.bytes);
        writeRendition("THUMBNAIL_ORIENT", CVXLString(slot.orientation));
    } else if (slot.kind == CVRAXFetchBatch::kView) {
        const bool named
            = slot.scaling >= CVRAXFetchBatch::kStretch && slot.scaling <= CVRAXFetchBatch::kKeepAspectRatio;
        writeRendition(named ? kScalingNames[slot.scaling] : nullptr, size);
        writeRendition("ORIENT", CVXLString(slot.orientation));
    }
    if (slot.outputMimeType.length() != 0)
        writeRendition("TYPE", slot.outputMimeType);
}

void CVRAXMediaRequest::writeBody()
{
    if (!batch_)
        return;
    const std::int32_t count = batch_->slotCount();
    startElement("media-req");
    attribute("content-id-required", "true");
    attribute("supportOutputMimeType", "true");
    attribute("disable-watermarks", "true");
    writeIdentity(false);
    startElement("desturi");
    attribute("val", "");
    endElement();
    startElement("numelem");
    attribute("val", CVXLString(count));
    endElement();
    Limits first;
    for (std::int32_t i = 0; i < count; ++i) {
        const Limits limits = limitsOf(i);
        if (i == 0)
            first = limits;
        startElement("elem");
        attribute("lid", "");
        attribute("id", batch_->slots[i].itemId);
        attribute("offset", "0");
        attribute("count", limits.bytes);
        attribute("total", "-1");
        endElement();
    }
    if (count > 0)
        writeRenditions(0, first);
    endElement();
}
