#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventList.h"
#include "engine/core/jobs/VXLEventTypes.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

class CJobRunner;
class CVXLConfigReader;

// The base of every manager, processor and job. Handlers form a tree that the
// root's tick steps; they talk only by posting events. Each handler has an
// incoming queue (events from other handlers, taken one at a time) and an own
// queue (self-posted events, replies, due timers, start and stop), both
// ordered by sequence number with urgent events first, and a timer list
// ordered by remaining time.
class CVXLEventHandler : public CVXLObject {
public:
    CVXLEventHandler();
    ~CVXLEventHandler() override;
    CVXLEventHandler(const CVXLEventHandler&) = delete;
    CVXLEventHandler& operator=(const CVXLEventHandler&) = delete;

    // Queues the stop event (urgent, own queue); once until reattached.
    virtual void stop();
    virtual bool stopRequested() const;
    // Called when attached to a parent, before the start event is processed.
    virtual void init();
    // The work for one event that a run step handed over. The base finishes
    // every event, so a handler that ignores a code never stalls its sender.
    virtual void onEvent(CVXLEvent* event);
    // Called by the run step that ends with the handler finished; its result
    // is the step's result.
    virtual std::int32_t onFinished();
    virtual void childFinished(CVXLEventHandler* child);
    virtual void childStarted(CVXLEventHandler* child);
    virtual CVXLHandlerState runState() const;
    virtual std::int32_t cancelCount(CVXLEventHandler* other);
    virtual void receive(CVXLEvent* event);
    // Milliseconds until this subtree needs a step; kNoDeadline for none.
    virtual std::uint32_t nextTimeout();
    virtual std::int32_t runStep();
    virtual void onUiRequest(std::int32_t code);
    virtual const char* name() const;

    // Sends an event from this handler; `direct` bypasses the target's
    // receive and puts it straight into its incoming queue. A request to a
    // finished target is answered at once (24 after a stop, else 1000).
    void post(CVXLEventHandler* target, CVXLEvent* event, bool direct = false);
    // Arms a timer on the engine clock.
    void postDelayed(CVXLEvent* event, std::uint32_t delay);
    // Takes a busy event off the timer list or the own queue (1), else 0.
    // The caller keeps the event; a heap event is the caller's to delete.
    int cancelEvent(CVXLEvent* event);
    // Ends the processing of an event this handler was handed.
    void finishEvent(CVXLEvent* event);
    // Passes an event on unanswered; the target's reply goes to its sender.
    void forward(CVXLEventHandler* target, CVXLEvent* event);
    // Ends the traffic with another handler; every touched event carries
    // result 24. Returns how many were touched.
    int cancelEventsWith(CVXLEventHandler* other);

    void startChild(CVXLEventHandler* child);
    void stopChildren();
    bool hasChildren() const { return firstChild_ != nullptr; }
    int countActiveChildren() const;
    bool isDescendant(const CVXLEventHandler* handler) const;
    bool isActive() const;
    bool startCompleted() const;
    std::uint32_t incomingCount() const { return incoming_.count(); }
    CVXLEvent* findPending(std::int32_t code) const;
    // True while the event is being processed here (taken and not yet
    // finished or forwarded); compares addresses only.
    bool isInProgress(const CVXLEvent* event) const;
    void setWaiting(bool waiting = true) { waiting_ = waiting; }
    void resume();
    // onUiRequest on this handler, then on each child's subtree, depth first.
    void broadcast(std::int32_t code);
    // Moves due timers, then runs a step unless finished.
    std::int32_t step();

    CVXLEventHandler* parent() const { return parent_; }
    CVXLEventHandler* root() const { return root_; }
    CVXLEventHandler* firstChild() const { return firstChild_; }
    CVXLEventHandler* nextSibling() const { return nextSibling_; }
    std::int32_t outstandingReplies() const { return outstandingReplies_; }
    bool waiting() const { return waiting_; }
    bool hasTimers() const { return !timers_.isEmpty(); }

    // The clock of this handler's tree: the nearest one set on the way up,
    // else a clock that stands at 0.
    CVXLEngineClock& clock() const;
    // The engine's "now" in milliseconds, as the timers read it.
    std::uint32_t tickTime() const { return clock().tickTime(); }
    // A tree's root drives its tree's time with its own clock.
    void setClock(CVXLEngineClock* clock) { clock_ = clock; }
    // The runner of the tree's free-standing jobs and the tree's
    // configuration items: the nearest ones set on the way up, else null.
    // Objects made outside the tree (media references) find them through a
    // job of the tree.
    CJobRunner* jobRunner() const;
    const CVXLConfigReader* config() const;
    void setJobRunner(CJobRunner* runner) { jobRunner_ = runner; }
    void setConfig(const CVXLConfigReader* config) { config_ = config; }

protected:
    // A tree's root names itself; handlers attached below copy it from
    // their parent.
    void setRoot(CVXLEventHandler* root) { root_ = root; }
    CVXLSimpleEvent& startEvent() { return startEvent_; }
    CVXLSimpleEvent& stopEvent() { return stopEvent_; }

private:
    void enqueue(CVXLEventList& queue, CVXLEvent* event);
    void enqueueIncoming(CVXLEvent* event);
    void enqueueOwn(CVXLEvent* event);
    void moveDueTimers();
    void recomputeRunState();
    void renumberQueues();
    void finishCancelledIncoming();
    bool hasInProgressFrom(const CVXLEventHandler* source) const;
    void unlinkChild(CVXLEventHandler* child);
    void dropEvents(CVXLEventList& list);
    void endEvent(CVXLEvent* event, bool direct);
    void linkAwaiting(CVXLEvent* event);
    void refuse(CVXLEvent* event, bool direct);
    void refuseUnserved(bool direct);

    bool stopRequested_ = false;
    CVXLEventHandler* firstChild_ = nullptr;
    CVXLEventHandler* nextSibling_ = nullptr;
    CVXLEventHandler* parent_ = nullptr;
    CVXLEventHandler* root_ = nullptr;
    CVXLEngineClock* clock_ = nullptr;
    CJobRunner* jobRunner_ = nullptr;
    const CVXLConfigReader* config_ = nullptr;
    CVXLHandlerState runState_ = kHandlerNotStarted;
    CVXLEventList incoming_;
    CVXLEventList own_;
    CVXLEventList ownSnapshot_;
    CVXLEventList inProgress_;
    std::uint32_t sequenceCounter_ = 2;
    bool waiting_ = false;
    CVXLEvent* currentIncoming_ = nullptr;
    std::int32_t outstandingReplies_ = 0;
    CVXLEventList timers_;
    CVXLSimpleEvent startEvent_ {kEventStart};
    CVXLSimpleEvent stopEvent_ {kEventStop};
    bool rescan_ = false;
    // Set when a peer's cancel marked a queued incoming event.
    bool cancelledQueued_ = false;
    // Requests posted from here that still expect their reply.
    CVXLEvent* awaiting_ = nullptr;
};
