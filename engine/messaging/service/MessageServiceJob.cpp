#include "engine/messaging/service/MessageServiceJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/messaging/threads/VXLThreadEntry.h"

#include <initializer_list>

namespace {

bool beginsWith(const CVXLString& text, const char* prefix)
{
    CVXLString head(prefix);
    return text.length() >= head.length() && text.substr(0, head.length()).compare(head, false) == 0;
}

// A configuration item as a number, or the fallback when it is unset.
std::int32_t configNumber(std::int32_t item, std::int32_t fallback)
{
    CVXLString text;
    const CVXLMediaConfig* config = CVXLMediaRef::config();
    if (config && config->readItem(item, &text) && text.length())
        return text.toInt();
    return fallback;
}

const CVXLString& headerOf(const CVXLHeaderMap& map, const char* name)
{
    return map.value(CVXLString(name), 0, true);
}

} // namespace

const CMessageServiceJob::Row CMessageServiceJob::kRequests[] = {
    { kInboundRequestOpen, &CMessageServiceJob::onOpen },
    { kInboundRequestRead, &CMessageServiceJob::onReadParts },
    { kInboundRequestNetworkMessage, &CMessageServiceJob::onInbound },
    { kInboundRequestMmsSend, &CMessageServiceJob::onInbound },
    { kInboundRequestMmboxStore, &CMessageServiceJob::onInbound },
    { kServiceRequestListWindow, &CMessageServiceJob::onListWindow },
    { kServiceRequestThreadList, &CMessageServiceJob::onThreadList },
    { kServiceRequestDeleteThread, &CMessageServiceJob::onDeleteThread },
    { kServiceRequestThreadWindow, &CMessageServiceJob::onThreadWindow },
    { kServiceRequestRemoveFromThread, &CMessageServiceJob::onRemoveFromThread },
    { kServiceRequestDeleteAll, &CMessageServiceJob::onDeleteAll },
    { kEventMessageItem, &CMessageServiceJob::onDeleteOne },
    { kEventCancelNotice, &CMessageServiceJob::onCancel },
};

const CMessageServiceJob::Row CMessageServiceJob::kReplies[] = {
    { kListRead, &CMessageServiceJob::onListRead },
    { kInboundListed, &CMessageServiceJob::onInboundListed },
    { kStoredRangeDone, &CMessageServiceJob::onStoredRangeDone },
    { kQueuedRangeDone, &CMessageServiceJob::onQueuedRangeDone },
    { kLatestStoredRead, &CMessageServiceJob::onLatestStoredRead },
    { kLatestRead, &CMessageServiceJob::onLatestRead },
    { kLatestFromQueue, &CMessageServiceJob::onLatestRead },
    { kThreadDeleted, &CMessageServiceJob::onThreadDeleted },
    { kQueueCleared, &CMessageServiceJob::onDeleteAllStep },
    { kAllThreadsDeleted, &CMessageServiceJob::onDeleteAllStep },
    { kStoreCleared, &CMessageServiceJob::onDeleteAllStep },
    { kRemovedFromThread, &CMessageServiceJob::onRemovedFromThread },
    { kRemovedDeleted, &CMessageServiceJob::onRemovedDeleted },
    { kThreadMessageDeleted, &CMessageServiceJob::onThreadMessageDeleted },
    { kOpened, &CMessageServiceJob::onOpened },
    { kPartRead, &CMessageServiceJob::onPartRead },
    { kSingleDeleted, &CMessageServiceJob::onSingleDeleted },
    { kBoxCounted, &CMessageServiceJob::onBoxCounted },
    { kBoxIdsListed, &CMessageServiceJob::onBoxIdsListed },
};

CMessageServiceJob::CMessageServiceJob()
{
    inboundList_.setReplyCode(kInboundListed);
    clearNewCounts_.setReplyWanted(false);
    for (CVXLEvent* member : std::initializer_list<CVXLEvent*> { &partsQuery_, &partRead_, &boxCount_, &boxIds_,
             &listRead_, &inboundList_, &storedRange_, &queuedRefresh_, &clearNewCounts_, &latestRead_,
             &latestStoredRead_, &latestRefresh_, &threadDelete_, &threadMessageDelete_, &threadRemove_,
             &removedDelete_, &storeDelete_, &queueClear_, &allThreads_, &storeWipe_ })
        member->setHeapAllocated(false);
}

CMessageServiceJob::~CMessageServiceJob() = default;

void CMessageServiceJob::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    auto dispatch = [&](const auto& table) {
        for (const Row& row : table) {
            if (row.code == code) {
                (this->*row.handler)(event);
                return true;
            }
        }
        return false;
    };
    if (event->isRequest() ? dispatch(kRequests) : dispatch(kReplies))
        return;
    // Start, stop and the requests it has nothing to do for (6, 8, 9, 15,
    // 21 among them) are finished at once; so are stray replies.
    if (event->isRequest())
        event->setResult(kResultSucceeded);
    finishEvent(event);
}

// ---------------------------------------------------------------- helpers

bool CMessageServiceJob::isQueuedId(const CVXLString& id)
{
    return id.length() && id.c_str()[0] == 'o';
}

std::uint32_t CMessageServiceJob::now() const
{
    return services_ ? services_->nowSeconds() : 0;
}

CVXLThreadEntry* CMessageServiceJob::shownThread(const CVXLString& address) const
{
    if (!threadDB_ || !address.length())
        return nullptr;
    for (std::uint32_t i = 0; i < threadDB_->shownCount(); ++i) {
        CVXLThreadEntry* thread = threadDB_->shownAt(static_cast<int>(i));
        if (thread && thread->address == address)
            return thread;
    }
    return nullptr;
}

void CMessageServiceJob::refuse(CVXLEvent* request, const char* what)
{
    VXL_LOG_INFO("message service job: no %s for request %d", what, request->requestCode());
    request->setResult(kResultFailed);
    finishEvent(request);
}

bool CMessageServiceJob::postOrFail(CVXLEventHandler* target, CVXLEvent* event, CVXLEvent* request, const char* what)
{
    if (!target) {
        refuse(request, what);
        return false;
    }
    post(target, event);
    return true;
}

void CMessageServiceJob::forwardOrFail(CVXLEventHandler* target, CVXLEvent* request, const char* what)
{
    if (target)
        return forward(target, request);
    refuse(request, what);
}

// ---------------------------------------------------------------- open and read parts

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
    const std::int32_t result = reply->result() == kResultDataComplete ? kResultMessageNotStored : reply->result();
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
        request->totalMediaParts = static_cast<std::uint32_t>(headerOf(read.totals, "X-QV-Total-Media-Parts").toInt());
    } else if (request->mediaItems) {
        CVXLMediaItem& item = static_cast<CVXLMediaItem*>(request->mediaItems)[partIndex_];
        if (!fillMediaItem(read, request, item))
            partResult_ = kResultMessageNotStored;
    }
    if (++partIndex_ < request->partCount)
        return readPart();
    answer(readRequest_, partResult_);
}

bool CMessageServiceJob::fillMediaItem(const CVXLStoredMessageRead& read, CMessageReadRequest* request,
    CVXLMediaItem& item)
{
    const CVXLString& type = headerOf(read.content, "Content-Type");
    if (request->readMode == 1) {
        item.setId(read.bodyLocator);
        CVXLMediaRefHandle handle;
        handle.setMimeType(type.c_str());
        handle.addEntry(read.bodyLocator, type, store_, -1, -1, static_cast<std::int32_t>(read.bodyLength), false);
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
            given ? width.toInt() : configNumber(kCfgMessageImageExpandedWidth, kDefaultExpandedWidth),
            given ? height.toInt() : configNumber(kCfgMessageImageExpandedHeight, kDefaultExpandedHeight),
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
    item.setSaveLocked(drm && headerOf(read.content, "X-QV-Save-Lock").compare(CVXLString("true"), false) == 0);
    return true;
}

void CMessageServiceJob::onInbound(CVXLEvent* event)
{
    forwardOrFail(inbound_, event, "inbound manager");
}

// ---------------------------------------------------------------- list window

void CMessageServiceJob::onListWindow(CVXLEvent* event)
{
    auto* list = static_cast<CMessageListRequest*>(event);
    const bool local = list->boxType == kServiceBoxInbox || list->boxType == kServiceBoxPremium
        || list->boxType == kServiceBoxPremiumIds;
    listRequest_ = list;
    list->filled = 0;
    if (!local) {
        inboundList_.kind = list->boxType;
        inboundList_.size = list->size;
        inboundList_.summaries = list->records;
        inboundList_.start = list->start;
        inboundList_.count = 0;
        inboundList_.total = 0;
        inboundList_.idArray = nullptr;
        if (!postOrFail(inbound_, &inboundList_, event, "inbound manager"))
            listRequest_ = nullptr;
        return;
    }
    if (list->ids.count())
        return readListed();
    boxCount_.kind = list->boxType == kServiceBoxInbox ? 0 : 2;
    if (!postOrFail(store_, &boxCount_, event, "message store"))
        listRequest_ = nullptr;
}

void CMessageServiceJob::onBoxCounted(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    if (reply->result() != kResultSucceeded)
        return answer(listRequest_, reply->result(), reply->resultText());
    list->total = boxCount_.count;
    if (list->start >= boxCount_.count || list->size == 0)
        return answer(listRequest_, kResultSucceeded);
    boxIds_.kind = boxCount_.kind;
    boxIds_.start = list->start;
    boxIds_.size = boxCount_.count - list->start < list->size ? boxCount_.count - list->start : list->size;
    post(store_, &boxIds_);
}

void CMessageServiceJob::onBoxIdsListed(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    if (reply->result() != kResultSucceeded)
        return answer(listRequest_, reply->result(), reply->resultText());
    for (std::uint32_t i = 0; i < boxIds_.ids.count(); ++i)
        list->ids.insertAt(boxIds_.ids.at(static_cast<int>(i)), -1);
    readListed();
}

void CMessageServiceJob::readListed()
{
    CMessageListRequest* list = listRequest_;
    listIndex_ = 0;
    if (!list->ids.count() || list->size == 0)
        return answer(listRequest_, kResultSucceeded);
    if (!list->records) {
        VXL_LOG_INFO("message service job: a list window without records");
        return answer(listRequest_, kResultFailed);
    }
    if (!store_)
        return answer(listRequest_, kResultFailed);
    listRead_.mode = 4;
    listRead_.read.messageId = list->ids.at(0);
    post(store_, &listRead_);
}

void CMessageServiceJob::onListRead(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    if (reply->result() != kResultSucceeded && reply->result() != kResultDataComplete)
        return answer(listRequest_, reply->result(), reply->resultText());
    list->records[listIndex_].fill(listRead_.read, now());
    ++listIndex_;
    ++list->filled;
    if (listIndex_ < list->size && listIndex_ < list->ids.count()) {
        listRead_.read.messageId = list->ids.at(static_cast<int>(listIndex_));
        return post(store_, &listRead_);
    }
    answer(listRequest_, kResultSucceeded);
}

void CMessageServiceJob::onInboundListed(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    list->filled = inboundList_.count;
    list->total = inboundList_.total;
    answer(listRequest_, reply->result(), reply->resultText());
}

// ---------------------------------------------------------------- thread message window

void CMessageServiceJob::onThreadWindow(CVXLEvent* event)
{
    auto* query = static_cast<CMessageQuery*>(event);
    query->results.clear();
    CVXLThreadEntry* thread = shownThread(query->threadAddress);
    if (!thread) {
        event->setResult(kResultStorageFailed, CVXLString(kThreadNotFound));
        return finishEvent(event);
    }
    query->displayAddress = thread->displayAddress;
    const std::uint32_t n = thread->messages.count();
    query->total = n;
    if (n == 0 || query->size == 0) {
        event->setResult(kResultSucceeded);
        return finishEvent(event);
    }
    windowIds_.clear();
    for (std::uint32_t i = 0; i < n; ++i)
        windowIds_.insertAt(thread->messageAt(static_cast<int>(i))->messageId, -1);

    // 64-bit bounds: start + size - 1 must not wrap.
    const std::int64_t last = static_cast<std::int64_t>(n) - 1;
    windowStart_ = query->start < n ? query->start : last;
    const std::int64_t end = windowStart_ + static_cast<std::int64_t>(query->size) - 1;
    windowEnd_ = end < last ? end : last;

    storedFirst_ = queuedFirst_ = windowEnd_ + 1;
    storedLast_ = queuedLast_ = windowEnd_;
    for (std::int64_t i = windowStart_; i <= windowEnd_; ++i) {
        const bool queued = isQueuedId(windowIds_.at(static_cast<int>(i)));
        std::int64_t& first = queued ? queuedFirst_ : storedFirst_;
        std::int64_t& lastOfRun = queued ? queuedLast_ : storedLast_;
        if (first > windowEnd_) {
            first = i;
            lastOfRun = i;
        } else if (lastOfRun == i - 1) {
            lastOfRun = i;
        }
    }
    if (!query->target())
        query->makeTarget(static_cast<std::uint32_t>(windowEnd_ - windowStart_ + 1));
    windowRequest_ = query;

    if (storedFirst_ <= storedLast_) {
        storedRange_.reset();
        storedRange_.boxType = kServiceBoxPremiumIds;
        storedRange_.size = storedRange_.count = static_cast<std::uint32_t>(storedLast_ - storedFirst_ + 1);
        for (std::int64_t i = storedFirst_; i <= storedLast_; ++i)
            storedRange_.ids.insertAt(windowIds_.at(static_cast<int>(i)), -1);
        storedRange_.records = query->target() + (storedFirst_ - windowStart_);
        post(this, &storedRange_);
    } else {
        queuedRange();
    }
    if (thread->newCount != 0 && threadDB_ && !clearNewCounts_.isBusy()) {
        clearNewCounts_.threadAddress = thread->address;
        clearNewCounts_.all = 0;
        post(threadDB_, &clearNewCounts_);
    }
}

void CMessageServiceJob::onStoredRangeDone(CVXLEvent* reply)
{
    if (!windowRequest_)
        return;
    if (reply->result() != kResultSucceeded) {
        windowIds_.clear();
        return answer(windowRequest_, reply->result(), reply->resultText());
    }
    queuedRange();
}

void CMessageServiceJob::queuedRange()
{
    CMessageQuery* query = windowRequest_;
    if (queuedFirst_ > queuedLast_)
        return finishWindow();
    queuedRefresh_.records.clear();
    for (std::int64_t i = queuedFirst_; i <= queuedLast_; ++i) {
        CVXLMessageSummary* record = query->target() + (i - windowStart_);
        record->setMessageId(windowIds_.at(static_cast<int>(i)));
        queuedRefresh_.records.push_back(record);
    }
    if (!queue_) {
        VXL_LOG_INFO("message service job: no outbound queue for the queued messages of a thread");
        return finishWindow();
    }
    post(queue_, &queuedRefresh_);
}

void CMessageServiceJob::onQueuedRangeDone(CVXLEvent* reply)
{
    if (!windowRequest_)
        return;
    if (reply->result() != kResultSucceeded) {
        windowIds_.clear();
        return answer(windowRequest_, reply->result(), reply->resultText());
    }
    finishWindow();
}

void CMessageServiceJob::finishWindow()
{
    CMessageQuery* query = windowRequest_;
    for (std::int64_t i = 0; i <= windowEnd_ - windowStart_; ++i)
        query->results.push_back(query->target() + i);
    windowIds_.clear();
    answer(windowRequest_, kResultSucceeded);
}

// ---------------------------------------------------------------- thread list

void CMessageServiceJob::onThreadList(CVXLEvent* event)
{
    auto* list = static_cast<CThreadListRequest*>(event);
    list->items.deleteAll();
    latest_.clear();
    latestStored_.clear();
    list->total = threadDB_ ? threadDB_->shownCount() : 0;
    for (std::uint32_t i = list->start; i < list->total && i - list->start < list->size; ++i) {
        CVXLThreadEntry* thread = threadDB_->shownAt(static_cast<int>(i));
        if (!thread)
            continue;
        auto* item = new CVXLMessageListItem;
        item->setName(thread->displayAddress);
        item->setCount(static_cast<std::int32_t>(thread->messages.count()));
        item->setValueA(thread->newCount);
        item->setValueB(thread->countUnreadPrimary());
        item->setId(thread->address);
        list->items.insertAt(item, -1);
        CVXLString latest;
        CVXLString stored;
        for (std::uint32_t m = 0; m < thread->messages.count(); ++m) {
            const CVXLString& id = thread->messageAt(static_cast<int>(m))->messageId;
            latest = id;
            if (!isQueuedId(id))
                stored = id;
        }
        latest_.insertAt(latest, -1);
        latestStored_.insertAt(stored, -1);
    }
    threadListRequest_ = list;
    itemIndex_ = 0;
    nextListedThread();
}

void CMessageServiceJob::nextListedThread()
{
    CThreadListRequest* list = threadListRequest_;
    if (itemIndex_ >= list->items.count()) {
        latest_.clear();
        latestStored_.clear();
        return answer(threadListRequest_, kResultSucceeded);
    }
    scratch_ = std::make_unique<CVXLMessageSummary>();
    const CVXLString id = latest_.at(static_cast<int>(itemIndex_));
    if (isQueuedId(id)) {
        if (!queue_)
            return latestStored();
        // The queue finds the entry by the record's id.
        scratch_->setMessageId(id);
        latestRefresh_.records.assign(1, scratch_.get());
        return post(queue_, &latestRefresh_);
    }
    if (!store_ || !id.length())
        return latestStored();
    latestRead_.mode = 4;
    latestRead_.read.messageId = id;
    post(store_, &latestRead_);
}

void CMessageServiceJob::onLatestRead(CVXLEvent* reply)
{
    CThreadListRequest* list = threadListRequest_;
    if (!list)
        return;
    const std::int32_t result = reply->result();
    if (result == kResultSucceeded || result == kResultDataComplete) {
        if (reply == &latestRead_)
            scratch_->fill(latestRead_.read, now());
        list->itemAt(static_cast<int>(itemIndex_))->setFirstReference(CVXLMediaRefHandle(scratch_->mediaRef()));
    } else {
        VXL_LOG_INFO("message service job: the latest message %s of a listed thread not read (%d)",
            latest_.at(static_cast<int>(itemIndex_)).c_str(), result);
    }
    latestStored();
}

void CMessageServiceJob::latestStored()
{
    const CVXLString id = latestStored_.at(static_cast<int>(itemIndex_));
    if (!id.length() || !store_) {
        ++itemIndex_;
        return nextListedThread();
    }
    latestStoredRead_.mode = 4;
    latestStoredRead_.read.messageId = id;
    post(store_, &latestStoredRead_);
}

void CMessageServiceJob::onLatestStoredRead(CVXLEvent* reply)
{
    CThreadListRequest* list = threadListRequest_;
    if (!list)
        return;
    const std::int32_t result = reply->result();
    if (result == kResultSucceeded || result == kResultDataComplete) {
        scratch_ = std::make_unique<CVXLMessageSummary>();
        scratch_->fill(latestStoredRead_.read, now());
        list->itemAt(static_cast<int>(itemIndex_))->setSecondReference(CVXLMediaRefHandle(scratch_->mediaRef()));
    } else {
        VXL_LOG_INFO("message service job: the latest stored message %s of a listed thread not read (%d)",
            latestStored_.at(static_cast<int>(itemIndex_)).c_str(), result);
    }
    ++itemIndex_;
    nextListedThread();
}

// ---------------------------------------------------------------- delete thread

void CMessageServiceJob::onDeleteThread(CVXLEvent* event)
{
    auto* request = static_cast<CMessageTextRequest*>(event);
    if (request->text.length() && !shownThread(request->text)) {
        event->setResult(kResultStorageFailed, CVXLString(kThreadNotFound));
        return finishEvent(event);
    }
    deleteThreadRequest_ = request;
    threadDelete_.threadAddress = request->text;
    threadDelete_.deletedIds.clear();
    if (!postOrFail(threadDB_, &threadDelete_, event, "thread database"))
        deleteThreadRequest_ = nullptr;
}

void CMessageServiceJob::onThreadDeleted(CVXLEvent* reply)
{
    if (!deleteThreadRequest_)
        return;
    if (reply->result() != kResultSucceeded || threadDelete_.deletedIds.count() == 0)
        return answer(deleteThreadRequest_, reply->result(), reply->resultText());
    deleteIds_ = threadDelete_.deletedIds;
    threadDelete_.deletedIds.clear();
    deleteIndex_ = 0;
    deleteNextThreadMessage();
}

void CMessageServiceJob::deleteNextThreadMessage()
{
    const CVXLString id = deleteIds_.at(static_cast<int>(deleteIndex_));
    threadMessageDelete_.messageId = id;
    threadMessageDelete_.text = deleteThreadRequest_->text;
    if (isQueuedId(id)) {
        threadMessageDelete_.kind = 0;
        if (queue_)
            return post(queue_, &threadMessageDelete_);
        VXL_LOG_INFO("message service job: no outbound queue to delete %s", id.c_str());
        deleteIds_.clear();
        return answer(deleteThreadRequest_, kResultFailed);
    }
    threadMessageDelete_.kind = 5;
    post(this, &threadMessageDelete_);
}

void CMessageServiceJob::onThreadMessageDeleted(CVXLEvent* reply)
{
    if (!deleteThreadRequest_)
        return;
    if (reply->result() != kResultSucceeded || ++deleteIndex_ >= deleteIds_.count()) {
        deleteIds_.clear();
        return answer(deleteThreadRequest_, reply->result(), reply->resultText());
    }
    deleteNextThreadMessage();
}

// ---------------------------------------------------------------- remove from thread

void CMessageServiceJob::onRemoveFromThread(CVXLEvent* event)
{
    auto* request = static_cast<CMessageTextRequest*>(event);
    removeRequest_ = request;
    threadRemove_.reset();
    threadRemove_.messageId = request->text;
    threadRemove_.threadAddress = request->key;
    if (!postOrFail(threadDB_, &threadRemove_, event, "thread database"))
        removeRequest_ = nullptr;
}

void CMessageServiceJob::onRemovedFromThread(CVXLEvent* reply)
{
    if (!removeRequest_)
        return;
    if (reply->result() != kResultSucceeded || threadRemove_.entryDeleted == 0)
        return answer(removeRequest_, reply->result(), reply->resultText());
    removedDelete_.messageId = removeRequest_->text;
    removedDelete_.kind = 0;
    removedDelete_.text = removeRequest_->key;
    post(this, &removedDelete_);
}

void CMessageServiceJob::onRemovedDeleted(CVXLEvent* reply)
{
    answer(removeRequest_, reply->result(), reply->resultText());
}

// ---------------------------------------------------------------- delete one

void CMessageServiceJob::onDeleteOne(CVXLEvent* event)
{
    auto* item = static_cast<CMessageItemRequest*>(event);
    if (isQueuedId(item->messageId))
        return forwardOrFail(queue_, event, "outbound queue");
    if (item->kind == 0 || item->kind == 4) {
        itemRequest_ = item;
        storeDelete_.messageId = item->messageId;
        if (!postOrFail(store_, &storeDelete_, event, "message store"))
            itemRequest_ = nullptr;
        return;
    }
    forwardOrFail(inbound_, event, "inbound manager");
}

void CMessageServiceJob::onSingleDeleted(CVXLEvent* reply)
{
    answer(itemRequest_, reply->result(), reply->resultText());
}

// ---------------------------------------------------------------- delete all

void CMessageServiceJob::onDeleteAll(CVXLEvent* event)
{
    deleteAllRequest_ = event;
    deleteAllResult_ = kResultSucceeded;
    deleteAllText_.clear();
    if (queue_)
        return post(queue_, &queueClear_);
    VXL_LOG_INFO("message service job: no outbound queue to clear");
    allThreads_.text.clear();
    post(this, &allThreads_);
}

// Every step runs even when one before it failed, so the store is cleared
// whatever the queue answered; the first failure is the answer. The threads'
// own message deletes are not: the queue is already empty and the store is
// cleared next, so a message they miss is gone all the same.
void CMessageServiceJob::onDeleteAllStep(CVXLEvent* reply)
{
    if (!deleteAllRequest_)
        return;
    if (reply == &allThreads_ && reply->result() != kResultSucceeded)
        VXL_LOG_INFO("message service job: deleting every thread answered %d", reply->result());
    else if (reply->result() != kResultSucceeded && deleteAllResult_ == kResultSucceeded) {
        deleteAllResult_ = reply->result();
        deleteAllText_ = reply->resultText();
    }
    if (reply == &queueClear_) {
        allThreads_.text.clear();
        return post(this, &allThreads_);
    }
    if (reply == &allThreads_ && store_)
        return post(store_, &storeWipe_);
    if (reply == &allThreads_)
        VXL_LOG_INFO("message service job: no message store to clear");
    answer(deleteAllRequest_, deleteAllResult_, deleteAllText_);
}

// ---------------------------------------------------------------- cancel

void CMessageServiceJob::onCancel(CVXLEvent* event)
{
    bool storeBusy = false;
    for (CVXLEvent* member : std::initializer_list<CVXLEvent*> { &partsQuery_, &partRead_, &boxCount_, &boxIds_,
             &listRead_, &latestRead_, &latestStoredRead_, &storeDelete_, &storeWipe_ })
        storeBusy = storeBusy || member->isBusy();
    if (storeBusy && store_)
        cancelEventsWith(store_);
    if (inboundList_.isBusy() && inbound_)
        cancelEventsWith(inbound_);
    finishEvent(event);
}
