#include "engine/messaging/outbound/OutboundQueueManager.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/records/VXLInboundRequests.h"

#include <algorithm>
#include <string>

namespace {

COutboundQueueManager* gInstance = nullptr;

constexpr std::uint8_t kNoIndex = 0xFF;
// format, nextItemNumber, count, currentIndex
constexpr std::uint32_t kStateHeader = 10;

CVXLString digits(std::uint32_t value, std::uint32_t radix)
{
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value % radix]);
        value /= radix;
    } while (value != 0);
    return CVXLString(text.c_str());
}

// The recipients of an entry as they were joined: ", " for a composed
// message, "," for a prepared MMS's To list. Empty parts and repeats go.
void splitRecipients(const CVXLString& joined, std::uint32_t kind, CVXLStringArray& out)
{
    const std::string text = joined.c_str();
    const std::string separator = kind == COutboundItem::kKindPreparedMms ? "," : ", ";
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        const CVXLString part(text.substr(start, end - start).c_str());
        if (part.length() != 0 && out.indexOf(part) < 0)
            out.insertAt(part, static_cast<int>(out.count()));
        start = end + separator.size();
    }
}

// Collects the names of a folder listing.
class NameCollector : public CVXLNameListener {
public:
    void setName(const char* name) override { current = name ? name : ""; }
    void done(std::uint32_t status) override { ok = status == 0; }

    std::string current;
    bool ok = false;
};

// "item_N.oq" or "audio_N.oq": N, else false.
bool queueFileNumber(const std::string& name, std::uint32_t* number)
{
    for (const char* prefix : {"item_", "audio_"}) {
        const std::string head = prefix;
        if (name.size() <= head.size() + 3 || name.compare(0, head.size(), head) != 0
            || name.compare(name.size() - 3, 3, ".oq") != 0)
            continue;
        const std::string middle = name.substr(head.size(), name.size() - head.size() - 3);
        if (middle.empty() || middle.size() > 10
            || middle.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const unsigned long long value = std::stoull(middle);
        if (value > 0xFFFFFFFFull)
            return false;
        *number = static_cast<std::uint32_t>(value);
        return true;
    }
    return false;
}

} // namespace

std::uint32_t COutboundQueueEntry::status() const
{
    if (rejected)
        return 4;
    if (sending)
        return 2;
    if (attempts >= COutboundQueueManager::kMaxAttempts)
        return 3;
    if (sentKept)
        return 5;
    if (displaced)
        return 6;
    return 1;
}

COutboundQueueManager::COutboundQueueManager(std::unique_ptr<CVXLEventHandler> sender)
    : sender_(std::move(sender))
{
    wakeUp_.setReplyWanted(false);
    retryTimer_.setReplyWanted(false);
    gInstance = this;
}

COutboundQueueManager::~COutboundQueueManager()
{
    if (gInstance == this)
        gInstance = nullptr;
}

COutboundQueueManager* COutboundQueueManager::instance()
{
    return gInstance;
}

std::uint32_t COutboundQueueManager::countQueued() const
{
    std::uint32_t n = 0;
    for (std::uint32_t i = 0; i < count_; ++i)
        n += entries_[i].kind == 1 || entries_[i].kind == 2;
    return n;
}

CVXLString COutboundQueueManager::itemFileName(std::uint32_t itemNumber)
{
    return CVXLString(("item_" + std::to_string(itemNumber) + ".oq").c_str());
}

CVXLString COutboundQueueManager::audioFileName(std::uint32_t itemNumber)
{
    return CVXLString(("audio_" + std::to_string(itemNumber) + ".oq").c_str());
}

void COutboundQueueManager::onEvent(CVXLEvent* event)
{
    if (event->kind() == kEventReply) {
        if (saver_.onWritten(event))
            return;
        switch (event->replyCode()) {
        case kReplyMediaSaved:
            return onMediaSaved(event);
        case kReplyMemoCopied:
            return onMemoCopied(event);
        case kReplyItemWritten:
            return onItemWritten(event);
        case kReplyAudioWritten:
            return onAudioWritten(event);
        case kReplyUndoItem:
        case kReplyUndoAudio:
            return onUndoStep(event);
        case kReplyThreadAdd:
            finishEvent(event);
            return continueSubmit();
        case kReplyStateRead:
            return onStateRead(event);
        case kReplyReconcile:
            return onReconciled(event);
        case kReplyThreadRemove:
        case kReplyDeleteItem:
        case kReplyDeleteAudio:
            return onDeleteStep(event);
        // A save that could not be asked for at all answers here.
        case kReplyStateAfterSubmit:
        case kReplyStateAfterRetry:
        case kReplyStateAfterSend:
        case kReplyStateAfterDelete:
        case kReplyStateNoted: {
            const std::int32_t code = event->replyCode();
            const std::int32_t result = event->result();
            finishEvent(event);
            return onStateWritten(code, result);
        }
        default:
            return finishEvent(event);
        }
    }
    switch (event->requestCode()) {
    case kEventStart:
        return onStart(event);
    case kEventStop:
        return onStop(event);
    case kOutboundRequestWakeUp:
        return onWakeUp(event);
    case kOutboundRequestRetryTimer:
        finishEvent(event);
        return postWakeUp();
    case kOutboundRequestUnused:
        event->setResult(kResultNotServed);
        return finishEvent(event);
    case kOutboundRequestList:
        return onList(event);
    case kOutboundRequestRefresh:
        return onRefresh(event);
    case kOutboundRequestSubmit:
    case kOutboundRequestSubmitPrepared:
    case kOutboundRequestRetry:
    case kEventSentCopyReceived:
    case kEventMessageItem:
    case kOutboundRequestDeleteAll:
    case kEventOutboundSendResult:
        if (!dispatchRequest(event))
            deferred_.push_back(event);
        return;
    default:
        return finishEvent(event);
    }
}

void COutboundQueueManager::onUiRequest(std::int32_t code)
{
    if (!started_)
        return;
    switch (code) {
    case kUIRequestDataCommOff:
    case kUIRequestDataCommOn:
        dataCommAllowed_ = readDataComm() ? 1 : 0;
        if (dataCommAllowed_)
            postWakeUp();
        return;
    case kUIRequestActivityBegan:
    case kUIRequestActivityEnded:
        if (services_ && services_->hasNoActivity())
            postWakeUp();
        return;
    default:
        return;
    }
}

bool COutboundQueueManager::readDataComm() const
{
    return services_ && services_->dataCommAllowed();
}

// --- start and load -------------------------------------------------------

void COutboundQueueManager::onStart(CVXLEvent* event)
{
    started_ = true;
    dataCommAllowed_ = readDataComm() ? 1 : 0;
    if (sender_)
        startChild(sender_.get());
    startChild(&memoAdapter_);
    startChild(&memoSink_);
    refreshCounters();
    finishEvent(event);
    if (!files_)
        return;
    sendState_ = kSendLoading;
    stateRead_.fileName = kStateFileName;
    stateRead_.readStart = 0;
    stateRead_.readLength = 0;
    stateRead_.buffer.clear();
    post(files_, &stateRead_);
}

void COutboundQueueManager::onStateRead(CVXLEvent* reply)
{
    const bool read = reply->succeeded();
    const CVXLByteBuffer bytes = stateRead_.buffer;
    stateRead_.buffer.clear();
    finishEvent(reply);
    sendState_ = kSendIdle;
    reconcile_.outboundFamily = 1;
    reconcile_.ids.removeAll(true);
    reconcile_.unknownIds.clear();
    Loaded loaded;
    bool whole = false;
    if (read && bytes.length() != 0) {
        whole = parse(bytes, loaded);
        if (!whole) {
            VXL_LOG_FAILURE("outbound queue: damaged %s (%u bytes): the queue starts empty", kStateFileName,
                bytes.length());
            saver_.keepDamagedCopy();
        }
    }
    if (whole) {
        nextItemNumber_ = loaded.nextItemNumber;
        count_ = static_cast<std::uint32_t>(loaded.entries.size());
        for (std::uint32_t i = 0; i < count_; ++i) {
            entries_[i] = loaded.entries[i];
            if (entries_[i].toRecipients)
                reconcile_.addId(entries_[i].summary.messageId);
        }
        reportNotQueuedAtStart();
        sweepOrphanFiles();
    }
    currentIndex_ = -1;
    refreshCounters();
    if (threads_) {
        post(threads_, &reconcile_);
    } else {
        postWakeUp();
    }
    runDeferred();
}

void COutboundQueueManager::reportNotQueuedAtStart()
{
    if (!services_ || !services_->deleteSentMessages() || !producer_)
        return;
    auto* report = new CFailedMessageReport;
    if (!report)
        return;
    report->kind = CFailedMessageReport::kKindOther;
    for (std::uint32_t i = 0; i < count_; ++i) {
        const COutboundQueueEntry& e = entries_[i];
        if (e.status() == 1)
            continue;
        report->records.push_back({e.summary.messageId, e.summary.recipients, e.summary.text,
            e.summary.createdTime, e.attempts, kReasonNotQueuedAtStart});
    }
    if (report->records.empty()) {
        delete report;
        return;
    }
    post(producer_, report);
}

// Files of entries that are gone: a delete whose state write was answered
// but whose file deletes were cut short, or a submit cut short before the
// state named its entry.
void COutboundQueueManager::sweepOrphanFiles()
{
    if (!store_ || !files_)
        return;
    NameCollector names;
    std::vector<std::string> orphans;
    store_->first(&names);
    for (int guard = 0; names.ok && guard < 100000; ++guard) {
        std::uint32_t number = 0;
        if (queueFileNumber(names.current, &number) && findByItemNumber(number) < 0)
            orphans.push_back(names.current);
        names.ok = false;
        store_->next(&names);
    }
    for (const std::string& name : orphans) {
        VXL_LOG_INFO("outbound queue: %s names no entry: removed", name.c_str());
        postFileDelete(CVXLString(name.c_str()), kReplyUnawaited);
    }
}

void COutboundQueueManager::onReconciled(CVXLEvent* reply)
{
    finishEvent(reply);
    for (int i = static_cast<int>(reconcile_.unknownIds.count()) - 1; i >= 0; --i) {
        const int index = findById(reconcile_.unknownIds.at(i));
        if (index < 0 || !threads_)
            continue;
        const COutboundQueueEntry& e = entries_[index];
        auto* add = new CThreadAddRequest(kReplyThreadReAdd);
        if (!add)
            break;
        add->messageId = e.summary.messageId;
        add->sender = services_ ? services_->ownNumber() : CVXLString();
        splitRecipients(e.summary.recipients, e.kind, add->recipients);
        add->queued = 1;
        add->sent = 1;
        add->sentTime = e.summary.createdTime;
        post(threads_, add);
    }
    reconcile_.ids.removeAll(true);
    reconcile_.unknownIds.clear();
    // Whatever the answer, what was queued before the restart goes out now.
    postWakeUp();
}

// Requests still waiting are refused; one under way is answered with 24 (a
// submit cut here is not stored: the next load removes what it wrote).
void COutboundQueueManager::onStop(CVXLEvent* event)
{
    if (retryTimer_.isBusy())
        cancelEvent(&retryTimer_);
    while (!deferred_.empty()) {
        CVXLEvent* waiting = deferred_.front();
        deferred_.pop_front();
        waiting->setResult(kResultCancelled);
        finishEvent(waiting);
    }
    for (CVXLEvent** held : {&pendingSubmit_, &deleteRequest_}) {
        if (CVXLEvent* request = *held) {
            *held = nullptr;
            request->setResult(kResultCancelled);
            finishEvent(request);
        }
    }
    finishEvent(event);
}

// --- requests that wait for the manager's other work ---------------------

bool COutboundQueueManager::dispatchRequest(CVXLEvent* event)
{
    const bool loading = !started_ || sendState_ == kSendLoading;
    switch (event->requestCode()) {
    case kOutboundRequestSubmit:
    case kOutboundRequestSubmitPrepared:
        if (loading || submitState_ != kSubmitIdle)
            return false;
        if (event->requestCode() == kOutboundRequestSubmit)
            onSubmit(event);
        else
            onSubmitPrepared(event);
        return true;
    case kOutboundRequestRetry:
        if (loading || submitState_ != kSubmitIdle)
            return false;
        onRetry(event);
        return true;
    case kEventSentCopyReceived:
        if (loading || sendState_ != kSendIdle)
            return false;
        onSentCopy(event);
        return true;
    case kEventMessageItem:
        if (loading || sendState_ != kSendIdle)
            return false;
        onItemDelete(event);
        return true;
    case kOutboundRequestDeleteAll:
        if (loading || sendState_ != kSendIdle)
            return false;
        onDeleteAll(event);
        return true;
    // A result starts a write or a delete of its own: it waits for the
    // delete under way.
    case kEventOutboundSendResult:
        if (sendState_ != kSendIdle)
            return false;
        onSendResult(event);
        return true;
    default:
        finishEvent(event);
        return true;
    }
}

void COutboundQueueManager::runDeferred()
{
    for (std::size_t n = deferred_.size(); n > 0; --n) {
        CVXLEvent* event = deferred_.front();
        deferred_.pop_front();
        if (!dispatchRequest(event))
            deferred_.push_back(event);
    }
}

// --- helpers --------------------------------------------------------------

int COutboundQueueManager::findById(const CVXLString& id) const
{
    if (id.length() == 0)
        return -1;
    for (int i = static_cast<int>(count_) - 1; i >= 0; --i) {
        const COutboundQueueEntry& e = entries_[i];
        if ((e.kind == 1 || e.kind == 2) && e.summary.messageId == id)
            return i;
    }
    return -1;
}

int COutboundQueueManager::findByItemNumber(std::uint32_t itemNumber) const
{
    for (std::uint32_t i = 0; i < count_; ++i) {
        if (entries_[i].itemNumber == itemNumber)
            return static_cast<int>(i);
    }
    return -1;
}

int COutboundQueueManager::findSending() const
{
    for (std::uint32_t i = 0; i < count_; ++i) {
        if (entries_[i].sending)
            return static_cast<int>(i);
    }
    return -1;
}

// The counter starts at 0 with each run: after a restart within the same
// second it would repeat an id the queue still holds.
CVXLString COutboundQueueManager::newMessageId()
{
    for (;;) {
        CVXLString id("o");
        id += digits(services_ ? services_->nowSeconds() : 0, 36);
        id += "-";
        id += digits(idCounter_++, 16);
        if (findById(id) < 0)
            return id;
    }
}

void COutboundQueueManager::saveState(std::int32_t replyCode)
{
    const std::uint32_t number = saver_.save();
    if (number == 0)
        answerFailed(replyCode);
    else if (replyCode == kReplyStateAfterSubmit || replyCode == kReplyStateAfterRetry)
        submitSave_ = {number, replyCode};
    else if (replyCode == kReplyStateAfterSend || replyCode == kReplyStateAfterDelete)
        sendSave_ = {number, replyCode};
    refreshCounters();
    if (services_ && replyCode != kReplyStateAfterSubmit && replyCode != kReplyStateAfterDelete)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
}

void COutboundQueueManager::writeState(CVXLByteBuffer& out)
{
    serialise(entries_, count_, nextItemNumber_, currentIndex_, out);
}

// A write has ended: each chain whose change it carried goes on. A save
// that nothing waits for has had its failure logged by the saver.
void COutboundQueueManager::stateWritten()
{
    for (AwaitedSave* awaited : {&submitSave_, &sendSave_}) {
        if (!saver_.answered(awaited->number))
            continue;
        const std::int32_t replyCode = awaited->replyCode;
        *awaited = AwaitedSave();
        onStateWritten(replyCode, saver_.lastResult());
    }
}

void COutboundQueueManager::onStateWritten(std::int32_t replyCode, std::int32_t result)
{
    switch (replyCode) {
    case kReplyStateAfterSubmit:
        return onStateAfterSubmit(result);
    case kReplyStateAfterRetry:
        return onStateAfterRetry(result);
    case kReplyStateAfterSend:
        return sendState_ == kSendWritingBeforeSend ? onStateBeforeSend(result) : onStateAfterResult(result);
    case kReplyStateAfterDelete:
        return onStateAfterDelete(result);
    default:
        if (result != kResultSucceeded)
            VXL_LOG_FAILURE("outbound queue: %s not written (%d)", kStateFileName, result);
        return;
    }
}

// Replaces the file whole; without a store or room for the request the
// answer comes at once, as a failure.
void COutboundQueueManager::postFileWrite(
    const CVXLString& name, const CVXLByteBuffer& bytes, std::int32_t replyCode)
{
    auto* write = files_ ? new CVXLFileWriteRequest(replyCode) : nullptr;
    if (!write)
        return answerFailed(replyCode);
    write->fileName = name;
    write->openMode = kFileModeWrite;
    write->buffer = bytes;
    post(files_, write);
}

void COutboundQueueManager::postFileDelete(const CVXLString& name, std::int32_t replyCode)
{
    auto* remove = files_ ? new CVXLFileDeleteRequest(replyCode) : nullptr;
    if (!remove)
        return answerFailed(replyCode);
    remove->fileName = name;
    post(files_, remove);
}

void COutboundQueueManager::answerFailed(std::int32_t replyCode)
{
    auto* failed = new CVXLEvent(kEventNone, replyCode);
    if (!failed) {
        VXL_LOG_FAILURE("outbound queue: no room for an answer (%d)", replyCode);
        return;
    }
    failed->setResult(kResultStorageFailed);
    post(this, failed);
}

void COutboundQueueManager::refreshCounters()
{
    CVXLCounterTable* counters = services_ ? services_->counters() : nullptr;
    if (!counters)
        return;
    counters->set(kCounterPermanentFailures, static_cast<std::int32_t>(permanentFailures_));
    counters->set(kCounterTransientFailures, static_cast<std::int32_t>(transientFailures_));
    for (int c : {1, 3, 4, 5, 6, 7, 8})
        counters->set(c, 0);
    for (std::uint32_t i = 0; i < count_; ++i) {
        const COutboundQueueEntry& e = entries_[i];
        const std::uint32_t status = e.status();
        if (status >= 1 && status <= 4)
            counters->add(kCounterQueued + static_cast<int>(status) - 1, 1);
        const std::int32_t media = e.summary.imageCount + e.summary.videoCount;
        switch (vxlLocationKind(e.summary.mediaLocation)) {
        case kLocationOnline:
            counters->add(kCounterOnlineMedia, media);
            break;
        case kLocationKindStoreKind1:
            counters->add(kCounterPhoneMedia, media);
            break;
        case kLocationKindStoreKind2:
            counters->add(kCounterCardMedia, media);
            break;
        default:
            break;
        }
    }
}

// --- "state.oq" -----------------------------------------------------------

void COutboundQueueManager::serialise(const COutboundQueueEntry* entries, std::uint32_t count,
    std::uint32_t nextItemNumber, std::int32_t currentIndex, CVXLByteBuffer& out)
{
    CVXLByteStream stream;
    stream.writeByte(kFormat);
    stream.writeUInt32(nextItemNumber);
    stream.writeUInt32(count);
    stream.writeByte(currentIndex < 0 ? kNoIndex : static_cast<std::uint8_t>(currentIndex));
    for (std::uint32_t i = 0; i < count; ++i) {
        const COutboundQueueEntry& e = entries[i];
        stream.writeByte(static_cast<std::uint8_t>(e.kind));
        stream.writeUInt32(e.itemNumber);
        stream.writeByte(static_cast<std::uint8_t>(std::min<std::uint32_t>(e.attempts, 255)));
        stream.writeByte(e.rejected ? 1 : 0);
        stream.writeByte(e.sentKept ? 1 : 0);
        stream.writeByte(e.toRecipients ? 1 : 0);
        stream.writeByte(e.displaced ? 1 : 0);
        e.summary.save(stream);
    }
    out = stream;
}

bool COutboundQueueManager::parse(const CVXLByteBuffer& bytes, Loaded& out)
{
    out = Loaded();
    CVXLByteStream in(bytes);
    if (in.remaining() < kStateHeader || in.readByte() != kFormat)
        return false;
    Loaded read;
    read.nextItemNumber = in.readUInt32();
    const std::uint32_t count = in.readUInt32();
    const std::uint8_t index = in.readByte();
    if (in.isBad() || count > kMaxEntries)
        return false;
    read.currentIndex = index == kNoIndex ? -1 : index;
    for (std::uint32_t i = 0; i < count; ++i) {
        COutboundQueueEntry e;
        e.kind = in.readByte();
        e.itemNumber = in.readUInt32();
        e.attempts = in.readByte();
        e.rejected = in.readByte() != 0;
        e.sentKept = in.readByte() != 0;
        e.toRecipients = in.readByte() != 0;
        e.displaced = in.readByte() != 0;
        if (in.isBad() || (e.kind != 1 && e.kind != 2) || !e.summary.load(in))
            return false;
        // Numbers name files: one used twice, or one the queue would hand
        // out again, would share them.
        if (e.itemNumber >= read.nextItemNumber)
            return false;
        for (const COutboundQueueEntry& other : read.entries) {
            if (other.itemNumber == e.itemNumber)
                return false;
        }
        read.entries.push_back(e);
    }
    if (in.isBad() || in.remaining() != 0)
        return false;
    out = read;
    return true;
}
