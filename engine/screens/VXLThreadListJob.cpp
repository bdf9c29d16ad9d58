#include "engine/screens/VXLThreadListJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/records/VXLMessageListItem.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

constexpr struct {
    std::uint32_t action;
    std::int32_t signal;
} kEventSignals[] = {
    {kLayoutActionContinue, CVXLThreadListJob::kSignalContinue},
    {kLayoutActionUpdate, CVXLThreadListJob::kSignalUpdate},
    {0x6D, CVXLThreadListJob::kSignalCompose},
    {0x6F, CVXLThreadListJob::kSignalDelete},
    {0x8A, CVXLThreadListJob::kSignalDeleteAll},
    {kLayoutActionBack, CVXLThreadListJob::kSignalKeyBack},
    {kLayoutActionExit, CVXLThreadListJob::kSignalKeyExit},
};

} // namespace

CVXLThreadListJob::CVXLThreadListJob()
    : CVXLUiJob(&CVXLThreadListJob::Initial, kFirstExternalCode)
{
    cancelNotice_.setHeapAllocated(false);
}

CVXLThreadListJob::~CVXLThreadListJob()
{
    clearItems();
}

void CVXLThreadListJob::init()
{
    CVXLUiJob::init();
    layout_.setOwner(this);
    layout_.setState(0);
    clearItems();
    layout_.reset();
    layout_.setItemCount(0);
    shown_ = false;
    leaveResult_ = kEndBack;
    if (CVXLScreenServices* screen = services())
        screen->wireMessageService(service_);
}

// The replies come below the job's first external code: the base hands
// them to the machine.
void CVXLThreadListJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    finishEvent(event);
}

std::int32_t CVXLThreadListJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    clearItems();
    return state;
}

void CVXLThreadListJob::clearItems()
{
    layout_.clear();
    items_.deleteAll();
}

void CVXLThreadListJob::onLayoutAction(std::uint32_t eventId)
{
    for (const auto& entry : kEventSignals) {
        if (layoutEventId(kLayoutThreadList, entry.action) == eventId) {
            postSignal(entry.signal);
            return;
        }
    }
}

void CVXLThreadListJob::onUiRequest(std::int32_t code)
{
    if (isActive() && (code == kUiMessagesChanged || code == kUiMessagesChanged2))
        postSignal(kSignalUpdate);
}

void CVXLThreadListJob::postList()
{
    CThreadListRequest& list = lists_[nextList_];
    nextList_ ^= 1;
    list.start = static_cast<std::uint32_t>(layout_.list().first() > 0 ? layout_.list().first() : 0);
    list.size = static_cast<std::uint32_t>(layout_.list().length() > 0 ? layout_.list().length() : 0);
    list.total = 0;
    post(&service_, &list);
}

void CVXLThreadListJob::takeList(const CThreadListRequest& reply)
{
    clearItems();
    layout_.setItemCount(reply.total);
    const std::int64_t first = layout_.list().first();
    const std::int64_t left = static_cast<std::int64_t>(reply.total) - first;
    const std::int64_t take
        = left < static_cast<std::int64_t>(reply.items.count()) ? left : reply.items.count();
    for (std::int64_t i = 0; i < take; ++i) {
        const CVXLMessageListItem* from = reply.itemAt(static_cast<int>(i));
        auto* item = from ? new CVXLMessageListItem : nullptr;
        if (!item)
            continue;
        item->copyFrom(*from);
        if (!items_.insertAt(item, -1)) {
            delete item;
            continue;
        }
        if (!layout_.addItem(item, static_cast<std::int32_t>(first + i)))
            VXL_LOG_INFO("thread list: thread %lld is outside the window", static_cast<long long>(first + i));
    }
}

void CVXLThreadListJob::stopSpinner()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLThreadListJob::finish(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
    return transition(&CVXLThreadListJob::Done);
}

CVXLHsmState CVXLThreadListJob::Initial(const CVXLEvent*)
{
    setState(&CVXLThreadListJob::Top);
    return handled();
}

CVXLHsmState CVXLThreadListJob::Top(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        startChild(&service_);
        setState(&CVXLThreadListJob::Loading);
        return handled();
    case kSignalKeyBack:
        return finish(kEndBack);
    case kSignalKeyExit:
        return finish(kEndExit);
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    case kSignalUpdate:
        return transition(&CVXLThreadListJob::Loading);
    case kReplyList:
    case kReplyDelete:
        // An answer nobody waits for any more.
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLThreadListJob::Loading(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild43();
        postList();
        return handled();
    case kSignalExit:
        stopSpinner();
        return handled();
    case kReplyList:
        if (e->succeeded())
            takeList(*static_cast<const CThreadListRequest*>(e));
        else
            VXL_LOG_INFO("thread list: the window was answered %d", e->result());
        return transition(&CVXLThreadListJob::Listing);
    case kChildBack:
    case kChildCancel:
        leaveResult_ = kEndBack;
        return transition(&CVXLThreadListJob::LeavingAfterReply);
    case kChildExit:
        leaveResult_ = kEndExit;
        return transition(&CVXLThreadListJob::LeavingAfterReply);
    case kSignalUpdate:
        return handled();
    }
    return super(&CVXLThreadListJob::Top);
}

CVXLHsmState CVXLThreadListJob::Listing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (shown_) {
            updateLayout();
        } else {
            shown_ = true;
            showLayout();
        }
        return handled();
    case kSignalContinue: {
        const CVXLMessageListItem* thread = layout_.selectedItem();
        if (!thread || thread->id().length() == 0)
            return transition(&CVXLThreadListJob::Loading);
        setProperty(kPropertyThread, CVXLVariant(thread->id()));
        notifyOwner(kEndThreadChosen);
        releaseLayout();
        shown_ = false;
        return transition(&CVXLThreadListJob::WaitingForProgram);
    }
    case kSignalCompose:
        releaseLayout();
        shown_ = false;
        notifyOwner(kEndCompose);
        return transition(&CVXLThreadListJob::WaitingForProgram);
    case kSignalDelete: {
        const CVXLMessageListItem* thread = layout_.selectedItem();
        if (!thread || thread->id().length() == 0)
            return handled();
        deleteRequest_.text = thread->id();
        deleteRequest_.key = CVXLString();
        post(&service_, &deleteRequest_);
        return transition(&CVXLThreadListJob::Deleting);
    }
    case kSignalDeleteAll:
        deleteRequest_.text = CVXLString();
        deleteRequest_.key = CVXLString();
        post(&service_, &deleteRequest_);
        return transition(&CVXLThreadListJob::Deleting);
    }
    return super(&CVXLThreadListJob::Top);
}

CVXLHsmState CVXLThreadListJob::WaitingForProgram(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
    case kSignalCancelled:
        return transition(&CVXLThreadListJob::Loading);
    }
    return super(&CVXLThreadListJob::Top);
}

CVXLHsmState CVXLThreadListJob::Deleting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyDelete:
        if (!e->succeeded())
            VXL_LOG_INFO("thread list: a delete was answered %d", e->result());
        return transition(&CVXLThreadListJob::Loading);
    case kSignalUpdate:
        return handled();
    }
    return super(&CVXLThreadListJob::Top);
}

CVXLHsmState CVXLThreadListJob::LeavingAfterReply(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        // The service job drops what it still asks of others for the fetch.
        if (!cancelNotice_.isBusy())
            post(&service_, &cancelNotice_);
        return handled();
    case kReplyList:
        return finish(leaveResult_);
    case kSignalKeyBack:
    case kSignalKeyExit:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
    case kSignalUpdate:
        return handled();
    }
    return super(&CVXLThreadListJob::Top);
}

CVXLHsmState CVXLThreadListJob::Done(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        stop();
        return handled();
    }
    return super(&CVXLHsm::top);
}
