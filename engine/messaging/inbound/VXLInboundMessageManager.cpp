#include "engine/messaging/inbound/VXLInboundMessageManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/transport/mms/VXLMmsPdu.h"

#include <algorithm>
#include <cstdio>

namespace {

CVXLInboundMessageManager* gInstance = nullptr;

constexpr std::uint32_t kForwardSubjectLimit = 499;

void addAddresses(CVXLMmsPdu* pdu, const CVXLString& list, void (CVXLMmsPdu::*add)(const CVXLString&))
{
    int start = 0;
    const int length = static_cast<int>(list.length());
    while (start < length) {
        int comma = list.findChar(',', start);
        if (comma < 0)
            comma = length;
        int first = start;
        int end = comma;
        const char* text = list.c_str();
        while (first < end && text[first] == ' ')
            ++first;
        while (end > first && text[end - 1] == ' ')
            --end;
        if (end > first)
            (pdu->*add)(list.substr(first, static_cast<std::uint32_t>(end - first)));
        start = comma + 1;
    }
}

} // namespace

CVXLInboundMessageManager::CVXLInboundMessageManager()
{
    gInstance = this;
    mms_.setTaskProcessor(&tasks_);
    mmsSms_.setTaskProcessor(&tasks_);
}

CVXLInboundMessageManager::~CVXLInboundMessageManager()
{
    if (gInstance == this)
        gInstance = nullptr;
}

CVXLInboundMessageManager* CVXLInboundMessageManager::instance()
{
    return gInstance;
}

void CVXLInboundMessageManager::setMessageStore(CVXLPlatformStore* store)
{
    platformStore_ = store;
    http_.setMessageStore(store);
    encoder_.setMessageStore(store);
    decoder_.setMessageStore(store);
    parser_.setMessageStore(store);
}

void CVXLInboundMessageManager::releaseMessageStore()
{
    parser_.releaseStream();
    setMessageStore(nullptr);
}

void CVXLInboundMessageManager::init()
{
    CVXLEventHandler::init();
    startChild(&tasks_);
    tasks_.registerProcessor(&mms_);
    tasks_.registerProcessor(&mmsSms_);
    tasks_.registerProcessor(&http_);
    tasks_.registerProcessor(&encoder_);
    tasks_.registerProcessor(&decoder_);
    startChild(&parser_);
    for (CInboundJob* job : std::initializer_list<CInboundJob*> {
             &receive_, &open_, &read_, &count_, &list_, &forward_, &save_, &delete_, &send_})
        startChild(job);
}

int CVXLInboundMessageManager::submitTransaction(CVXLTransaction* transaction)
{
    return tasks_.addTransaction(transaction);
}

std::int32_t CVXLInboundMessageManager::classifyAddress(const CVXLString& address)
{
    if (address.findChar('@') > 0)
        return 0;
    const char* text = address.c_str();
    if (text[0] == '+')
        return 1;
    bool digits = text[0] != 0;
    for (const char* c = text; *c; ++c)
        digits = digits && ((*c >= '0' && *c <= '9') || *c == '-');
    return digits ? 1 : 2;
}

std::uint32_t CVXLInboundMessageManager::boxOfId(const CVXLString& id)
{
    switch (id.c_str()[0]) {
    case 'm':
        return 1;
    case 'p':
        return 2;
    case 's':
        return 3;
    case 't':
        return 4;
    default:
        return 0;
    }
}

CInboundJob* CVXLInboundMessageManager::jobFor(std::int32_t code)
{
    switch (code) {
    case kRequestPush:
        return &receive_;
    case kRequestCount:
        return &count_;
    case kInboundRequestOpen:
        return &open_;
    case kInboundRequestRead:
        return &read_;
    case kInboundRequestNetworkMessage:
        return &forward_;
    case kInboundRequestMmsSend:
        return &send_;
    case kInboundRequestMmboxStore:
        return &save_;
    case kEventMessageBoxList:
        return &list_;
    case kEventMessageItem:
        return &delete_;
    default:
        return nullptr;
    }
}

void CVXLInboundMessageManager::onEvent(CVXLEvent* event)
{
    if (!event->isRequest()) {
        VXL_LOG_INFO("inbound manager: reply %d dropped", event->replyCode());
        return finishEvent(event);
    }
    const std::int32_t code = event->requestCode();
    if (code == kEventStart || code == kEventStop)
        return finishEvent(event);
    if (code == kEventCancelNotice)
        return onCancel(event);
    CInboundJob* job = jobFor(code);
    if (!job) {
        VXL_LOG_INFO("inbound manager: request %d refused", code);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    if (job->busy()) {
        VXL_LOG_INFO("inbound manager: request %d while %s is busy, refused", code, job->name());
        event->setResult(code == kRequestPush ? kResultNotificationBusy : kResultFailed);
        return finishEvent(event);
    }
    job->take(event);
    forward(job, event);
}

void CVXLInboundMessageManager::onUiRequest(std::int32_t code)
{
    if (code != kUIRequestScreenFlowNotice)
        return;
    auto* cancel = new CVXLSimpleEvent(kEventCancelNotice);
    post(this, cancel);
}

// Nothing that was cancelled answers the requests held: they end here.
void CVXLInboundMessageManager::onCancel(CVXLEvent* event)
{
    for (CInboundJob* job : std::initializer_list<CInboundJob*> {
             &receive_, &open_, &read_, &count_, &list_, &forward_, &save_, &delete_, &send_})
        job->cancel();
    finishEvent(event);
}

void CVXLInboundMessageManager::requestFetch(CInboundJob* job)
{
    if (!fetchOwner_) {
        fetchOwner_ = job;
        return job->fetchGranted();
    }
    if (fetchOwner_ != job
        && std::find(fetchWaiting_.begin(), fetchWaiting_.end(), job) == fetchWaiting_.end())
        fetchWaiting_.push_back(job);
}

void CVXLInboundMessageManager::releaseFetch(CInboundJob* job)
{
    fetchWaiting_.erase(std::remove(fetchWaiting_.begin(), fetchWaiting_.end(), job), fetchWaiting_.end());
    if (fetchOwner_ != job)
        return;
    fetchOwner_ = nullptr;
    if (fetchWaiting_.empty())
        return;
    CInboundJob* next = fetchWaiting_.front();
    fetchWaiting_.pop_front();
    fetchOwner_ = next;
    next->fetchGranted();
}

CVXLString CVXLInboundMessageManager::nextTransactionId(const char* prefix)
{
    CVXLString id(prefix);
    if (services_)
        id += services_->userId();
    id += "-";
    if (transactionSequence_ == 0)
        transactionSequence_
            = static_cast<std::uint64_t>(services_ ? services_->nowSeconds() : 0) * kTransactionsPerSecond;
    char number[24];
    std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(++transactionSequence_));
    id += number;
    return id;
}

CVXLString CVXLInboundMessageManager::encodeForwardSubject(const CVXLString& subject)
{
    static const char kMarks[] = " \"#$%&+,/:;<=>?@[\\]^`{|}~";
    const auto* text = reinterpret_cast<const unsigned char*>(subject.c_str());
    std::uint32_t length = subject.length() < kForwardSubjectLimit ? subject.length() : kForwardSubjectLimit;
    // Back to the start of a character cut by the limit.
    if (length < subject.length()) {
        std::uint32_t start = length;
        while (start > 0 && (text[start] & 0xC0) == 0x80)
            --start;
        length = start;
    }
    static const char kHex[] = "0123456789ABCDEF";
    CVXLString out;
    for (std::uint32_t i = 0; i < length; ++i) {
        const unsigned char c = text[i];
        bool escape = c < 0x21 || c > 0x7E;
        for (const char* m = kMarks; *m && !escape; ++m)
            escape = c == static_cast<unsigned char>(*m);
        if (escape) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void CVXLInboundMessageManager::addRecipients(
    CVXLMmsPdu* pdu, const CVXLString& to, const CVXLString& cc, const CVXLString& bcc)
{
    addAddresses(pdu, to, &CVXLMmsPdu::addTo);
    addAddresses(pdu, cc, &CVXLMmsPdu::addCc);
    addAddresses(pdu, bcc, &CVXLMmsPdu::addBcc);
}
