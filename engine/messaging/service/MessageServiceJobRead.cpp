#include "engine/messaging/service/MessageServiceJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLConfigReader.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"

namespace {

bool beginsWith(const CVXLString& text, const char* prefix)
{
    CVXLString head(prefix);
    return text.length() >= head.length() && text.substr(0, head.length()).compare(head, false) == 0;
}

// A configuration item as a number, or the fallback when it is unset.
std::int32_t configNumber(const CVXLConfigReader* config, std::int32_t item, std::int32_t fallback)
{
    CVXLString text;
    if (config && config->readItem(item, &text) && text.length())
        return text.toInt();
    return fallback;
}

const CVXLString& headerOf(const CVXLHeaderMap& map, const char* name)
{
    return map.value(CVXLString(name), 0, true);
}

} // namespace

void CMessageServiceJob::onOpen(CVXLEvent* event)
{
    auto* open = static_cast<CMessageOpenRequest*>(event);
    if (open->fromNetwork == 1)
        return forwardOrFail(inbound_, event, "inbound manager");
    if (open->fromNetwork != 0) {
        VXL_LOG_INFO("message service job: open mode %u refused", open->fromNetwork);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    openRequest_ = open;
    partsQuery_.messageId = open->messageId;
    partsQuery_.partCount = open->partCount;
    partsQuery_.parts = static_cast<CVXLHeaderMap*>(open->partArray);
    if (!postOrFail(store_, &partsQuery_, event, "message store"))
        openRequest_ = nullptr;
}

void CMessageServiceJob::onOpened(CVXLEvent* reply)
{
    const std::int32_t result
        = reply->result() == kResultDataComplete ? kResultMessageNotStored : reply->result();
    answer(openRequest_, result, reply->resultText());
}

void CMessageServiceJob::onReadParts(CVXLEvent* event)
{
    if (!store_)
        return refuse(event, "message store");
    readRequest_ = static_cast<CMessageReadRequest*>(event);
    partIndex_ = 0;
    partResult_ = kResultSucceeded;
    readPart();
}

void CMessageServiceJob::readPart()
{
    CMessageReadRequest* request = readRequest_;
    partRead_.read.messageId = request->messageId;
    if (partIndex_ < request->partCount || request->readMode == 2) {
        partRead_.mode = 5;
        partRead_.partIndex = request->firstPart + partIndex_;
        partRead_.asText = request->readMode == 3 ? 1 : 0;
    } else {
        partRead_.mode = 0;
        partRead_.partIndex = 0;
        partRead_.asText = 0;
    }
    post(store_, &partRead_);
}

void CMessageServiceJob::onPartRead(CVXLEvent* reply)
{
    CMessageReadRequest* request = readRequest_;
    if (!request)
        return;
    if (reply->result() == kResultDataComplete) {
        // Not held here: the inbound manager fetches and reads it.
        readRequest_ = nullptr;
        return forwardOrFail(inbound_, request, "inbound manager");
    }
    if (reply->result() != kResultSucceeded)
        return answer(readRequest_, reply->result(), reply->resultText());
    const CVXLStoredMessageRead& read = partRead_.read;
    if (request->partCount == 0) {
        request->totalMediaParts
            = static_cast<std::uint32_t>(headerOf(read.totals, "X-QV-Total-Media-Parts").toInt());
    } else if (request->mediaItems) {
        CVXLMediaItem& item = static_cast<CVXLMediaItem*>(request->mediaItems)[partIndex_];
        if (!fillMediaItem(read, request, item))
            partResult_ = kResultMessageNotStored;
    }
    if (++partIndex_ < request->partCount)
        return readPart();
    answer(readRequest_, partResult_);
}

bool CMessageServiceJob::fillMediaItem(
    const CVXLStoredMessageRead& read, CMessageReadRequest* request, CVXLMediaItem& item)
{
    const CVXLString& type = headerOf(read.content, "Content-Type");
    if (request->readMode == 1) {
        item.setId(read.bodyLocator);
        CVXLMediaRefHandle handle;
        handle.setMimeType(type.c_str());
        handle.addEntry(
            read.bodyLocator, type, store_, -1, -1, static_cast<std::int32_t>(read.bodyLength), false);
        handle.setValue(2);
        item.setMediaRef(handle);
        item.setSize(static_cast<std::int32_t>(read.bodyLength));
        return true;
    }
    if (!request->accepts(type)) {
        VXL_LOG_INFO("message service job: part %u of %s refused by the accepted kinds", partRead_.partIndex,
            request->messageId.c_str());
        return false;
    }
    item.setIsImage("");
    item.setOnline(false);
    CVXLMessageSummary summary;
    summary.fill(read, now());
    item.setName(summary.subject());
    if (partRead_.asText && read.text.length()) {
        item.setInfoText(read.text);
        item.setSize(static_cast<std::int32_t>(read.text.length()));
        request->text = read.text;
    } else {
        const CVXLString& width = headerOf(read.content, "X-QV-Image-Width");
        const CVXLString& height = headerOf(read.content, "X-QV-Image-Height");
        const bool given = width.length() && height.length();
        CVXLMediaRefHandle handle;
        handle.setMimeType(type.c_str());
        handle.addEntry(read.bodyLocator, type, store_,
            given ? width.toInt()
                  : configNumber(config(), kCfgMessageImageExpandedWidth, kDefaultExpandedWidth),
            given ? height.toInt()
                  : configNumber(config(), kCfgMessageImageExpandedHeight, kDefaultExpandedHeight),
            static_cast<std::int32_t>(read.bodyLength), false);
        // A part that the service holds too: its web location.
        const CVXLString& location = headerOf(read.content, "Content-Location");
        if (beginsWith(location, "http://") || beginsWith(location, "https://")) {
            // An entry without its job would read as a free slot.
            if (online_) {
                handle.addEntry(location, type, online_, -1, -1, -1, false);
                if (!beginsWith(type, "video/"))
                    handle.addEntry(location, CVXLString("image/"), online_, -1, -1, -1, false);
            }
            item.setLocation(location);
            handle.setValue(1);
        } else {
            handle.setValue(2);
        }
        item.setMediaRef(handle);
        item.setSize(static_cast<std::int32_t>(read.bodyLength));
    }
    const bool drm = read.content.contains(CVXLString("X-QV-DRM-Content-Type"), true);
    item.setDrmProtected(drm);
    item.setSaveLocked(
        drm && headerOf(read.content, "X-QV-Save-Lock").compare(CVXLString("true"), false) == 0);
    return true;
}

void CMessageServiceJob::onInbound(CVXLEvent* event)
{
    forwardOrFail(inbound_, event, "inbound manager");
}
