#include "engine/service/VRAXJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/service/VRAXEnvironment.h"
#include "engine/transport/http/VXLHttpBodyRequest.h"

#include <cstring>

// The size check comes before anything is sent.
CVXLHsmState CVRAXJob::SendUpload(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        break;
    default:
        return super(&CVRAXJob::Exchange);
    }
    CVXLOnlineUploadRequest* upload = mediaListRequest_.upload();
    if (!upload || !upload->item || upload->size < 0) {
        VXL_LOG_INFO("VRAX job: an upload without an item or a size; refused");
        return fail(kResultFailed);
    }
    const CVXLString mimeType = environment_.mediaFacts(*upload->item).mimeType;
    const std::uint32_t size = static_cast<std::uint32_t>(upload->size);
    if (uploadLimit(mimeType) < size) {
        VXL_LOG_INFO(
            "VRAX job: an upload of %u bytes is over the limit of its type", static_cast<unsigned>(size));
        return fail(kResultUploadTooLarge);
    }
    multipartWriter_.reset();
    multipartWriter_.setAttachment(mimeType, CVRAXMultipartWriter::kEncoding8bit, size);
    postDocument(mediaListRequest_);
    return transition(&CVRAXJob::AwaitUploadBodyRequest);
}

CVXLHsmState CVRAXJob::AwaitBodyRequest(const CVXLEvent* e)
{
    if (signalOf(e) == kEventHttpBodyRequest) {
        static_cast<CVXLHttpBodyRequest*>(httpEvent_)->part = &sendBuffer_;
        answerHttpEvent(kResultSucceeded);
        return transition(&CVRAXJob::AwaitReplyHeaders);
    }
    return super(&CVRAXJob::SendWait);
}

CVXLHsmState CVRAXJob::AwaitUploadBodyRequest(const CVXLEvent* e)
{
    if (signalOf(e) != kEventHttpBodyRequest)
        return super(&CVRAXJob::SendWait);
    transferRemaining_ = static_cast<std::uint32_t>(mediaListRequest_.upload()->size);
    bodyRequest_ = httpEvent_;
    httpEvent_ = nullptr;
    // With nothing to send, the framing and the trailer go out together.
    if (transferRemaining_ == 0) {
        ring_.postSignal(kSigNoData);
        return transition(&CVRAXJob::SendUploadData);
    }
    handOutBody();
    return transition(&CVRAXJob::SendUploadData);
}

CVXLHsmState CVRAXJob::SendUploadData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventHttpBodyRequest:
        bodyRequest_ = httpEvent_;
        httpEvent_ = nullptr;
        sourceRead_.size = static_cast<std::int32_t>(
            transferRemaining_ < kUploadReadMax ? transferRemaining_ : kUploadReadMax);
        sourceRead_.buffer.clear();
        sourceRead_.setResult(kResultSucceeded);
        post(held_->source(), &sourceRead_);
        return transition(&CVRAXJob::AwaitSourceData);
    case kSigNoData:
        const CVXLByteBuffer trailer = multipartWriter_.trailerBytes();
        sendBuffer_.append(trailer.data(), trailer.length());
        handOutBody();
        return transition(&CVRAXJob::AwaitReplyHeaders);
    }
    return super(&CVRAXJob::SendWait);
}

CVXLHsmState CVRAXJob::AwaitSourceData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplySourceData:
        break;
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    default:
        return super(&CVRAXJob::Exchange);
    }
    const std::int32_t result = e->result();
    if (result != kResultSucceeded && result != kResultDataComplete)
        return fail(result);
    sendBuffer_ = sourceRead_.buffer;
    if (sendBuffer_.length() > transferRemaining_) {
        VXL_LOG_INFO("VRAX job: the upload source gave %u bytes where %u were owed",
            static_cast<unsigned>(sendBuffer_.length()), static_cast<unsigned>(transferRemaining_));
        return fail(kResultFailed);
    }
    if (result == kResultDataComplete) {
        // A source that ended before the announced length would leave the
        // body short of its Content-Length.
        if (sendBuffer_.length() != transferRemaining_) {
            VXL_LOG_INFO("VRAX job: the upload source ended %u bytes early",
                static_cast<unsigned>(transferRemaining_ - sendBuffer_.length()));
            return fail(kResultFailed);
        }
        transferRemaining_ = 0;
        ring_.postSignal(kSigNoData);
        return transition(&CVRAXJob::SendUploadData);
    }
    if (sendBuffer_.length() == 0) {
        VXL_LOG_INFO("VRAX job: the upload source answered a read with no bytes");
        return fail(kResultFailed);
    }
    transferRemaining_ -= sendBuffer_.length();
    handOutBody();
    return transition(&CVRAXJob::SendUploadData);
}

CVXLHsmState CVRAXJob::takeUpload()
{
    auto* upload = static_cast<CVXLOnlineUploadRequest*>(held_);
    upload->lookup = false;
    if (!upload->item || !held_->source()) {
        VXL_LOG_INFO("VRAX job: an upload without an item or a source; refused");
        complete(kResultFailed);
        return handled();
    }
    // The writer keeps its mode over a rerun: a lookup done is not repeated.
    if (mediaListRequest_.upload() != upload) {
        mediaListRequest_.reset();
        mediaListRequest_.setUpload(upload);
    }
    mediaXferReply_.setUpload(upload);
    if (mediaListRequest_.needsNoLookup()) {
        mediaListRequest_.setMode(CVRAXMediaListRequest::kTransfer);
        return startOperation(toHandler(&CVRAXJob::SendUpload), toHandler(&CVRAXJob::AwaitUploadReply));
    }
    mediaListRequest_.setMode(CVRAXMediaListRequest::kLookup);
    return startOperation(toHandler(&CVRAXJob::SendMediaList), toHandler(&CVRAXJob::AwaitLookupReply));
}

// The limit of the item's kind of media; any other kind may send nothing.
std::uint32_t CVRAXJob::uploadLimit(const CVXLString& mimeType) const
{
    static const struct {
        const char* prefix;
        const char* key;
    } kLimits[] = {
        {"image", "vrax.max_image_upload_size"},
        {"video", "vrax.max_video_upload_size"},
        {"audio", "vrax.max_audio_upload_size"},
    };
    for (const auto& limit : kLimits) {
        if (std::strncmp(mimeType.c_str(), limit.prefix, 5) != 0)
            continue;
        const CVXLString value = setting(limit.key);
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < value.length(); ++i) {
            const char c = value.c_str()[i];
            if (c < '0' || c > '9')
                break;
            const std::uint64_t next = std::uint64_t(n) * 10 + std::uint64_t(c - '0');
            n = next > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(next);
        }
        return n;
    }
    return 0;
}

void CVRAXJob::handOutBody()
{
    CVXLEvent* event = bodyRequest_;
    bodyRequest_ = nullptr;
    if (!event)
        return;
    static_cast<CVXLHttpBodyRequest*>(event)->part = &sendBuffer_;
    event->setResult(kResultSucceeded);
    finishEvent(event);
}

// A held body request answered with a failure closes the exchange.
void CVRAXJob::dropBodyRequest(std::int32_t result)
{
    CVXLEvent* event = bodyRequest_;
    bodyRequest_ = nullptr;
    if (!event)
        return;
    event->setResult(result);
    finishEvent(event);
}
