#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLHsm.h"

#include <cstdint>

class CVXLHttpSettings;

// What the dialer and its connections share: the way events reach the
// machine, answering the current request, and holding requests in the queue
// while the machine is in a state that does not take them.
class CVXLNetworkJob : public CVXLHsm, public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override;
    // What the owner handed over (null: none).
    const CVXLHttpSettings* settings() const { return settings_; }

protected:
    template <class Machine>
    CVXLNetworkJob(CVXLHsmState (Machine::*initial)(const CVXLEvent*), const CVXLHttpSettings* settings)
        : CVXLHsm(initial)
        , settings_(settings)
    {
    }

    // Whether the machine's current state takes new requests.
    virtual bool takesRequests() = 0;
    // Runs after each event but the start event, before the hold is updated.
    virtual void afterEvent(CVXLEvent*) { }

    bool trafficOff() const;
    // Finishes an event with a result; the current request is forgotten.
    void answer(CVXLEvent* event, std::int32_t result);
    void answerCurrent(std::int32_t result) { answer(current_, result); }
    void updateHold();

    CVXLEvent* current_ = nullptr;
    const CVXLHttpSettings* settings_;

private:
    // The event being dispatched, until something finishes it.
    CVXLEvent* dispatching_ = nullptr;
    bool holding_ = false;
};
