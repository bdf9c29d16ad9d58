#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/transport/tasks/VXLProcessor.h"

#include <cstdint>

// A processor that works in steps reported to itself through one step event
// (a file stream's or a sub-transaction's callback): the start event begins
// the work, each report of the step event is the step it names, and stop and
// cancel go to CVXLProcessor. Events queued before a stop was requested have
// nothing left to do.
class CVXLStepProcessor : public CVXLProcessor {
public:
    void init() override;
    void onEvent(CVXLEvent* event) override;

protected:
    explicit CVXLStepProcessor(std::int32_t firstStep);

    virtual void start() = 0;
    virtual void onStep(std::int32_t step, std::int32_t result) = 0;
    // Any other event; ignored unless the processor says otherwise.
    virtual void onOtherEvent() { }

    // Names the step that the next report through the step event leads to.
    CVXLCallbackEvent* nextStep(std::int32_t step);
    CVXLCallbackEvent* stepEvent() { return &stepEvent_; }
    void cancelSteps() { cancelEvent(&stepEvent_); }

private:
    CVXLCallbackEvent stepEvent_;
};
