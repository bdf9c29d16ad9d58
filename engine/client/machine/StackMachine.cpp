#include "engine/client/machine/StackMachine.h"

#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLRunRequest.h"
#include "engine/client/machine/VXLScenarioProgram.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/core/jobs/VXLCounterTable.h"

CStackMachine::CStackMachine(CVXLUiJobStack* uiJobs)
    : interpreter_(this)
    , helper_(this)
    , uiJobs_(uiJobs)
    , ring_(this, slots_, kRingSlots)
{
}

CStackMachine::~CStackMachine() = default;

void CStackMachine::setProgram(const CVXLScenarioProgram* program)
{
    program_ = program && program->isLoaded() ? program : nullptr;
    interpreter_.setProgram(program_);
}

CStackMachine* CStackMachine::takeLink()
{
    CStackMachine* machine = link_;
    link_ = nullptr;
    return machine;
}

void CStackMachine::fail(std::int32_t error)
{
    interpreter_.fail(error);
}

void CStackMachine::init()
{
    interpreter_.reset();
    attachSucceeded_ = false;
    if (!helper_.parent())
        startChild(&helper_);
    if (!program_)
        return;
    if (interpreter_.call(0)) {
        int slices = 0;
        while (interpreter_.isRunning()) {
            const CVXLInterpreter::SliceResult result = interpreter_.runSlice();
            // Nothing can resume a start-up function while the machine is
            // being attached, so a wait would never end.
            if (result == CVXLInterpreter::kSliceSuspended || ++slices > kMaxStartupSlices)
                interpreter_.fail(kResultMachineStartupWaited);
        }
    }
    attachSucceeded_ = interpreter_.error() == kResultSucceeded;
}

void CStackMachine::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code < kEventFirstProducerCode) {
        if (helper_.parent() == this)
            forward(&helper_, event);
        else
            finishEvent(event);
    } else if (code <= kEventLastActivity) {
        if (parent())
            forward(parent(), event);
        else
            finishEvent(event);
    } else if (code == kEventRunRequest) {
        start(event);
    } else if (code == kEventContinue) {
        continueRun(event);
    } else {
        finishEvent(event);
    }
}

void CStackMachine::start(CVXLEvent* event)
{
    auto* request = dynamic_cast<CVXLRunRequest*>(event);
    if (!request || runRequest_ || interpreter_.isRunning() || !program_ || !attachSucceeded_) {
        if (request)
            request->setOutcome(kCompletionFailed, CVXLVariant());
        event->setResult(kResultMachineRefused);
        finishEvent(event);
        return;
    }
    runRequest_ = request;
    // A second run on the same attachment needs its helper again.
    if (!helper_.parent())
        startChild(&helper_);
    const VXLFunctionRecord* entry = program_->function(program_->entryFunction());
    for (std::uint32_t i = 0; entry && i < entry->paramCount; ++i) {
        const CVXLVariant argument = request->argument(i);
        if (argument.kind() == CVXLVariant::kReference)
            helper_.handOut(argument.reference());
        interpreter_.values().push(argument);
    }
    interpreter_.call(program_->entryFunction());
    const std::int32_t count = newLayoutCount();
    request->setStartSnapshot(count);
    request->setEndSnapshot(count);
    ring_.postSignal(kEventContinue);
    // The request stays in progress; further incoming events are taken.
    resume();
}

void CStackMachine::continueRun(CVXLEvent* event)
{
    if (interpreter_.isRunning() && interpreter_.runSlice() == CVXLInterpreter::kSliceMore)
        ring_.postSignal(kEventContinue);
    finishEvent(event);
    if (!interpreter_.isRunning() && runRequest_)
        endRun();
}

void CStackMachine::endRun()
{
    if (helper_.parent() == this)
        helper_.stop();
    else if (!hasChildren())
        finishRunRequest();
}

void CStackMachine::childFinished(CVXLEventHandler* child)
{
    if (child != &helper_ && uiJobs_)
        uiJobs_->released(child);
    if (!hasChildren() && runRequest_ && !interpreter_.isRunning())
        finishRunRequest();
}

void CStackMachine::finishRunRequest()
{
    CVXLRunRequest* request = runRequest_;
    runRequest_ = nullptr;
    request->setEndSnapshot(newLayoutCount());
    if (interpreter_.error() != kResultSucceeded) {
        request->setOutcome(kCompletionFailed, CVXLVariant());
        request->setResult(interpreter_.error());
    } else {
        request->setOutcome(interpreter_.completion(), interpreter_.result());
    }
    finishEvent(request);
}

std::int32_t CStackMachine::onFinished()
{
    if (uiJobs_)
        uiJobs_->dropEnded(this);
    setProgram(nullptr);
    return CVXLEventHandler::onFinished();
}

std::int32_t CStackMachine::newLayoutCount() const
{
    return counters_ ? counters_->get(kCounterNewLayouts) : 0;
}

int CStackMachine::callBuiltin(std::uint32_t index)
{
    return helper_.call(index);
}

void CStackMachine::releaseScreenJob()
{
    if (!uiJobs_) {
        ring_.postSignal(kEventContinue);
        return;
    }
    // The target is set first: a job that never started is released at once,
    // and the resume must not be lost.
    uiJobs_->setResume(this, kEventContinue);
    uiJobs_->pop();
}

void CStackMachine::returnedIntoScreenFunction()
{
    helper_.setPendingResume(kResumeAfterSubflow);
}

void CStackMachine::unwindScreenJobs()
{
    if (uiJobs_)
        uiJobs_->unwind(this);
}
