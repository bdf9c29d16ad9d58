#include "engine/transport/net/VXLNetworkJob.h"

#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/transport/net/VXLHttpSettings.h"

// The start event runs the initial transition. Signals the job posts to
// itself (platform notifications, timers, callbacks, steps) are finished
// before the machine sees a copy, so a state may post the same member event
// again at once; requests and notices go to the machine as they are.
void CVXLNetworkJob::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStart) {
        CVXLHsm::init();
        finishEvent(event);
        updateHold();
        return;
    }
    const bool selfSignal = event->source() == static_cast<CVXLEventHandler*>(this) && code != kEventStop
        && code != kEventCancelNotice;
    if (selfSignal) {
        CVXLSimpleEvent copy(code);
        copy.setResult(event->result());
        copy.setSubject(event->subject());
        finishEvent(event);
        dispatch(&copy);
    } else {
        dispatching_ = event;
        dispatch(event);
        // A notice or a stray event that no state kept is done with.
        if (dispatching_ && dispatching_ != current_ && dispatching_ != &stopEvent()
            && (!dispatching_->replyWanted() || dispatching_->kind() == kEventReply))
            finishEvent(dispatching_);
        dispatching_ = nullptr;
    }
    afterEvent(event);
    updateHold();
}

// Requests wait in the queue while the machine is in a state that does not
// take them, so none is dropped half way through.
void CVXLNetworkJob::updateHold()
{
    const bool hold = !takesRequests();
    if (hold == holding_)
        return;
    holding_ = hold;
    if (hold)
        setWaiting(true);
    else
        resume();
}

bool CVXLNetworkJob::trafficOff() const
{
    return settings_ && settings_->trafficOff();
}

void CVXLNetworkJob::answer(CVXLEvent* event, std::int32_t result)
{
    if (!event)
        return;
    if (event == dispatching_)
        dispatching_ = nullptr;
    if (event == current_)
        current_ = nullptr;
    event->setResult(result);
    finishEvent(event);
}
