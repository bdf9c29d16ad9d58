#include "engine/transport/tasks/VXLStepProcessor.h"

CVXLStepProcessor::CVXLStepProcessor(std::int32_t firstStep)
    : stepEvent_(this, firstStep)
{
}

void CVXLStepProcessor::init()
{
    CVXLProcessor::init();
    cancelSteps();
}

void CVXLStepProcessor::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStop || code == kEventCancelTransaction)
        return CVXLProcessor::onEvent(event);
    const std::int32_t result = event->result();
    const bool step = event == &stepEvent_;
    finishEvent(event);
    if (stopRequested())
        return;
    if (code == kEventStart)
        start();
    else if (step)
        onStep(code, result);
    else
        onOtherEvent();
}

CVXLCallbackEvent* CVXLStepProcessor::nextStep(std::int32_t step)
{
    stepEvent_.setRequestCode(step);
    stepEvent_.setReplyCode(step);
    return &stepEvent_;
}
