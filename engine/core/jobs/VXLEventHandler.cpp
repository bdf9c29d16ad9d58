#include "engine/core/jobs/VXLEventHandler.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLEngineClock.h"

#include <initializer_list>

namespace {

// Unsigned, so the millisecond clock may wrap.
std::uint32_t remainingTime(const CVXLEvent* timer, std::uint32_t now)
{
    const std::uint32_t elapsed = now - timer->armedAt();
    return elapsed < timer->delay() ? timer->delay() - elapsed : 0;
}

bool isDue(const CVXLEvent* timer, std::uint32_t now)
{
    return now - timer->armedAt() >= timer->delay();
}

bool isStopping(CVXLHandlerState state)
{
    return state == kHandlerFinished || state == kHandlerStopping;
}

} // namespace

CVXLEventHandler::CVXLEventHandler() = default;

CVXLEventHandler::~CVXLEventHandler()
{
    // Requests still out lose their requester: their receivers end them
    // without a reply instead of handing it to freed memory.
    while (CVXLEvent* event = awaiting_) {
        event->leaveAwaiting();
        event->source_ = nullptr;
    }
    if (parent_)
        parent_->unlinkChild(this);
    for (CVXLEventHandler* child = firstChild_; child;) {
        CVXLEventHandler* next = child->nextSibling_;
        child->parent_ = nullptr;
        child->nextSibling_ = nullptr;
        child = next;
    }
    firstChild_ = nullptr;
    refuseUnserved(true);
    dropEvents(incoming_);
    dropEvents(own_);
    dropEvents(ownSnapshot_);
    dropEvents(inProgress_);
    dropEvents(timers_);
}

// Events still queued when the handler goes away are taken off its lists, so
// no list points into a dead handler; heap events die with it (nobody else
// would finish them), member events of others are left done and reusable.
void CVXLEventHandler::dropEvents(CVXLEventList& list)
{
    while (CVXLEvent* event = list.popFront()) {
        event->sequence_ = 0;
        event->status_ = kEventDone;
        if (event->heapAllocated_ && event != &startEvent_ && event != &stopEvent_)
            delete event;
    }
}

void CVXLEventHandler::stop()
{
    if (stopRequested_)
        return;
    stopRequested_ = true;
    stopEvent_.kind_ = kEventUrgent;
    enqueueOwn(&stopEvent_);
}

bool CVXLEventHandler::stopRequested() const
{
    return stopRequested_;
}

void CVXLEventHandler::init()
{
}

void CVXLEventHandler::onEvent(CVXLEvent* event)
{
    finishEvent(event);
}

std::int32_t CVXLEventHandler::onFinished()
{
    return kHandlerFinished;
}

void CVXLEventHandler::childFinished(CVXLEventHandler*)
{
}

void CVXLEventHandler::childStarted(CVXLEventHandler*)
{
}

CVXLHandlerState CVXLEventHandler::runState() const
{
    return runState_;
}

std::int32_t CVXLEventHandler::cancelCount(CVXLEventHandler*)
{
    return 0;
}

void CVXLEventHandler::receive(CVXLEvent* event)
{
    if (event->source_ == this || event->kind_ == kEventReply)
        enqueueOwn(event);
    else
        enqueueIncoming(event);
}

void CVXLEventHandler::onUiRequest(std::int32_t)
{
}

const char* CVXLEventHandler::name() const
{
    return "Event Handler";
}

CVXLEngineClock& CVXLEventHandler::clock() const
{
    for (const CVXLEventHandler* handler = this; handler; handler = handler->parent_) {
        if (handler->clock_)
            return *handler->clock_;
    }
    return CVXLEngineClock::idle();
}

CJobRunner* CVXLEventHandler::jobRunner() const
{
    for (const CVXLEventHandler* handler = this; handler; handler = handler->parent_) {
        if (handler->jobRunner_)
            return handler->jobRunner_;
    }
    return nullptr;
}

const CVXLConfigReader* CVXLEventHandler::config() const
{
    for (const CVXLEventHandler* handler = this; handler; handler = handler->parent_) {
        if (handler->config_)
            return handler->config_;
    }
    return nullptr;
}

void CVXLEventHandler::enqueue(CVXLEventList& queue, CVXLEvent* event)
{
    if (event->kind_ == kEventUrgent) {
        event->sequence_ = 1;
        queue.pushFront(event);
    } else {
        event->sequence_ = sequenceCounter_++;
        queue.pushBack(event);
    }
    event->status_ = kEventQueued;
}

void CVXLEventHandler::enqueueIncoming(CVXLEvent* event)
{
    enqueue(incoming_, event);
    if (!currentIncoming_ && !waiting_ && !isStopping(runState_))
        runState_ = kHandlerRunnable;
}

void CVXLEventHandler::enqueueOwn(CVXLEvent* event)
{
    enqueue(own_, event);
    if (!isStopping(runState_))
        runState_ = kHandlerRunnable;
}

void CVXLEventHandler::post(CVXLEventHandler* target, CVXLEvent* event, bool direct)
{
    if (!target || !event)
        return;
    event->source_ = this;
    event->kind_ = kEventRequest;
    event->leaveAwaiting();
    if (event->replyWanted_) {
        ++outstandingReplies_;
        linkAwaiting(event);
    }
    if (target->runState_ == kHandlerFinished)
        target->refuse(event, false);
    else if (direct)
        target->enqueueIncoming(event);
    else
        target->receive(event);
    // The tree that will take the event must wake for it.
    CVXLEngineClock& clock = target->clock();
    if (!clock.inTick())
        clock.postedOutsideTick();
}

void CVXLEventHandler::postDelayed(CVXLEvent* event, std::uint32_t delay)
{
    if (!event)
        return;
    if (event->list_)
        event->list_->remove(event);
    const std::uint32_t now = tickTime();
    event->armedAt_ = now;
    event->delay_ = delay;
    event->kind_ = kEventTimer;
    event->source_ = this;
    event->status_ = kEventQueued;
    event->sequence_ = 0;
    CVXLEvent* after = timers_.head();
    while (after && remainingTime(after, now) <= delay)
        after = after->next_;
    timers_.insertBefore(after, event);
    if (runState_ == kHandlerIdle)
        runState_ = kHandlerWaitingForTimer;
}

int CVXLEventHandler::cancelEvent(CVXLEvent* event)
{
    if (!event || !event->isBusy())
        return 0;
    const bool inOwnQueue = own_.contains(event) || ownSnapshot_.contains(event);
    if (!inOwnQueue && !timers_.contains(event))
        return 0;
    // A reply taken back here will never be finished, so it no longer counts
    // as outstanding; otherwise the handler would report busy for ever.
    if (inOwnQueue && event->kind_ == kEventReply && outstandingReplies_ > 0)
        --outstandingReplies_;
    event->list_->remove(event);
    event->sequence_ = 0;
    event->kind_ = kEventRequest;
    event->finished();
    event->status_ = kEventDone;
    if (runState_ != kHandlerNotStarted)
        recomputeRunState();
    return 1;
}

void CVXLEventHandler::finishEvent(CVXLEvent* event)
{
    if (!event)
        return;
    if (event->status_ == kEventCancelledByPeer)
        event->result_ = kResultCancelled;
    if (event == &startEvent_ && parent_)
        parent_->childStarted(this);
    const bool isStop = event == &stopEvent_;
    if (isStop && firstChild_) {
        // The stop event stays in progress until the last child is gone.
        stopChildren();
        runState_ = kHandlerStopping;
        return;
    }
    endEvent(event, false);
    if (isStop)
        runState_ = kHandlerFinished;
    rescan_ = true;
}

// `direct` puts a reply straight into the requester's own queue: a handler
// being destroyed may be answering a request of the object that embeds it,
// whose own receive is already gone.
void CVXLEventHandler::endEvent(CVXLEvent* event, bool direct)
{
    event->status_ = kEventDone;
    if (event->list_)
        event->list_->remove(event);
    event->leaveAwaiting();
    if (currentIncoming_ == event)
        currentIncoming_ = nullptr;
    if (event->kind_ == kEventReply && outstandingReplies_ > 0)
        --outstandingReplies_;
    if (event->replyWanted_ && event->kind_ != kEventReply && event->source_) {
        CVXLEventHandler* requester = event->source_;
        event->kind_ = kEventReply;
        event->source_ = this;
        if (direct)
            requester->enqueueOwn(event);
        else
            requester->receive(event);
    } else {
        event->finished();
        if (event->heapAllocated_) {
            delete event;
        } else {
            event->result_ = kResultSucceeded;
            event->resultText_.clear();
        }
    }
}

void CVXLEventHandler::linkAwaiting(CVXLEvent* event)
{
    event->awaitingNext_ = awaiting_;
    if (awaiting_)
        awaiting_->awaitingLink_ = &event->awaitingNext_;
    awaiting_ = event;
    event->awaitingLink_ = &awaiting_;
}

// Ends an event from another handler that this one will never serve, so its
// requester does not wait for ever.
void CVXLEventHandler::refuse(CVXLEvent* event, bool direct)
{
    const std::int32_t result
        = stopRequested_ || event->status_ == kEventCancelledByPeer ? kResultCancelled : kResultFailed;
    event->setResult(result);
    if (event->replyWanted_ && event->source_) {
        VXL_LOG_FAILURE("request %d answered %d: its receiver %s", static_cast<int>(event->requestCode_),
            static_cast<int>(result), direct ? "was deleted" : "has finished");
    }
    endEvent(event, direct);
}

void CVXLEventHandler::refuseUnserved(bool direct)
{
    for (CVXLEventList* list : {&inProgress_, &ownSnapshot_, &own_, &incoming_}) {
        for (CVXLEvent* event = list->head(); event;) {
            CVXLEvent* next = event->next_;
            if (event->source_ != this && event->kind_ != kEventReply && event != &startEvent_
                && event != &stopEvent_)
                refuse(event, direct);
            event = next;
        }
    }
}

void CVXLEventHandler::forward(CVXLEventHandler* target, CVXLEvent* event)
{
    if (!event)
        return;
    if (currentIncoming_ == event)
        currentIncoming_ = nullptr;
    if (event->status_ == kEventCancelledByPeer || !target) {
        finishEvent(event);
    } else if (target->runState_ == kHandlerFinished) {
        target->refuse(event, false);
    } else {
        inProgress_.remove(event);
        target->receive(event);
    }
    rescan_ = true;
}

int CVXLEventHandler::cancelEventsWith(CVXLEventHandler* other)
{
    if (!other)
        return 0;
    int count = 0;
    for (CVXLEventList* queue : {&own_, &ownSnapshot_}) {
        for (CVXLEvent* event = queue->head(); event; event = event->next_) {
            if (event->source_ == other) {
                event->setResult(kResultCancelled);
                ++count;
            }
        }
    }
    for (CVXLEvent* event = other->inProgress_.head(); event; event = event->next_) {
        if (event->source_ != this)
            continue;
        event->status_ = kEventCancelledByPeer;
        ++count;
        auto* notice = new CVXLCancelNotice(event);
        if (!notice)
            continue;
        notice->kind_ = kEventUrgent;
        notice->source_ = this;
        other->enqueueOwn(notice);
    }
    for (CVXLEvent* event = other->incoming_.head(); event; event = event->next_) {
        if (event->source_ == this) {
            event->status_ = kEventCancelledByPeer;
            other->rescan_ = true;
            other->cancelledQueued_ = true;
            ++count;
        }
    }
    return count + other->cancelCount(this);
}

void CVXLEventHandler::startChild(CVXLEventHandler* child)
{
    if (!child || child == this || child->parent_)
        return;
    CVXLEventHandler** link = &firstChild_;
    while (*link)
        link = &(*link)->nextSibling_;
    *link = child;
    child->nextSibling_ = nullptr;
    child->parent_ = this;
    child->root_ = root_;
    child->stopRequested_ = false;
    child->startEvent_.kind_ = kEventUrgent;
    child->enqueueIncoming(&child->startEvent_);
    child->runState_ = kHandlerRunnable;
    child->init();
}

void CVXLEventHandler::stopChildren()
{
    for (CVXLEventHandler* child = firstChild_; child;) {
        CVXLEventHandler* next = child->nextSibling_;
        child->stop();
        child = next;
    }
}

int CVXLEventHandler::countActiveChildren() const
{
    int count = 0;
    for (const CVXLEventHandler* child = firstChild_; child; child = child->nextSibling_) {
        if (child->runState() != kHandlerFinished)
            ++count;
    }
    return count;
}

bool CVXLEventHandler::isDescendant(const CVXLEventHandler* handler) const
{
    for (const CVXLEventHandler* child = firstChild_; child; child = child->nextSibling_) {
        if (child == handler || child->isDescendant(handler))
            return true;
    }
    return false;
}

bool CVXLEventHandler::isActive() const
{
    const CVXLHandlerState state = runState();
    return state != kHandlerNotStarted && state != kHandlerFinished;
}

bool CVXLEventHandler::startCompleted() const
{
    return isActive() && !incoming_.contains(&startEvent_) && !inProgress_.contains(&startEvent_);
}

CVXLEvent* CVXLEventHandler::findPending(std::int32_t code) const
{
    for (CVXLEvent* event = inProgress_.head(); event; event = event->next_) {
        if (event->effectiveCode() == code)
            return event;
    }
    return nullptr;
}

bool CVXLEventHandler::isInProgress(const CVXLEvent* event) const
{
    return event && inProgress_.contains(event);
}

void CVXLEventHandler::resume()
{
    currentIncoming_ = nullptr;
    waiting_ = false;
    recomputeRunState();
}

void CVXLEventHandler::broadcast(std::int32_t code)
{
    onUiRequest(code);
    for (CVXLEventHandler* child = firstChild_; child;) {
        CVXLEventHandler* next = child->nextSibling_;
        child->broadcast(code);
        child = next;
    }
}

std::int32_t CVXLEventHandler::step()
{
    moveDueTimers();
    if (runState() == kHandlerFinished)
        return kHandlerFinished;
    return runStep();
}

void CVXLEventHandler::moveDueTimers()
{
    const std::uint32_t now = tickTime();
    while (CVXLEvent* timer = timers_.head()) {
        if (!isDue(timer, now))
            break;
        timers_.remove(timer);
        timer->replyWanted_ = false;
        enqueueOwn(timer);
    }
}

void CVXLEventHandler::recomputeRunState()
{
    if (isStopping(runState_))
        return;
    if ((!incoming_.isEmpty() && !currentIncoming_ && !waiting_) || !own_.isEmpty())
        runState_ = kHandlerRunnable;
    else if (!inProgress_.isEmpty() || outstandingReplies_ > 0)
        runState_ = kHandlerBusy;
    else if (!timers_.isEmpty())
        runState_ = kHandlerWaitingForTimer;
    else
        runState_ = kHandlerIdle;
}

// Compacts the sequence numbers of both queues in their merged order, so the
// 32-bit counter never wraps. Only once the numbers in use are more than
// twice the queued events: a walk on every step would make a long queue
// cost its length squared, and this way each walk is paid for by the
// events numbered since the last one.
void CVXLEventHandler::renumberQueues()
{
    const std::uint64_t queued = std::uint64_t {incoming_.count()} + own_.count();
    if (sequenceCounter_ - 2u <= 2 * queued)
        return;
    std::uint32_t number = 2;
    CVXLEvent* in = incoming_.head();
    CVXLEvent* own = own_.head();
    while (in || own) {
        CVXLEvent* event;
        if (own && (!in || own->sequence_ <= in->sequence_)) {
            event = own;
            own = own->next_;
        } else {
            event = in;
            in = in->next_;
        }
        event->sequence_ = event->kind_ == kEventUrgent ? 1 : number++;
    }
    sequenceCounter_ = number;
}

bool CVXLEventHandler::hasInProgressFrom(const CVXLEventHandler* source) const
{
    for (const CVXLEvent* event = inProgress_.head(); event; event = event->next_) {
        if (event->source_ == source)
            return true;
    }
    return false;
}

void CVXLEventHandler::finishCancelledIncoming()
{
    cancelledQueued_ = false;
    for (CVXLEvent* event = incoming_.head(); event;) {
        CVXLEvent* next = event->next_;
        if (event->status_ == kEventCancelledByPeer) {
            if (hasInProgressFrom(event->source_)) {
                cancelledQueued_ = true;
            } else {
                event->sequence_ = 0;
                inProgress_.pushBack(event);
                event->result_ = kResultCancelled;
                finishEvent(event);
            }
        }
        event = next;
    }
}

std::int32_t CVXLEventHandler::runStep()
{
    if (runState_ == kHandlerRunnable) {
        const std::uint32_t limit = sequenceCounter_;
        // Events left in the snapshot by a step that ended early stay ahead of
        // the newer ones instead of being lost.
        ownSnapshot_.appendAll(own_);
        runState_ = kHandlerBusy;
        bool tookIncoming = false;
        if (runState() != kHandlerFinished) {
            while (runState_ != kHandlerStopping) {
                CVXLEvent* in = incoming_.head();
                if (tookIncoming || waiting_ || currentIncoming_ || (in && in->sequence_ >= limit))
                    in = nullptr;
                CVXLEvent* own = ownSnapshot_.head();
                if (!in && !own)
                    break;
                CVXLEvent* event = (own && (!in || own->sequence_ <= in->sequence_)) ? own : in;
                event->sequence_ = 0;
                inProgress_.pushBack(event);
                if (event == in) {
                    currentIncoming_ = event;
                    tookIncoming = true;
                }
                if (event->status_ == kEventCancelledByPeer) {
                    event->result_ = kResultCancelled;
                    finishEvent(event);
                } else {
                    event->status_ = kEventInProgress;
                    onEvent(event);
                }
                if (runState_ == kHandlerFinished)
                    break;
            }
        }
        renumberQueues();
        recomputeRunState();
    }
    if (rescan_) {
        rescan_ = false;
        // Only a peer's cancel marks queued events; most steps have none to
        // look for.
        if (cancelledQueued_)
            finishCancelledIncoming();
        recomputeRunState();
    }
    if (!firstChild_ && runState_ == kHandlerStopping)
        finishEvent(&stopEvent_);
    for (CVXLEventHandler* child = firstChild_; child;) {
        CVXLEventHandler* next = child->nextSibling_;
        child->moveDueTimers();
        if (child->runState() != kHandlerFinished)
            child->runStep();
        if (child->runState() == kHandlerFinished) {
            unlinkChild(child);
            // A child finished outside its own step has not ended what it
            // still held.
            child->refuseUnserved(false);
            childFinished(child);
        }
        child = next;
    }
    if (runState_ != kHandlerFinished)
        return runState_;
    const std::int32_t result = onFinished();
    // Nothing steps a finished handler again: what it holds or has queued
    // from others is answered now.
    refuseUnserved(false);
    return result;
}

std::uint32_t CVXLEventHandler::nextTimeout()
{
    std::uint32_t timeout;
    if (!firstChild_ && runState_ == kHandlerStopping)
        timeout = 0;
    else
        timeout = timers_.isEmpty() ? kNoDeadline : remainingTime(timers_.head(), tickTime());
    for (CVXLEventHandler* child = firstChild_; child; child = child->nextSibling_) {
        const CVXLHandlerState state = child->runState();
        if (state == kHandlerRunnable || state == kHandlerFinished)
            return 0;
        const std::uint32_t childTimeout = child->nextTimeout();
        if (childTimeout < timeout)
            timeout = childTimeout;
    }
    return timeout;
}

void CVXLEventHandler::unlinkChild(CVXLEventHandler* child)
{
    for (CVXLEventHandler** link = &firstChild_; *link; link = &(*link)->nextSibling_) {
        if (*link == child) {
            *link = child->nextSibling_;
            child->nextSibling_ = nullptr;
            child->parent_ = nullptr;
            return;
        }
    }
}
