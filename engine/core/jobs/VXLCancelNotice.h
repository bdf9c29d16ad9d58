#pragma once

#include "engine/core/jobs/VXLEvent.h"

// Tells a job that a request it is working on was cancelled by its sender.
// The job compares `cancelled` with its in-progress events; by the time the
// notice arrives the cancelled event may already be finished, so the pointer
// is for comparison, not to be followed blindly.
class CVXLCancelNotice : public CVXLEvent {
public:
    explicit CVXLCancelNotice(CVXLEvent* cancelled = nullptr)
        : CVXLEvent(kEventCancelNotice, kEventCancelNotice)
        , cancelled_(cancelled)
    {
        setReplyWanted(false);
    }

    CVXLEvent* cancelled() const { return cancelled_; }
    void setCancelled(CVXLEvent* event) { cancelled_ = event; }

private:
    CVXLEvent* cancelled_;
};
