#include "engine/messaging/inbound/InboundJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mms/VXLMboxViewRequestPdu.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLSimpleRequestPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

#include <cstring>

namespace {

constexpr const char* kMessageFile = "temp_mms.raw";
constexpr const char* kMmboxMessageFile = "temp_mmboxmms.raw";
constexpr const char* kRelayReplyFile = "temp_mmboxmsg.raw";
constexpr const char* kSentFolderFlag = "com.veltmarsh.mmbox.folder=/Sent";
constexpr const char* kPersonalFolderFlag = "com.veltmarsh.mmbox.folder=/Personal%20Folder";
// X-Mms-MM-Flags add token; X-Mms-Totals Yes.
constexpr std::int32_t kFlagAdd = 6;
constexpr std::int32_t kYes = 0;
// The codec's field of X-Mms-Retrieve-Status.
constexpr std::int32_t kRetrieveStatusField = 25;

} // namespace

CInboundJob::CInboundJob(CVXLInboundMessageManager& manager)
    : manager_(manager)
{
    callback_.setHeapAllocated(false);
    tempDeleted_.setHeapAllocated(false);
    bodyDeleted_.setHeapAllocated(false);
    parseRequest_.setHeapAllocated(false);
    storeWhole_.setHeapAllocated(false);
    addMember(&parseRequest_);
    addMember(&storeWhole_);
}

CInboundJob::~CInboundJob()
{
    delete transaction_;
}

void CInboundJob::addMember(CVXLEvent* event)
{
    event->setHeapAllocated(false);
    members_.push_back(event);
}

void CInboundJob::take(CVXLEvent* request)
{
    held_ = request;
    abandoned_ = false;
}

bool CInboundJob::busy() const
{
    if (held_ || transaction_ || fetch_ != FetchState::kIdle)
        return true;
    for (const CVXLEvent* member : members_) {
        if (member->isBusy())
            return true;
    }
    return false;
}

CVXLEventHandler* CInboundJob::storeTarget() const
{
    return manager_.storeTarget();
}
CInboundServices* CInboundJob::services() const
{
    return manager_.services();
}
std::uint32_t CInboundJob::nowSeconds() const
{
    return services() ? services()->nowSeconds() : 0;
}
CVXLString CInboundJob::userId() const
{
    return services() ? services()->userId() : CVXLString();
}
CVXLString CInboundJob::relayUrl() const
{
    return services() ? services()->relayUrl() : CVXLString();
}

void CInboundJob::onEvent(CVXLEvent* event)
{
    if (event == &callback_)
        return onTransaction(&callback_);
    if (event == &tempDeleted_ || event == &bodyDeleted_)
        return finishEvent(event);
    if (event->effectiveCode() == kEventStart)
        return finishEvent(event);
    if (event->effectiveCode() == kEventStop) {
        cancel();
        return finishEvent(event);
    }
    if (event->isRequest()) {
        if (event == held_)
            return begin(event);
        VXL_LOG_INFO("%s: request %d not handed over, refused", name(), event->requestCode());
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    if (event == &parseRequest_) {
        const std::int32_t result = event->result();
        const CVXLString text = event->resultText();
        finishEvent(event);
        return parsed(result, text);
    }
    if (event == &storeWhole_) {
        const std::int32_t result = event->result();
        const CVXLString text = event->resultText();
        storeWhole_.message = nullptr;
        finishEvent(event);
        retrieved_.reset();
        return endFetch(result, text);
    }
    onReply(event);
    if (isInProgress(event))
        finishEvent(event);
}

void CInboundJob::onStep(std::int32_t step, std::int32_t result)
{
    VXL_LOG_INFO("%s: step %d ended with %d", name(), step, result);
}

void CInboundJob::onReply(CVXLEvent* reply)
{
    VXL_LOG_INFO("%s: reply %d dropped", name(), reply->replyCode());
}

void CInboundJob::wholeStored(std::int32_t result, const CVXLString& text)
{
    (void)result;
    (void)text;
}

void CInboundJob::onTransaction(CVXLCallbackEvent* callback)
{
    const std::int32_t step = callback->requestCode();
    const std::int32_t result = callback->result();
    finishEvent(callback);
    current_ = transaction_;
    transaction_ = nullptr;
    if (abandoned_) {
        abandoned_ = false;
        VXL_LOG_INFO("%s: a cancelled transaction of step %d ended", name(), step);
    } else if (step == kStepRetrieved && fetch_ == FetchState::kRetrieving) {
        retrieved(result);
    } else {
        onStep(step, result);
    }
    delete current_;
    current_ = nullptr;
}

void CInboundJob::cancel()
{
    if (storeTarget())
        cancelEventsWith(storeTarget());
    if (manager_.producer())
        cancelEventsWith(manager_.producer());
    cancelEventsWith(&manager_.parser());
    if (transaction_) {
        abandoned_ = true;
        transaction_->cancel();
    }
    if (fetch_ != FetchState::kIdle) {
        fetch_ = FetchState::kIdle;
        retrieved_.reset();
        storeWhole_.message = nullptr;
        manager_.releaseFetch(this);
    }
    dropSteps();
    if (held_)
        VXL_LOG_INFO("%s: request %d cancelled", name(), held_->requestCode());
    answerAs(kResultCancelled);
}

std::int32_t CInboundJob::transportResult(std::int32_t result)
{
    return result == kResultTransactionFailed ? kResultMmsTransport : result;
}

void CInboundJob::answer(std::int32_t result, const CVXLString& text)
{
    answerAs(transportResult(result), text);
}

void CInboundJob::answerAs(std::int32_t result, const CVXLString& text)
{
    if (!held_)
        return;
    CVXLEvent* event = held_;
    held_ = nullptr;
    if (text.length())
        event->setResult(result, text);
    else
        event->setResult(result);
    finishEvent(event);
}

void CInboundJob::postToStore(CVXLEvent* event)
{
    post(storeTarget(), event);
}

void CInboundJob::postRead(CStoreReadRequest& read, std::uint32_t mode, const CVXLString& id)
{
    read.mode = mode;
    read.read = CVXLStoredMessageRead();
    read.read.messageId = id;
    postToStore(&read);
}

CVXLTransactionListenerRef CInboundJob::listener()
{
    return CVXLTransactionListenerRef(&callback_);
}

bool CInboundJob::submit(std::int32_t step, CVXLTransaction* transaction)
{
    if (transaction_ || callback_.isBusy()) {
        VXL_LOG_INFO("%s: step %d while a transaction is still out", name(), step);
        delete transaction;
        return false;
    }
    callback_.setRequestCode(step);
    callback_.setReplyCode(step);
    transaction_ = transaction;
    if (manager_.submitTransaction(transaction) == 1)
        return true;
    transaction_ = nullptr;
    delete transaction;
    return false;
}

bool CInboundJob::submitGet(std::int32_t step, const CVXLString& location, const char* file)
{
    auto* get = new CVXLHttpTransaction(listener());
    get->setMethod(CVXLHttpTransaction::kMethodGet);
    // The relay's locations carry a query; one without gets it started.
    CVXLString url = location;
    url += std::strchr(location.c_str(), '?') ? "&thumbnail=true" : "?thumbnail=true";
    get->setUrl(url);
    auto* sink = new CVXLMimeEntity();
    sink->setFileName(file);
    get->responseMessage().setBody(CVXLEntityRef(sink));
    return submit(step, get);
}

bool CInboundJob::submitMms(
    std::int32_t step, CVXLMmsPdu* pdu, const CVXLString& url, const char* file, std::uint32_t replyLength)
{
    auto* transaction = new CVXLMmsTransaction(listener());
    transaction->setRequestPdu(CVXLPduRef(pdu));
    transaction->setUrl(url);
    transaction->setResponseFileName(file);
    transaction->setOwner(&manager_);
    transaction->setExpectedReplyLength(replyLength);
    return submit(step, transaction);
}

bool CInboundJob::submitMmboxView(std::uint32_t kind, std::uint32_t start, std::uint32_t size)
{
    auto* pdu = new CVXLMboxViewRequestPdu(manager_.nextTransactionId("MMS-"));
    if (kind == 1)
        pdu->setMmFlags(kSentFolderFlag, kFlagAdd);
    else if (kind == 2)
        pdu->setMmFlags(kPersonalFolderFlag, kFlagAdd);
    for (std::int32_t field : {kMmsFieldBcc, kMmsFieldCc, kMmsFieldDate, kMmsFieldFrom, kMmsFieldPriority,
             kMmsFieldSubject, kMmsFieldTo})
        pdu->setAttributes(field);
    pdu->setStart(start + 1);
    pdu->setLimit(size);
    pdu->setTotals(kYes);
    CVXLString url = relayUrl();
    const char* text = url.c_str();
    if (!url.length() || text[url.length() - 1] != '/')
        url += "/";
    url += "?sua=";
    url += userId();
    return submitMms(kStepMmboxView, pdu, url, kRelayReplyFile);
}

void CInboundJob::deleteRelayTransferFile()
{
    CVXLPlatformStore* store = manager_.platformStore();
    if (store && !tempDeleted_.isBusy())
        store->deleteItem(kRelayReplyFile, &tempDeleted_);
}

CVXLPduRef CInboundJob::relayReply(std::int32_t& result, CVXLString& text)
{
    deleteRelayTransferFile();
    auto* mms = static_cast<CVXLMmsTransaction*>(transaction());
    const CVXLPduRef reply = mms ? mms->replyPdu() : CVXLPduRef();
    if (result == kResultSucceeded && reply.isEmpty())
        result = kResultMmsTransport;
    if (result == kResultSucceeded && reply->responseStatus().toInt() != 0) {
        result = kResultMmsRelayStatus;
        text = reply->responseText();
    }
    return reply;
}

void CInboundJob::copyHeaders(const CVXLMessage& from, CVXLMessage& to)
{
    for (std::uint32_t i = 0; i < from.headerCount(); ++i) {
        const CVXLString name = from.headerName(static_cast<int>(i));
        for (std::uint32_t n = 0; n < from.valueCount(name); ++n) {
            if (!to.addHeader(name, from.headerValue(name, static_cast<int>(n))))
                continue;
            // The parameters too: an expiry without its token reads as absolute.
            const int added = static_cast<int>(to.valueCount(name)) - 1;
            for (std::uint32_t k = 0; k < from.parameterCount(name, static_cast<int>(n)); ++k) {
                const CVXLString parameter
                    = from.parameterName(name, static_cast<int>(n), static_cast<int>(k));
                if (const CVXLString* value = from.parameter(name, parameter, static_cast<int>(n)))
                    to.addParameter(name, added, parameter, *value);
            }
        }
    }
}

// ---------------------------------------------------------------- the whole message

void CInboundJob::fetchWhole(
    const CVXLString& url, const CVXLString& id, std::uint32_t targetBox, std::uint32_t announcedSize)
{
    fetchUrl_ = url;
    fetchId_ = id;
    fetchBox_ = targetBox;
    fetchSize_ = announcedSize;
    fetch_ = FetchState::kWaiting;
    manager_.requestFetch(this);
}

void CInboundJob::fetchGranted()
{
    if (fetch_ != FetchState::kWaiting)
        return manager_.releaseFetch(this);
    fetch_ = FetchState::kRetrieving;
    if (services())
        services()->pushUIRequestCode(kUIRequestFetchStarted);
    if (!submitMms(
            kStepRetrieved, new CVXLSimpleRequestPdu(kMmsRetrieve, ""), fetchUrl_, fetchFile(), fetchSize_))
        endFetch(kResultStoreFull, CVXLString());
}

void CInboundJob::retrieved(std::int32_t result)
{
    auto* retrieve = static_cast<CVXLMmsTransaction*>(current_);
    CVXLPduRef reply = retrieve ? retrieve->replyPdu() : CVXLPduRef();
    CVXLString text;
    if (result == kResultSucceeded && reply.isEmpty())
        result = kResultMalformed;
    // Only a status other than Ok (0) fails the retrieval.
    if (result == kResultSucceeded && reply->field(kRetrieveStatusField).length()
        && reply->retrieveStatus() != 0) {
        result = kResultMmsRelayStatus;
        text = reply->retrieveText();
    }
    if (result != kResultSucceeded) {
        VXL_LOG_INFO("%s: the whole message of %s was not fetched (%d)", name(), fetchId_.c_str(), result);
        return endFetch(result, text);
    }
    fetchStage(CVXLInboundMessageManager::kStageStored);
    fetch_ = FetchState::kParsing;
    retrieved_ = reply;
    parseRequest_.message = reply;
    post(&manager_.parser(), &parseRequest_);
}

void CInboundJob::parsed(std::int32_t result, const CVXLString& text)
{
    parseRequest_.message.reset();
    if (fetch_ != FetchState::kParsing)
        return;
    if (result != kResultSucceeded)
        return endFetch(result, text);
    fetchStage(CVXLInboundMessageManager::kStageParsed);
    fetch_ = FetchState::kStoring;
    storeWhole_.messageId = fetchId_;
    storeWhole_.fullMessage = 1;
    storeWhole_.message = retrieved_.get();
    storeWhole_.notValidBefore = 0;
    storeWhole_.fromMmbox = 0;
    storeWhole_.targetBox = fetchBox_;
    postToStore(&storeWhole_);
}

const char* CInboundJob::fetchFile() const
{
    return CVXLInboundMessageManager::boxOfId(fetchId_) == 1 ? kMmboxMessageFile : kMessageFile;
}

void CInboundJob::endFetch(std::int32_t result, const CVXLString& text)
{
    if (fetch_ == FetchState::kIdle)
        return;
    // A fetch that received its body and then failed (a body that does not
    // decode or parse, a store that refused it) leaves no file behind.
    const bool received = fetch_ != FetchState::kWaiting;
    fetch_ = FetchState::kIdle;
    retrieved_.reset();
    CVXLPlatformStore* store = manager_.platformStore();
    if (result != kResultSucceeded && received && store && !bodyDeleted_.isBusy())
        store->deleteItem(fetchFile(), &bodyDeleted_);
    manager_.releaseFetch(this);
    wholeStored(result, text);
}
