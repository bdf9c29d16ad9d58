#include "engine/messaging/outbound/OutboundSender.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/transfer/VXLXferJobBase.h"

namespace {

// The service's sub-codes that refuse a message for good.
constexpr std::int32_t kSubCodeRefused = 273;
constexpr std::int32_t kSubCodeRevoked = 274;

// type "/" subtype, each a run of token characters.
bool isMimeType(const CVXLString& text)
{
    const char* c = text.c_str();
    int slashes = 0;
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.length(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(c[i]);
        if (ch == '/') {
            if (run == 0 || ++slashes > 1)
                return false;
            run = 0;
            continue;
        }
        const bool token = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')
            || ch == '-' || ch == '+' || ch == '.' || ch == '_';
        if (!token)
            return false;
        ++run;
    }
    return slashes == 1 && run != 0;
}

} // namespace

COutboundSender::COutboundSender()
{
    result_.setReplyWanted(false);
}

COutboundSender::~COutboundSender() = default;

CVXLString COutboundSender::voiceMemoMimeType(const CVXLString& audioName)
{
    if (isMimeType(audioName))
        return audioName;
    CVXLString type;
    if (!platformMimeTypeOf(audioName.c_str(), &type))
        type.clear();
    return type;
}

bool COutboundSender::isPermanentRefusal(std::int32_t result, std::int32_t subCode)
{
    return result == kResultNetworkNotice && (subCode == kSubCodeRefused || subCode == kSubCodeRevoked);
}

void COutboundSender::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kEventOutboundSend:
        return onSendRequest(event);
    case kReplyItemRead:
        return onItemRead(event);
    case kReplyMediaUploaded:
        return onMediaUploaded(event);
    case kReplyMemoOpened:
        return onMemoOpened(event);
    case kReplyMemoCopied:
        return onMemoCopied(event);
    case kReplyMemoClosed:
        return onMemoClosed(event);
    case kReplyServiceSent:
        return onServiceSent(event);
    case kReplyMmsSent:
        return onMmsSent(event);
    case kEventStop:
        return onStop(event);
    default:
        finishEvent(event);
    }
}

void COutboundSender::onSendRequest(CVXLEvent* event)
{
    auto* request = static_cast<COutboundSendRequest*>(event);
    if (pending_) {
        VXL_LOG_FAILURE("outbound sender: a send request while one runs; refused");
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    pending_ = request;
    requester_ = request->source();
    itemFile_ = request->itemFile;
    audioFile_ = request->audioFile;
    item_.clear();
    step_ = kReadingItem;
    if (!files_) {
        VXL_LOG_FAILURE("outbound sender: no file store to read \"%s\" from", itemFile_.c_str());
        return report(kResultFailed, CVXLString());
    }
    itemRead_.fileName = itemFile_;
    itemRead_.readLength = 0;
    itemRead_.readStart = 0;
    itemRead_.buffer.clear();
    post(files_, &itemRead_);
}

void COutboundSender::onItemRead(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (!pending_)
        return;
    step_ = kUploadingMedia;
    if (result != kResultSucceeded)
        return report(result, text);
    const bool whole = item_.load(itemRead_.buffer);
    itemRead_.buffer.clear();
    // A damaged item or one of a kind nobody sends is never sent, not even
    // in part, and never reported as sent.
    if (!whole
        || (item_.kind != COutboundItem::kKindComposed && item_.kind != COutboundItem::kKindPreparedMms)) {
        VXL_LOG_FAILURE(
            "outbound sender: \"%s\" is not a whole item of a known kind; not sent", itemFile_.c_str());
        item_.clear();
        return report(kResultFailed, CVXLString());
    }
    if (!uploads_) {
        VXL_LOG_FAILURE("outbound sender: no upload manager for \"%s\"", itemFile_.c_str());
        return report(kResultFailed, CVXLString());
    }
    upload_.reset();
    upload_.statusValue = 0;
    for (std::uint32_t i = 0; i < item_.partCount(); ++i) {
        const CVXLMediaIdentity& identity = item_.partAt(static_cast<int>(i))->identity;
        upload_.addItem({static_cast<std::uint32_t>(identity.number()), identity.first(), identity.second()});
    }
    upload_.name = "";
    upload_.flags[0] = 1;
    upload_.flags[2] = 1;
    post(uploads_, &upload_);
}

void COutboundSender::onMediaUploaded(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (!pending_)
        return;
    step_ = kMediaUploaded;
    if (result != kResultSucceeded)
        return report(result, text, isPermanentRefusal(result, upload_.statusValue));
    // The manager wrote each uid into the entry of the same position.
    const std::uint32_t parts = item_.partCount();
    for (std::uint32_t i = 0; i < parts && i < upload_.items.size(); ++i) {
        COutboundMediaPart* part = item_.partAt(static_cast<int>(i));
        const CVXLMediaIdentity& old = part->identity;
        part->identity = CVXLMediaIdentity(old.number(), upload_.items[i].uid, old.second());
    }
    upload_.reset();
    if (audioFile_.length() == 0 || item_.audioName.length() == 0 || !files_)
        return sendByKind();
    memoOpen_.job = nullptr;
    memoOpen_.fileName = audioFile_;
    post(files_, &memoOpen_);
}

void COutboundSender::onMemoOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    CVXLXferJobBase* source = memoOpen_.job;
    memoOpen_.job = nullptr;
    finishEvent(reply);
    if (!pending_) {
        if (source)
            source->stop();
        return;
    }
    step_ = kOpeningVoiceMemo;
    if (result != kResultSucceeded || !source || !vrax_ || memoSink_.isActive()) {
        // A memo that cannot be read is left out; the message still goes.
        VXL_LOG_INFO("outbound sender: voice memo \"%s\" not opened (%d); sent without it",
            audioFile_.c_str(), static_cast<int>(result));
        if (source)
            source->stop();
        return sendByKind();
    }
    memoSource_ = source;
    CVXLMediaRefHandle ref;
    ref.setMimeType(voiceMemoMimeType(item_.audioName).c_str());
    memoItem_.setUid(CVXLString());
    memoItem_.setMediaRef(ref);
    memoSink_.setProtocolJob(vrax_);
    memoSink_.setUpload(&memoItem_, 0, CVXLString());
    memoSink_.restart();
    startChild(&memoSink_);
    source->setDestination(&memoSink_);
    post(source, &memoRun_);
}

void COutboundSender::onMemoCopied(CVXLEvent* reply)
{
    std::int32_t result = reply->result();
    CVXLString text = reply->resultText();
    finishEvent(reply);
    // The service answered before it asked for any bytes: it had nothing
    // to take, which is no failure.
    if (result != kResultSucceeded && memoSink_.completedWithoutData()) {
        result = kResultSucceeded;
        text.clear();
    }
    const CVXLString uid = memoItem_.uid();
    memoItem_.setMediaRef(CVXLMediaRefHandle());
    memoItem_.setUid(CVXLString());
    endMemoTransfer();
    if (!pending_)
        return;
    step_ = kCopyingVoiceMemo;
    if (result != kResultSucceeded)
        return report(result, text);
    item_.voiceAnnotation = uid;
    sendByKind();
}

void COutboundSender::endMemoTransfer()
{
    if (memoSource_)
        post(memoSource_, &memoClose_);
    else
        memoSink_.stop();
}

// The source goes back to the file store, which deletes it.
void COutboundSender::onMemoClosed(CVXLEvent* reply)
{
    finishEvent(reply);
    if (CVXLXferJobBase* source = memoSource_) {
        memoSource_ = nullptr;
        source->stop();
    }
    memoSink_.stop();
}

void COutboundSender::childFinished(CVXLEventHandler* child)
{
    CVXLEventHandler::childFinished(child);
    if (child != &memoSink_ || !memoSource_)
        return;
    // The sink ended before the transfer was closed (a stop).
    cancelEventsWith(memoSource_);
    memoSource_->stop();
    memoSource_ = nullptr;
}

void COutboundSender::sendByKind()
{
    if (item_.kind == COutboundItem::kKindComposed) {
        step_ = kSendingToService;
        if (!vrax_) {
            VXL_LOG_FAILURE("outbound sender: no VRAX job for \"%s\"", itemFile_.c_str());
            return report(kResultFailed, CVXLString());
        }
        fillMessageRecord();
        serviceSend_.serverErrorCode = 0;
        serviceSend_.serverErrorText.clear();
        serviceSend_.repeatPermitted = 0;
        serviceSend_.message = &message_;
        return post(vrax_, &serviceSend_);
    }
    step_ = kSendingMms;
    if (!inbound_) {
        VXL_LOG_FAILURE("outbound sender: no inbound manager for \"%s\"", itemFile_.c_str());
        return report(kResultFailed, CVXLString());
    }
    mmsSend_.word = 0;
    mmsSend_.fileName.clear();
    mmsSend_.kind = 0;
    mmsSend_.ccList.clear();
    mmsSend_.bccList.clear();
    mmsSend_.messageId = item_.texts[0];
    mmsSend_.toList = item_.texts[1];
    mmsSend_.subject = item_.texts[4];
    mmsSend_.partCount = item_.value;
    post(inbound_, &mmsSend_);
}

void COutboundSender::fillMessageRecord()
{
    message_ = CVRAXMessageRecord();
    message_.priority = item_.priority;
    message_.scenarioId = item_.scenarioId;
    message_.cookie = item_.cookie;
    for (std::uint32_t i = 0; i < item_.fieldGroupCount(); ++i) {
        const COutboundFieldGroup* group = item_.fieldGroupAt(static_cast<int>(i));
        CVRAXMessageRecord::Field field;
        field.id = group->fieldId;
        field.type = group->listType;
        field.values = group->values;
        message_.fields.push_back(field);
    }
    for (std::uint32_t i = 0; i < item_.partCount(); ++i) {
        const COutboundMediaPart* part = item_.partAt(static_cast<int>(i));
        message_.media.push_back({part->identity.first(), part->mimeType});
    }
    message_.addresses = item_.recipients;
    message_.voiceAnnotation = item_.voiceAnnotation;
}

void COutboundSender::onServiceSent(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    const std::int32_t subCode = serviceSend_.serverErrorCode;
    finishEvent(reply);
    serviceSend_.message = nullptr;
    if (!pending_)
        return;
    step_ = kServiceAnswered;
    if (result == kResultSucceeded && counters_)
        counters_->add(kCounterMessagesSent, 1);
    report(result, text, isPermanentRefusal(result, subCode));
}

void COutboundSender::onMmsSent(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (!pending_)
        return;
    report(result, text);
}

// A stop ends the send in progress with 24; the queue hears of it as of any
// other failure.
void COutboundSender::onStop(CVXLEvent* event)
{
    // Answers still out come back to a sender with nothing pending and
    // are only finished.
    if (pending_)
        report(kResultCancelled, CVXLString());
    finishEvent(event);
}

void COutboundSender::report(std::int32_t result, const CVXLString& text, bool permanent)
{
    step_ = kIdle;
    CVXLEvent* request = pending_;
    pending_ = nullptr;
    if (result_.isBusy()) {
        VXL_LOG_FAILURE("outbound sender: the last result is still being handled; this one is lost");
    } else if (requester_) {
        result_.messageId = item_.messageId;
        result_.item = &item_;
        result_.permanent = permanent ? 1 : 0;
        result_.setResult(result, text);
        post(requester_, &result_);
    }
    requester_ = nullptr;
    if (request) {
        request->setResult(result, text);
        finishEvent(request);
    }
}
