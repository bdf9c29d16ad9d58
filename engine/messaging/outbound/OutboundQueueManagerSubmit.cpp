#include "engine/messaging/outbound/OutboundQueueManager.h"

#include "engine/access/MediaSelection.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/records/MediaSelectionSource.h"

namespace {

bool isRecipientScreen(const CScenarioLayout* screen)
{
    return screen
        && (screen->id() == "__vxl_sendto_recipients" || screen->id() == "__vxl_text_sendto_recipients");
}

} // namespace

void COutboundQueueManager::onSubmit(CVXLEvent* event)
{
    auto* request = static_cast<COutboundSubmitRequest*>(event);
    const bool recipientScreen = isRecipientScreen(request->screen);
    if (isFull() || (recipientScreen && request->recipients.count() == 0)) {
        VXL_LOG_INFO(
            "outbound queue: submit refused (%u held, %u recipients)", count_, request->recipients.count());
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
        const CVXLString mimeType
            = element->mediaRef().get() ? element->mediaRef().get()->getMimeType() : CVXLString();
        item.addMediaPart(
            CVXLMediaIdentity(static_cast<std::int32_t>(location), descriptor.uid, descriptor.id), mimeType);
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
