#include "engine/messaging/outbound/OutboundQueueManager.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/access/MediaSelection.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/records/MediaSelectionSource.h"
#include "engine/records/VXLInboundRequests.h"

#include <algorithm>
#include <string>

namespace {

COutboundQueueManager* gInstance = nullptr;

constexpr std::uint8_t kNoIndex = 0xFF;
// format, nextItemNumber, count, currentIndex
constexpr std::uint32_t kStateHeader = 10;

bool isRecipientScreen(const CScenarioLayout* screen)
{
    return screen && (screen->id() == "__vxl_sendto_recipients" || screen->id() == "__vxl_text_sendto_recipients");
}

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
    for (const char* prefix : { "item_", "audio_" }) {
        const std::string head = prefix;
        if (name.size() <= head.size() + 3 || name.compare(0, head.size(), head) != 0
            || name.compare(name.size() - 3, 3, ".oq") != 0)
            continue;
        const std::string middle = name.substr(head.size(), name.size() - head.size() - 3);
        if (middle.empty() || middle.size() > 10 || middle.find_first_not_of("0123456789") != std::string::npos)
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

COutboundQueueManager* COutboundQueueManager::instance() { return gInstance; }

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

bool COutboundQueueManager::readDataComm() const { return services_ && services_->dataCommAllowed(); }

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
        report->records.push_back({ e.summary.messageId, e.summary.recipients, e.summary.text, e.summary.createdTime,
                                    e.attempts, kReasonNotQueuedAtStart });
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
    for (CVXLEvent** held : { &pendingSubmit_, &deleteRequest_ }) {
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

// --- submit ---------------------------------------------------------------

void COutboundQueueManager::onSubmit(CVXLEvent* event)
{
    auto* request = static_cast<COutboundSubmitRequest*>(event);
    const bool recipientScreen = isRecipientScreen(request->screen);
    if (isFull() || (recipientScreen && request->recipients.count() == 0)) {
        VXL_LOG_INFO("outbound queue: submit refused (%u held, %u recipients)", count_, request->recipients.count());
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    item_.clear();
    item_.kind = COutboundItem::kKindComposed;
    item_.createdTime = services_ ? services_->nowSeconds() : 0;
    item_.messageId = newMessageId();
    memo_ = request->voiceMemo;
    item_.audioName = memo_ ? memo_->memoName() : CVXLString();
    pendingMedia_.clear();
    nextLocalMedium_ = 0;
    collectSelection(item_);
    threadAdd_.recipients.clear();
    for (std::uint32_t i = 0; i < request->recipients.count(); ++i) {
        const CVXLString address = request->recipients.at(static_cast<int>(i));
        item_.recipients.insertAt(address, static_cast<int>(item_.recipients.count()));
        threadAdd_.recipients.insertAt(address, static_cast<int>(threadAdd_.recipients.count()));
    }
    if (request->screen)
        item_.fillFieldGroups(*request->screen);
    item_.priority = request->priority;
    summary_.clear();
    summary_.fromItem(item_);
    summary_.extra = 0;
    pendingSubmit_ = event;
    submitKind_ = COutboundItem::kKindComposed;
    submitToRecipients_ = recipientScreen;
    itemStream_.clear();
    item_.save(itemStream_);
    threadAdd_.messageId = item_.messageId;
    threadAdd_.sender = services_ ? services_->ownNumber() : CVXLString();
    threadAdd_.queued = 1;
    threadAdd_.sent = 1;
    threadAdd_.sentTime = item_.createdTime;
    const bool deleteSent = services_ && services_->deleteSentMessages();
    if (deleteSent || !recipientScreen || !threads_)
        return continueSubmit();
    submitState_ = kSubmitThreadDatabase;
    post(threads_, &threadAdd_);
}

void COutboundQueueManager::collectSelection(COutboundItem& item)
{
    if (!selection_)
        return;
    for (CVXLMediaItem* element : selection_->selectedMedia()) {
        if (!element)
            continue;
        const CVXLMediaDescriptor descriptor = element->descriptor();
        // Items listed by the Media Access Manager name their store in their
        // location text; their media reference carries no location.
        std::uint32_t location = static_cast<std::uint32_t>(descriptor.value);
        if (element->online() && vxlLocationKind(location) != kLocationOnline)
            location = kLocationOnline;
        else if (const std::uint32_t listed = CMediaSelection::packedLocationOf(*element))
            location = listed;
        const std::uint32_t kind = vxlLocationKind(location);
        if (kind != kLocationOnline && kind != kLocationKindStoreKind1 && kind != kLocationKindStoreKind2)
            continue;
        if (descriptor.uid.length() == 0 && descriptor.id.length() == 0)
            continue;
        const CVXLString mimeType = element->mediaRef().get() ? element->mediaRef().get()->getMimeType() : CVXLString();
        item.addMediaPart(CVXLMediaIdentity(static_cast<std::int32_t>(location), descriptor.uid, descriptor.id), mimeType);
        if (kind != kLocationOnline) {
            element->bumpCounter();
            pendingMedia_.push_back(element);
        }
    }
}

void COutboundQueueManager::onSubmitPrepared(CVXLEvent* event)
{
    auto* request = static_cast<COutboundSubmitPreparedRequest*>(event);
    if (isFull()) {
        VXL_LOG_INFO("outbound queue: prepared submit refused, %u held", count_);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    item_.clear();
    item_.kind = COutboundItem::kKindPreparedMms;
    item_.createdTime = services_ ? services_->nowSeconds() : 0;
    for (int i = 0; i < COutboundItem::kPreparedTexts; ++i)
        item_.texts[i] = request->texts[i];
    item_.value = request->value;
    summary_.clear();
    summary_.mediaLocation = 0;
    summary_.recipients = request->texts[1];
    summary_.text = request->texts[4];
    summary_.createdTime = item_.createdTime;
    summary_.extra = 0;
    // The item keeps the relay's id; the entry gets one of the queue's own
    // so that the outbox can name it.
    summary_.messageId = newMessageId();
    memo_ = nullptr;
    pendingMedia_.clear();
    nextLocalMedium_ = 0;
    pendingSubmit_ = event;
    submitKind_ = COutboundItem::kKindPreparedMms;
    submitToRecipients_ = true;
    itemStream_.clear();
    item_.save(itemStream_);
    continueSubmit();
}

// Local media are saved one at a time before the message's files are
// written.
void COutboundQueueManager::continueSubmit()
{
    submitState_ = kSubmitPreparingMedia;
    if (nextLocalMedium_ < pendingMedia_.size() && localMedia_) {
        mediaSave_.item = pendingMedia_[nextLocalMedium_++];
        post(localMedia_, &mediaSave_);
        return;
    }
    pendingMedia_.clear();
    nextLocalMedium_ = 0;
    startSubmitWrites();
}

void COutboundQueueManager::onMediaSaved(CVXLEvent* reply)
{
    finishEvent(reply);
    mediaSave_.item = nullptr;
    continueSubmit();
}

void COutboundQueueManager::startSubmitWrites()
{
    submitItemNumber_ = nextItemNumber_++;
    submitAppended_ = false;
    memoBytes_.clear();
    if (!memo_)
        return writeItemFile();
    submitState_ = kSubmitCopyingMemo;
    memoAdapter_.setSource(memo_);
    memoAdapter_.setDestination(&memoSink_);
    post(&memoAdapter_, &memoRun_);
}

void COutboundQueueManager::onMemoCopied(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (result != kResultSucceeded) {
        VXL_LOG_FAILURE("outbound queue: voice memo not copied (%d)", result);
        return undoSubmit(result, 0);
    }
    memoBytes_ = memoSink_.data();
    writeItemFile();
}

void COutboundQueueManager::writeItemFile()
{
    submitState_ = kSubmitWritingItem;
    postFileWrite(itemFileName(submitItemNumber_), itemStream_, kReplyItemWritten);
}

void COutboundQueueManager::onItemWritten(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (result != kResultSucceeded)
        return undoSubmit(result, 5);
    if (!memo_) {
        appendEntry();
        return;
    }
    submitState_ = kSubmitWritingAudio;
    postFileWrite(audioFileName(submitItemNumber_), memoBytes_, kReplyAudioWritten);
}

void COutboundQueueManager::onAudioWritten(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (result != kResultSucceeded)
        return undoSubmit(result, 6);
    appendEntry();
}

// Displaces queued entries of the lowest priority while too many are
// active, then takes the next slot and has "state.oq" name it.
void COutboundQueueManager::appendEntry()
{
    submitState_ = kSubmitWritingState;
    std::uint32_t active = 0;
    for (std::uint32_t i = 0; i < count_; ++i)
        active += entries_[i].active();
    if (active >= kMaxActive) {
        for (std::uint32_t n = active - (kMaxActive - 1); n > 0; --n) {
            int lowest = -1;
            for (std::uint32_t i = 0; i < count_; ++i) {
                if (entries_[i].status() != 1)
                    continue;
                if (lowest < 0 || entries_[i].summary.priority < entries_[lowest].summary.priority)
                    lowest = static_cast<int>(i);
            }
            if (lowest < 0)
                break;
            entries_[lowest].displaced = 1;
            VXL_LOG_INFO("outbound queue: %s displaced", entries_[lowest].summary.messageId.c_str());
            refreshCounters();
        }
    }
    COutboundQueueEntry& e = entries_[count_];
    e = COutboundQueueEntry();
    e.kind = static_cast<std::uint32_t>(submitKind_);
    e.itemNumber = submitItemNumber_;
    e.toRecipients = submitToRecipients_ ? 1 : 0;
    e.summary = summary_;
    summary_.clear();
    ++count_;
    submitAppended_ = true;
    saveState(kReplyStateAfterSubmit);
}

void COutboundQueueManager::onStateAfterSubmit(std::int32_t result)
{
    if (result != kResultSucceeded)
        return undoSubmit(result, 5);
    if (services_)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
    completeSubmit(kResultSucceeded);
}

// Takes the new entry back and deletes what was written, so a failed submit
// leaves neither an entry without files nor files without an entry.
void COutboundQueueManager::undoSubmit(std::int32_t result, std::int32_t memoStep)
{
    VXL_LOG_FAILURE("outbound queue: submit of item %u failed (%d)", submitItemNumber_, result);
    if (memo_ && memoStep != 0)
        memo_->submitFailed(memoStep);
    undoResult_ = result;
    submitState_ = kSubmitUndoing;
    if (submitAppended_) {
        const int index = findByItemNumber(submitItemNumber_);
        if (index >= 0) {
            for (std::uint32_t i = static_cast<std::uint32_t>(index); i + 1 < count_; ++i)
                entries_[i] = entries_[i + 1];
            entries_[--count_] = COutboundQueueEntry();
        }
        submitAppended_ = false;
        refreshCounters();
    }
    if (threadAdd_.messageId.length() != 0 && threads_ && submitKind_ == COutboundItem::kKindComposed
        && submitToRecipients_ && !(services_ && services_->deleteSentMessages())) {
        auto* remove = new CThreadRemoveRequest(kReplyUnawaited);
        if (remove) {
            remove->messageId = threadAdd_.messageId;
            post(threads_, remove);
        }
    }
    if (!files_)
        return completeSubmit(result);
    postFileDelete(itemFileName(submitItemNumber_), kReplyUndoItem);
}

void COutboundQueueManager::onUndoStep(CVXLEvent* reply)
{
    const std::int32_t code = reply->replyCode();
    finishEvent(reply);
    if (code == kReplyUndoItem)
        return postFileDelete(audioFileName(submitItemNumber_), kReplyUndoAudio);
    completeSubmit(undoResult_);
}

void COutboundQueueManager::completeSubmit(std::int32_t result)
{
    CVXLEvent* request = pendingSubmit_;
    pendingSubmit_ = nullptr;
    submitKind_ = 0;
    submitState_ = kSubmitIdle;
    itemStream_.clear();
    memoBytes_.clear();
    memo_ = nullptr;
    item_.clear();
    threadAdd_.messageId.clear();
    refreshCounters();
    if (request) {
        request->setResult(result);
        finishEvent(request);
    }
    if (result == kResultSucceeded) {
        if (retryTimer_.isBusy())
            cancelEvent(&retryTimer_);
        postWakeUp();
    }
    runDeferred();
}

// --- retry, listing, refresh ---------------------------------------------

void COutboundQueueManager::onRetry(CVXLEvent* event)
{
    const int index = findById(static_cast<COutboundRetryRequest*>(event)->messageId);
    if (index < 0) {
        event->setResult(kResultTransactionFailed);
        return finishEvent(event);
    }
    entries_[index].attempts = 0;
    entries_[index].rejected = 0;
    submitState_ = kSubmitWritingRetry;
    pendingSubmit_ = event;
    saveState(kReplyStateAfterRetry);
}

void COutboundQueueManager::onStateAfterRetry(std::int32_t result)
{
    if (result != kResultSucceeded)
        VXL_LOG_FAILURE("outbound queue: %s not written for a retry (%d)", kStateFileName, result);
    submitState_ = kSubmitIdle;
    CVXLEvent* request = pendingSubmit_;
    pendingSubmit_ = nullptr;
    refreshCounters();
    if (services_)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
    if (request)
        finishEvent(request);
    if (retryTimer_.isBusy())
        cancelEvent(&retryTimer_);
    postWakeUp();
    runDeferred();
}

void COutboundQueueManager::fillRecord(const COutboundQueueEntry& e, CVXLMessageSummary& record, bool refresh) const
{
    const COutboundSummary& s = e.summary;
    record.setToText(s.recipients);
    record.setCcText(CVXLString());
    record.setSubject(s.text);
    record.setReceivedTime(0xFFFFFFFFu);
    record.setSentTime(s.createdTime);
    record.setExpiryTime(0xFFFFFFFFu);
    std::int32_t state = 0;
    switch (e.status()) {
    case 2:
        state = 4;
        break;
    case 3:
    case 4:
        state = 5;
        break;
    case 1:
    case 5:
        state = refresh && services_ && services_->deleteSentMessages() ? 2 : 3;
        break;
    default:
        state = 0;
        break;
    }
    record.setOutboundState(state);
    record.setOutboundValue(static_cast<std::int32_t>(e.attempts));
    record.setVideoCount(s.videoCount);
    record.setImageCount(s.imageCount);
    record.setVoiceMemoCount(s.hasVoice);
    record.setPriority(s.priority);
    record.setBoxType(CVXLMessageSummary::kSent);
    record.setMediaRef(s.mediaRef(onlineMedia_, localMedia_));
    if (!refresh)
        record.setMessageId(s.messageId);
}

void COutboundQueueManager::onList(CVXLEvent* event)
{
    auto* request = static_cast<COutboxListRequest*>(event);
    const std::uint32_t room = std::min<std::uint32_t>(request->window, static_cast<std::uint32_t>(request->records.size()));
    std::uint32_t seen = 0;
    std::uint32_t filled = 0;
    std::uint32_t total = 0;
    for (int i = static_cast<int>(count_) - 1; i >= 0; --i) {
        const COutboundQueueEntry& e = entries_[i];
        if (e.kind != 1 && e.kind != 2)
            continue;
        total += !e.displaced;
        if (seen++ < request->offset || filled >= room)
            continue;
        if (CVXLMessageSummary* record = request->records[filled])
            fillRecord(e, *record, false);
        ++filled;
    }
    request->filled = filled;
    request->total = total;
    finishEvent(event);
}

void COutboundQueueManager::onRefresh(CVXLEvent* event)
{
    auto* request = static_cast<COutboundRefreshRequest*>(event);
    for (CVXLMessageSummary* record : request->records) {
        if (!record)
            continue;
        const int index = findById(record->messageId());
        if (index >= 0)
            fillRecord(entries_[index], *record, true);
    }
    finishEvent(event);
}

// --- wake-up and sends ----------------------------------------------------

void COutboundQueueManager::postWakeUp()
{
    if (!started_ || wakeUp_.isBusy())
        return;
    post(this, &wakeUp_, true);
}

void COutboundQueueManager::finishWakeUpIfPending()
{
    if (isInProgress(&wakeUp_))
        finishEvent(&wakeUp_);
}

void COutboundQueueManager::onWakeUp(CVXLEvent* event)
{
    bool sentCopyWaiting = false;
    for (CVXLEvent* waiting : deferred_)
        sentCopyWaiting = sentCopyWaiting || waiting->requestCode() == kEventSentCopyReceived;
    const bool idle = submitState_ == kSubmitIdle && sendState_ == kSendIdle && !retryTimer_.isBusy()
        && dataCommAllowed_ && services_ && services_->hasNoActivity() && !sentCopyWaiting
        && !sendRequest_.isBusy() && findSending() < 0;
    if (!idle)
        return finishEvent(event);
    int chosen = -1;
    bool chosenQueued = false;
    std::int32_t chosenPriority = 0;
    for (std::uint32_t i = 0; i < count_; ++i) {
        const COutboundQueueEntry& e = entries_[i];
        const std::uint32_t status = e.status();
        if (status == 1 && !e.displaced) {
            if (!sender_)
                continue;
            if (chosen < 0 || e.summary.priority > chosenPriority) {
                chosen = static_cast<int>(i);
                chosenQueued = true;
                chosenPriority = e.summary.priority;
            }
        } else if (status == 4 || (e.displaced && status != 2) || (status == 3 && !e.toRecipients)) {
            if (chosen < 0 || chosenPriority < 0) {
                chosen = static_cast<int>(i);
                chosenQueued = false;
                chosenPriority = 0;
            }
        }
    }
    if (chosen < 0) {
        if (uploader_) {
            auto* wake = new CVXLEvent(kBackgroundWakeUp, -1);
            if (wake) {
                wake->setReplyWanted(false);
                post(uploader_, wake);
            }
        }
        return finishEvent(event);
    }
    const COutboundQueueEntry& e = entries_[chosen];
    if (chosenQueued)
        return startSend(chosen);
    // The wake-up stays pending until the delete has ended.
    startDelete(e.itemNumber, e.displaced != 0, DeleteCause::WakeUp);
}

void COutboundQueueManager::startSend(int index)
{
    COutboundQueueEntry& e = entries_[index];
    ++e.attempts;
    currentIndex_ = index;
    sendItemNumber_ = e.itemNumber;
    sendState_ = kSendWritingBeforeSend;
    saveState(kReplyStateAfterSend);
}

void COutboundQueueManager::onStateBeforeSend(std::int32_t result)
{
    const int index = findByItemNumber(sendItemNumber_);
    if (result != kResultSucceeded || index < 0) {
        VXL_LOG_FAILURE("outbound queue: %s not written before a send (%d)", kStateFileName, result);
        return endSend(result != kResultSucceeded ? result : kResultFailed, CVXLString(), 0);
    }
    COutboundQueueEntry& e = entries_[index];
    sendRequest_.reset();
    sendRequest_.itemFile = itemFileName(e.itemNumber);
    sendRequest_.audioFile = e.summary.hasVoice ? audioFileName(e.itemNumber) : CVXLString();
    e.sending = 1;
    currentIndex_ = -1;
    sendState_ = kSendIdle;
    refreshCounters();
    finishWakeUpIfPending();
    post(sender_.get(), &sendRequest_);
    runDeferred();
}

void COutboundQueueManager::onSendResult(CVXLEvent* event)
{
    auto* result = static_cast<COutboundSendResult*>(event);
    const int index = findSending();
    const std::int32_t code = event->result();
    const CVXLString text = event->resultText();
    const std::uint8_t permanent = result->permanent;
    finishEvent(event);
    if (index < 0) {
        VXL_LOG_INFO("outbound queue: a send result (%d) for no entry being sent", code);
        return;
    }
    COutboundQueueEntry& e = entries_[index];
    e.sending = 0;
    currentIndex_ = index;
    sendItemNumber_ = e.itemNumber;
    resultCode_ = code;
    resultText_ = text;
    switch (code) {
    case kResultSucceeded:
        // An entry whose delete was asked for while it was sent goes now.
        if ((services_ && services_->deleteSentMessages()) || !e.toRecipients || e.displaced) {
            currentIndex_ = -1;
            return startDelete(e.itemNumber, e.displaced != 0, DeleteCause::SendResult);
        }
        e.sentKept = 1;
        sendState_ = kSendWritingAfterResult;
        saveState(kReplyStateAfterSend);
        currentIndex_ = -1;
        refreshCounters();
        finishWakeUpIfPending();
        return;
    case kResultMediaNotResolved:
        e.attempts = kMaxAttempts;
        sendState_ = kSendWritingAfterFailure;
        return saveState(kReplyStateAfterSend);
    case kResultNetworkNotice:
        e.rejected = 1;
        if (permanent)
            e.attempts = kMaxAttempts;
        sendState_ = kSendWritingAfterRejection;
        return saveState(kReplyStateAfterSend);
    case kResultChoiceDeclined:
        e.attempts = kMaxAttempts;
        e.rejected = 1;
        sendState_ = kSendWritingAfterRejection;
        return saveState(kReplyStateAfterSend);
    default:
        return endSend(code, text, 0);
    }
}

void COutboundQueueManager::onStateAfterResult(std::int32_t result)
{
    if (result != kResultSucceeded)
        VXL_LOG_FAILURE("outbound queue: %s not written after a send (%d)", kStateFileName, result);
    const std::int32_t state = sendState_;
    if (state == kSendWritingAfterFailure)
        return endSend(resultCode_, resultText_, kReasonMediaMissing);
    if (state == kSendWritingAfterRejection)
        return endSend(resultCode_, resultText_, kReasonRefused);
    sendState_ = kSendIdle;
    postWakeUp();
    runDeferred();
}

void COutboundQueueManager::endSend(std::int32_t result, const CVXLString& text, std::uint8_t reason)
{
    currentIndex_ = -1;
    sendState_ = kSendIdle;
    const int index = findByItemNumber(sendItemNumber_);
    if (index >= 0) {
        const COutboundQueueEntry& e = entries_[index];
        if (result == kResultMmsRelayStatus) {
            report(CFailedMessageReport::kKindRelay, e, kReasonRelay, text);
        } else if (reason == kReasonRefused && e.rejected) {
            // A refused message is deleted at the next wake-up: it is
            // reported, or it would vanish without a word.
            report(CFailedMessageReport::kKindOther, e, kReasonRefused, text);
        } else if (!e.rejected && !e.sending && e.attempts >= kMaxAttempts) {
            report(CFailedMessageReport::kKindOther, e, reason ? reason : kReasonAttemptsUsed, text);
        }
    }
    if (services_)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
    finishWakeUpIfPending();
    if (reason == kReasonMediaMissing || reason == kReasonRefused) {
        ++permanentFailures_;
        postWakeUp();
    } else {
        if (!retryTimer_.isBusy())
            postDelayed(&retryTimer_, kRetryDelayMs);
        ++transientFailures_;
    }
    refreshCounters();
    runDeferred();
}

void COutboundQueueManager::report(std::uint8_t kind, const COutboundQueueEntry& e, std::uint8_t reason,
                                   const CVXLString& text)
{
    VXL_LOG_INFO("outbound queue: %s not sent (reason %u): \"%s\"", e.summary.messageId.c_str(), reason,
                 text.c_str());
    if (!producer_)
        return;
    auto* report = new CFailedMessageReport;
    if (!report)
        return;
    report->kind = kind;
    report->records.push_back(
        { e.summary.messageId, e.summary.recipients, e.summary.text, e.summary.createdTime, e.attempts, reason });
    report->text = text;
    post(producer_, report);
}

// --- deletes --------------------------------------------------------------

void COutboundQueueManager::onSentCopy(CVXLEvent* event)
{
    const int index = findById(static_cast<CSentCopyReceivedEvent*>(event)->clientMessageId);
    if (index < 0)
        return finishEvent(event);
    if (entries_[index].sending) {
        entries_[index].displaced = 1;
        saveState(kReplyStateNoted);
        return finishEvent(event);
    }
    deleteRequest_ = event;
    startDelete(entries_[index].itemNumber, true, DeleteCause::SentCopy);
}

void COutboundQueueManager::onItemDelete(CVXLEvent* event)
{
    auto* request = static_cast<CMessageItemRequest*>(event);
    const int index = findById(request->messageId);
    if (index < 0) {
        event->setResult(kResultTransactionFailed);
        return finishEvent(event);
    }
    COutboundQueueEntry& e = entries_[index];
    if (e.sending) {
        e.displaced = 1;
        request->displaced = 1;
        saveState(kReplyStateNoted);
        refreshCounters();
        return finishEvent(event);
    }
    request->displaced = e.displaced;
    deleteRequest_ = event;
    startDelete(e.itemNumber, true, DeleteCause::ItemRequest);
}

void COutboundQueueManager::onDeleteAll(CVXLEvent* event)
{
    deleteRequest_ = event;
    nextDeleteAll();
}

// Entries being sent are marked and go after their result.
void COutboundQueueManager::nextDeleteAll()
{
    bool marked = false;
    for (std::uint32_t i = 0; i < count_; ++i) {
        COutboundQueueEntry& e = entries_[i];
        if (!e.sending)
            return startDelete(e.itemNumber, true, DeleteCause::All);
        if (!e.displaced) {
            e.displaced = 1;
            marked = true;
        }
    }
    if (marked)
        saveState(kReplyStateNoted);
    CVXLEvent* request = deleteRequest_;
    deleteRequest_ = nullptr;
    refreshCounters();
    if (request)
        finishEvent(request);
    postWakeUp();
    runDeferred();
}

// The thread database first (when asked), then "state.oq" without the entry,
// then its files: a cut anywhere leaves no entry without its item file.
void COutboundQueueManager::startDelete(std::uint32_t itemNumber, bool withThreads, DeleteCause cause)
{
    deleteItemNumber_ = itemNumber;
    deleteWithThreads_ = withThreads;
    deleteCause_ = cause;
    const int index = findByItemNumber(itemNumber);
    if (withThreads && threads_ && index >= 0) {
        sendState_ = kSendWritingAfterResult;
        threadRemove_.reset();
        threadRemove_.messageId = entries_[index].summary.messageId;
        post(threads_, &threadRemove_);
        return;
    }
    sendState_ = kSendWritingAfterRemoval;
    removeEntry(itemNumber);
    saveState(kReplyStateAfterDelete);
}

void COutboundQueueManager::removeEntry(std::uint32_t itemNumber)
{
    const int index = findByItemNumber(itemNumber);
    if (index < 0)
        return;
    for (std::uint32_t i = static_cast<std::uint32_t>(index); i + 1 < count_; ++i)
        entries_[i] = entries_[i + 1];
    entries_[--count_] = COutboundQueueEntry();
    if (currentIndex_ > index)
        --currentIndex_;
    else if (currentIndex_ == index)
        currentIndex_ = -1;
    refreshCounters();
}

void COutboundQueueManager::onDeleteStep(CVXLEvent* reply)
{
    const std::int32_t code = reply->replyCode();
    finishEvent(reply);
    switch (code) {
    case kReplyThreadRemove:
        sendState_ = kSendWritingAfterRemoval;
        removeEntry(deleteItemNumber_);
        return saveState(kReplyStateAfterDelete);
    case kReplyDeleteItem:
        sendState_ = kSendDeletingAudio;
        return postFileDelete(audioFileName(deleteItemNumber_), kReplyDeleteAudio);
    default:
        return endDelete(nullptr);
    }
}

void COutboundQueueManager::onStateAfterDelete(std::int32_t result)
{
    if (services_)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
    if (result != kResultSucceeded) {
        // The old file still names the entry: its files stay with it.
        VXL_LOG_FAILURE("outbound queue: %s not written for a delete (%d); files of item %u kept", kStateFileName,
                        result, deleteItemNumber_);
        return endDelete(nullptr);
    }
    sendState_ = kSendWritingAfterResult;
    postFileDelete(itemFileName(deleteItemNumber_), kReplyDeleteItem);
}

void COutboundQueueManager::endDelete(CVXLEvent*)
{
    sendState_ = kSendIdle;
    const DeleteCause cause = deleteCause_;
    if (services_)
        services_->pushUIRequestCode(kUIRequestMessagesChanged);
    if (cause == DeleteCause::All)
        return nextDeleteAll();
    CVXLEvent* request = deleteRequest_;
    deleteRequest_ = nullptr;
    if (request && (cause == DeleteCause::SentCopy || cause == DeleteCause::ItemRequest))
        finishEvent(request);
    finishWakeUpIfPending();
    postWakeUp();
    runDeferred();
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
        submitSave_ = { number, replyCode };
    else if (replyCode == kReplyStateAfterSend || replyCode == kReplyStateAfterDelete)
        sendSave_ = { number, replyCode };
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
    for (AwaitedSave* awaited : { &submitSave_, &sendSave_ }) {
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
void COutboundQueueManager::postFileWrite(const CVXLString& name, const CVXLByteBuffer& bytes, std::int32_t replyCode)
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
    for (int c : { 1, 3, 4, 5, 6, 7, 8 })
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
