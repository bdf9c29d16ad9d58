#include "engine/messaging/push/WapPushQueue.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/push/WapPushRequest.h"

namespace {

// attempts, fetchNow and the PDU's length word.
constexpr std::uint32_t kItemHeader = 12;

} // namespace

CWapPushQueue::~CWapPushQueue()
{
    clear();
}

void CWapPushQueue::clear()
{
    while (CVXLObject* item = items_.popFront())
        delete item;
}

void CWapPushQueue::onEvent(CVXLEvent* event)
{
    if (event->kind() == kEventReply) {
        if (event->replyCode() == kReplyRead)
            return onRead(event);
        if (!saver_.onWritten(event))
            finishEvent(event);
        return finishStopWhenSaved();
    }
    switch (event->requestCode()) {
    case kEventStart:
        return onStart(event);
    case kEventStop:
        return onStop(event);
    case kRequestPush:
        return onPush(event);
    default:
        return finishEvent(event);
    }
}

// No push is taken before the saved queue is in, so none goes ahead of it.
void CWapPushQueue::onStart(CVXLEvent* event)
{
    if (!files_) {
        loaded_ = true;
        return finishEvent(event);
    }
    setWaiting(true);
    readRequest_.fileName = kFileName;
    readRequest_.readStart = 0;
    readRequest_.readLength = 0;
    readRequest_.buffer.clear();
    post(files_, &readRequest_);
    finishEvent(event);
}

void CWapPushQueue::onRead(CVXLEvent* reply)
{
    const bool ok = reply->succeeded();
    const CVXLByteBuffer bytes = readRequest_.buffer;
    readRequest_.buffer.clear();
    finishEvent(reply);
    loaded_ = true;
    resume();
    if (ok && bytes.length() != 0 && !parse(bytes)) {
        VXL_LOG_FAILURE("push queue: damaged %s (%u bytes): not loaded", kFileName, bytes.length());
        saver_.keepDamagedCopy();
    }
    countUncleanShutdown();
    if (services_)
        services_->pushWaiting();
    finishStopWhenSaved();
}

// The head was being handled when the last run ended without a clean
// shut-down: it may be what ended it.
void CWapPushQueue::countUncleanShutdown()
{
    if (!services_ || services_->uncleanShutdowns() == 0 || items_.count() == 0)
        return;
    auto* head = static_cast<CWapPushItem*>(items_.front());
    const std::uint32_t before = head->attempts;
    head->backAfterCrash = true;
    if (before >= kLastAttempt) {
        VXL_LOG_INFO("push queue: head dropped after an unclean shut-down (%u attempts)", before);
        popHead(nullptr);
    } else {
        head->attempts = before + 1;
    }
    save();
}

void CWapPushQueue::onPush(CVXLEvent* event)
{
    const auto* request = static_cast<CWapPushRequest*>(event);
    if (items_.count() >= kMaxItems)
        dropFailedItem();
    const bool queued = items_.count() < kMaxItems && append(request->item);
    if (!queued)
        VXL_LOG_FAILURE(
            "push queue: a push of %u bytes dropped, %u held", request->item.pdu.length(), items_.count());
    save();
    finishEvent(event);
    if (queued && services_)
        services_->pushWaiting();
}

// A full queue makes room for a new push by dropping the item that failed
// most often (the first of them), never one not tried yet nor the head,
// which may be out being handled.
void CWapPushQueue::dropFailedItem()
{
    const CWapPushItem* victim = nullptr;
    std::uint32_t most = 0;
    for (CVXLListIterator it = items_.begin(); !it.atEnd(); it.advance()) {
        const auto* item = static_cast<const CWapPushItem*>(it.current());
        if (item != items_.front() && item->attempts > most) {
            victim = item;
            most = item->attempts;
        }
    }
    if (!victim || !items_.remove(victim))
        return;
    delete victim;
    VXL_LOG_INFO("push queue: full, a push tried %u times dropped for a new one", most);
}

bool CWapPushQueue::append(const CWapPushItem& item)
{
    auto* copy = new CWapPushItem;
    if (!copy)
        return false;
    copy->fetchNow = item.fetchNow;
    copy->attempts = item.attempts;
    copy->pdu = item.pdu;
    if (copy->pdu.length() != item.pdu.length() || !items_.append(copy)) {
        delete copy;
        return false;
    }
    return true;
}

bool CWapPushQueue::popHead(CWapPushItem* out)
{
    auto* head = static_cast<CWapPushItem*>(items_.popFront());
    if (!head)
        return false;
    if (out) {
        out->fetchNow = head->fetchNow;
        out->attempts = head->attempts;
        out->pdu = head->pdu;
        out->backAfterCrash = head->backAfterCrash;
    }
    delete head;
    save();
    return true;
}

void CWapPushQueue::retryHead()
{
    auto* head = static_cast<CWapPushItem*>(items_.front());
    if (!head)
        return;
    if (head->attempts >= kLastAttempt) {
        VXL_LOG_INFO("push queue: a push dropped after %u attempts", head->attempts + 1);
        popHead(nullptr);
        return;
    }
    items_.popFront();
    ++head->attempts;
    if (!items_.append(head)) {
        // No node for the tail: the item goes back to the head instead of
        // being lost.
        CVXLObjectQueue rest;
        while (CVXLObject* item = items_.popFront())
            rest.append(item);
        items_.append(head);
        while (CVXLObject* item = rest.popFront())
            items_.append(item);
    }
    save();
}

void CWapPushQueue::serialise(CVXLByteBuffer& out) const
{
    CVXLByteStream stream;
    stream.writeByte(kFormat);
    stream.writeUInt32(items_.count());
    for (CVXLListIterator it = items_.begin(); !it.atEnd(); it.advance()) {
        const auto* item = static_cast<const CWapPushItem*>(it.current());
        stream.writeUInt32(item->attempts);
        stream.writeUInt32(item->fetchNow);
        stream.writeBuffer(item->pdu);
    }
    out = stream;
}

bool CWapPushQueue::parse(const CVXLByteBuffer& bytes)
{
    CVXLByteStream in(bytes);
    if (in.remaining() < 5 || in.readByte() != kFormat)
        return false;
    const std::uint32_t stored = in.readUInt32();
    const std::uint32_t n = stored < kMaxItems ? stored : kMaxItems;
    CVXLObjectQueue read;
    bool whole = true;
    for (std::uint32_t i = 0; i < n && whole; ++i) {
        if (in.remaining() < kItemHeader) {
            whole = false;
            break;
        }
        auto* item = new CWapPushItem;
        if (!item) {
            whole = false;
            break;
        }
        item->attempts = in.readUInt32();
        item->fetchNow = in.readUInt32();
        item->pdu = in.readBuffer();
        if (in.isBad() || !read.append(item)) {
            delete item;
            whole = false;
        }
    }
    if (whole && stored <= kMaxItems && in.remaining() != 0)
        whole = false;
    if (!whole) {
        while (CVXLObject* item = read.popFront())
            delete item;
        return false;
    }
    if (stored > kMaxItems)
        VXL_LOG_INFO("push queue: %s holds %u items, the first %u kept", kFileName, stored, kMaxItems);
    while (CVXLObject* item = read.popFront()) {
        if (items_.count() >= kMaxItems || !items_.append(item))
            delete item;
    }
    return true;
}

// A queue that has ended writes nothing more: no reply could reach it.
void CWapPushQueue::save()
{
    saver_.save();
}

void CWapPushQueue::stateNotSaved(std::int32_t result)
{
    (void)result;
    if (services_)
        services_->queueStored(false);
}

void CWapPushQueue::stateSaved()
{
    if (services_)
        services_->queueStored(true);
}

void CWapPushQueue::onStop(CVXLEvent* event)
{
    stopPending_ = event;
    finishStopWhenSaved();
}

void CWapPushQueue::finishStopWhenSaved()
{
    if (!stopPending_ || !saver_.idle() || readRequest_.isBusy())
        return;
    CVXLEvent* stop = stopPending_;
    stopPending_ = nullptr;
    finishEvent(stop);
}
