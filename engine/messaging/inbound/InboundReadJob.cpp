#include "engine/messaging/inbound/InboundReadJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/records/VXLInboundRequests.h"

namespace {

bool isReadableKind(std::uint32_t kind)
{
    return kind == 0 || kind == 1 || kind == 2 || kind == 4;
}

} // namespace

CInboundReadJob::CInboundReadJob(CVXLInboundMessageManager& manager)
    : CInboundJob(manager)
{
    addMember(&partRead_);
}

void CInboundReadJob::begin(CVXLEvent* request)
{
    auto* read = static_cast<CMessageReadRequest*>(request);
    if (!storeTarget() || !isReadableKind(read->kind)) {
        VXL_LOG_INFO("inbound read: a read of kind %u not served", read->kind);
        return answerAs(kResultFailed);
    }
    fetched_ = false;
    partIndex_ = 0;
    readNextPart();
}

void CInboundReadJob::readNextPart()
{
    auto* read = static_cast<CMessageReadRequest*>(held_);
    // A read of no parts asks for the total only, unless in mode 2.
    partRead_.asText = read->readMode == 3 ? 1 : 0;
    partRead_.partIndex = read->firstPart + partIndex_;
    postRead(partRead_, read->partCount == 0 && read->readMode != 2 ? 0 : 5, read->messageId);
}

void CInboundReadJob::onReply(CVXLEvent* reply)
{
    if (!held_)
        return;
    if (reply != &partRead_)
        return CInboundJob::onReply(reply);
    auto* request = static_cast<CMessageReadRequest*>(held_);
    const CVXLStoredMessageRead& read = partRead_.read;
    if (reply->result() == kResultDataComplete && !fetched_) {
        // The body is not stored: fetch it from the stored location, then
        // read again from the first part.
        const CVXLString location = read.summary.value("3");
        if (!location.length())
            return answer(kResultNoContentLocation);
        fetched_ = true;
        return fetchWhole(
            location, request->messageId, CVXLInboundMessageManager::boxOfId(request->messageId));
    }
    if (reply->result() != kResultSucceeded)
        return answer(reply->result(), reply->resultText());
    request->totalMediaParts
        = static_cast<std::uint32_t>(read.totals.value("X-QV-Total-Media-Parts").toInt());
    if (partRead_.mode == 0)
        return answer(kResultSucceeded);
    const CVXLString& type = read.content.value(CVXLString("Content-Type"), 0, true);
    if (!request->accepts(type)) {
        VXL_LOG_INFO("inbound read: part %u of %s refused by the media filter", partRead_.partIndex,
            request->messageId.c_str());
        return answer(kResultMessageNotStored);
    }
    if (request->mediaItems) {
        CVXLMediaItem& item = static_cast<CVXLMediaItem*>(request->mediaItems)[partIndex_];
        CVXLString name = read.content.value(CVXLString("Content-Location"), 0, true);
        if (!name.length())
            name = read.content.value(CVXLString("Location"), 0, true);
        item.setName(name);
        item.setIsImage(type.c_str());
        item.setSize(static_cast<std::int32_t>(read.bodyLength));
        CVXLMediaRefHandle handle;
        handle.setMimeType(type.c_str());
        handle.addEntry(
            read.bodyLocator, type, read.bodySource, 0, 0, static_cast<std::int32_t>(read.bodyLength), false);
        item.setMediaRef(handle);
    }
    if (partRead_.asText)
        request->text = read.text;
    if (++partIndex_ < request->partCount)
        return readNextPart();
    answer(kResultSucceeded);
}

void CInboundReadJob::wholeStored(std::int32_t result, const CVXLString& text)
{
    if (!held_)
        return;
    if (result != kResultSucceeded)
        return answer(result, text);
    partIndex_ = 0;
    readNextPart();
}
