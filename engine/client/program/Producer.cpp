#include "engine/client/program/Producer.h"

#include "engine/client/machine/MasterProgram.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/menu/MenuFavoriteEvent.h"
#include "engine/client/menu/MenuMessageEvent.h"
#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLUiJob.h"

CProducer::CProducer(Services* client)
    : client_(client)
    , uiJobs_(this, nullptr)
    , ring_(this, slots_, kRingSlots)
    , embedded_(&uiJobs_)
    , operation_(kEventRunRequest)
{
}

CProducer::~CProducer()
{
    // Nested machines still attached when the engine goes away without a
    // shut-down are the Producer's to free.
    current_ = nullptr;
    for (CVXLEventHandler* child = firstChild(); child;) {
        CVXLEventHandler* next = child->nextSibling();
        if (child != &embedded_)
            delete child;
        child = next;
    }
}

const CVXLScenarioProgram* CProducer::program()
{
    if (program_)
        return program_;
    if (!shipped_.isLoaded())
        shipped_.load(kMasterP2, kMasterP2Size);
    return &shipped_;
}

void CProducer::setBuiltinInstaller(KORVBuiltinInstaller installer, void* context)
{
    installer_ = installer;
    installerContext_ = context;
}

void CProducer::installBuiltins(CStackMachine* machine)
{
    if (installer_)
        installer_(machine->helper(), installerContext_);
}

std::uint32_t CProducer::machineDepth() const
{
    std::uint32_t depth = 0;
    for (CStackMachine* machine = current_; machine; machine = machine->link())
        ++depth;
    return depth;
}

// The base sorts by source only; the Producer sorts by code, so it picks the
// queue by showing the base the source that leads there.
void CProducer::queueHere(CVXLEvent* event, bool own)
{
    CVXLEventHandler* source = event->source();
    event->setSource(own ? this : nullptr);
    CVXLEventHandler::receive(event);
    event->setSource(source);
}

void CProducer::receive(CVXLEvent* event)
{
    if (event->kind() == kEventReply) {
        CVXLEventHandler::receive(event);
        return;
    }
    const std::int32_t code = event->effectiveCode();
    bool own;
    if (code == kActivityDataCharge)
        own = reposted_.indexOf(event) < 0;
    else if (code >= kFirstActivity && code <= kLastQueuedActivity)
        own = false;
    else if (code >= kFirstNestedActivity && code <= kLastNestedActivity)
        own = true;
    else
        own = event->source() == this || isDescendant(event->source());
    queueHere(event, own);
}

void CProducer::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventReply && code == kEventRunRequest) {
        if (stopping_) {
            finishEvent(event);
            finishStopWhenDone();
        } else {
            finishOperation(static_cast<CVXLRunRequest*>(event));
        }
        return;
    }
    if (code == kEventStop) {
        beginStop(event);
        return;
    }
    if (stopping_) {
        // Winding down: activities and signals are answered, nothing starts.
        if (code >= kFirstActivity && code <= kEventLastActivity)
            completeActivity(event, kResultCancelled);
        else
            finishEvent(event);
        finishStopWhenDone();
        return;
    }
    if (code >= 0 && code < kEventFirstProducerCode) {
        // Signals for the running program; with none running nobody could
        // answer them, so they fail at once.
        if (current_)
            forward(current_, event);
        else
            failActivity(event);
        return;
    }
    if (code == kActivityDataCharge) {
        onDataCharge(event);
        return;
    }
    if (code >= kFirstActivity && code <= kEventLastActivity) {
        startOperation(event);
        return;
    }
    finishEvent(event);
}

// The data-charge notice passes through the incoming queue once, so that it
// waits behind the activities already queued.
void CProducer::onDataCharge(CVXLEvent* event)
{
    if (reposted_.remove(event)) {
        startOperation(event);
        return;
    }
    if (mode_ != kModeIdle) {
        event->setResult(kResultOperationRunning);
        finishEvent(event);
        return;
    }
    if (!reposted_.insertAt(event, -1)) {
        failActivity(event);
        return;
    }
    forward(this, event);
}

void CProducer::startOperation(CVXLEvent* activity)
{
    CStackMachine* machine = pushMachine();
    if (!machine) {
        failActivity(activity);
        return;
    }
    seedProperties(machine, activity);
    CVXLRunRequest* run = takeRunRequest();
    if (!run) {
        // The machine has nothing to run: take it off again.
        popMachine(machine);
        machine->stop();
        failActivity(activity);
        return;
    }
    const std::int32_t code = activity->effectiveCode();
    if (mode_ == kModeIdle)
        mode_ = code >= kFirstMenuActivity && code <= kLastMenuActivity ? kModeMenu : kModeOther;
    // An event cannot be in progress twice: a run that still names this
    // address lost its activity to a UI job long ago.
    for (std::uint32_t i = 0; i < runs_.count(); ++i) {
        auto* other = static_cast<CVXLRunRequest*>(runs_.at(static_cast<int>(i)));
        if (other->subject() == activity)
            other->setSubject(nullptr);
    }
    run->setSenderWord(static_cast<std::uint32_t>(code));
    run->clearArguments();
    run->setArgument(0, CVXLVariant(static_cast<int>(code)));
    // The program reads the activity's fields through this reference.
    run->setArgument(1, CVXLVariant(static_cast<const void*>(activity)));
    run->setSubject(activity);
    run->setResult(kResultSucceeded);
    post(machine, run);
    setWaiting(true);
}

CStackMachine* CProducer::pushMachine()
{
    // The embedded machine serves whenever it is free; it may still be
    // winding down from the last run, and then a fresh one takes its place.
    CStackMachine* machine;
    if (!current_ && !embedded_.parent())
        machine = &embedded_;
    else
        machine = new CStackMachine(&uiJobs_);
    if (!machine)
        return nullptr;
    machine->setLink(current_);
    current_ = machine;
    machine->setProgram(program());
    machine->setCounters(client_ ? &client_->counters() : nullptr);
    installBuiltins(machine);
    startChild(machine);
    return machine;
}

// Takes the machine off the stack wherever it is; the one above it, if any,
// then links to the one below.
CStackMachine* CProducer::popMachine(CStackMachine* machine)
{
    CStackMachine* above = nullptr;
    for (CStackMachine* at = current_; at; above = at, at = at->link()) {
        if (at != machine)
            continue;
        CStackMachine* below = at->takeLink();
        if (above)
            above->setLink(below);
        else
            current_ = below;
        return at;
    }
    return nullptr;
}

void CProducer::seedProperties(CStackMachine* machine, CVXLEvent* activity)
{
    auto* flags = dynamic_cast<CVXLFlagEvent*>(activity);
    if (!flags)
        return;
    if (flags->firstFlag()) {
        if (auto* message = dynamic_cast<CMenuMessageEvent*>(activity)) {
            machine->properties().set(kPropertySmsSubject, CVXLVariant(message->subject()));
            machine->properties().set(kPropertySmsText, CVXLVariant(message->body()));
        }
    }
    if (flags->secondFlag()) {
        if (auto* favorite = dynamic_cast<CMenuFavoriteEvent*>(activity)) {
            machine->properties().set(
                kPropertyFavoriteLocation, CVXLVariant(static_cast<int>(favorite->storageLocation())));
            machine->properties().set(
                kPropertyFavoritePosition, CVXLVariant(static_cast<int>(favorite->position())));
        }
    }
}

CVXLRunRequest* CProducer::takeRunRequest()
{
    CVXLRunRequest* run = &operation_;
    if (operation_.isBusy() || runs_.indexOf(&operation_) >= 0)
        run = new CVXLRunRequest(kEventRunRequest);
    if (!run)
        return nullptr;
    if (!runs_.insertAt(run, -1)) {
        if (run != &operation_)
            delete run;
        return nullptr;
    }
    return run;
}

void CProducer::finishOperation(CVXLRunRequest* run)
{
    runs_.remove(run);
    auto* activity = static_cast<CVXLEvent*>(run->subject());
    run->setSubject(nullptr);
    // The machine that answered is the one that ran it, nested or not.
    auto* machine = dynamic_cast<CStackMachine*>(run->source());
    if (machine && popMachine(machine))
        machine->stop();
    else if (CStackMachine* top = current_)
        popMachine(top)->stop();

    if (current_) {
        uiJobs_.sendToCurrent(kSignalNestedRunEnded);
        const int value = run->resultValue().toInt();
        if (value != 0)
            uiJobs_.sendToCurrent(value);
    } else if (incomingCount() == 0) {
        outermostEnded(*run);
    }
    // Only a run that returned or halted did what the activity asked.
    const bool succeeded = run->completion() == kCompletionReturned || run->completion() == kCompletionHalted;
    if (!succeeded)
        VXL_LOG_FAILURE("scenario run of activity %d failed: machine error %d",
            static_cast<int>(run->senderWord()), static_cast<int>(run->result()));
    // A program that handed its activity on to a UI job left nothing here.
    if (activity && isInProgress(activity))
        completeActivity(activity, succeeded ? kResultSucceeded : kResultFailed);
    finishEvent(run);
}

void CProducer::outermostEnded(const CVXLRunRequest& run)
{
    if (client_) {
        if (mode_ == kModeMenu)
            client_->queueReturnToMenu(run.completion() == kCompletionReturned ? 0 : 1);
        else if (mode_ == kModeOther && run.startSnapshot() != run.endSnapshot())
            client_->queueReturnToIdle();
    }
    mode_ = kModeIdle;
    if (client_) {
        client_->clearResultHandlers();
        client_->pushStep();
    }
}

void CProducer::completeActivity(CVXLEvent* activity, std::int32_t result)
{
    if (result != kResultSucceeded)
        activity->setResult(result);
    finishEvent(activity);
}

void CProducer::failActivity(CVXLEvent* activity)
{
    completeActivity(activity, kResultFailed);
}

void CProducer::childFinished(CVXLEventHandler* child)
{
    auto* machine = static_cast<CStackMachine*>(child);
    // A machine that ended on its own (a failed start-up) leaves the stack.
    popMachine(machine);
    if (machine != &embedded_)
        delete machine;
    if (stopping_) {
        finishStopWhenDone();
        return;
    }
    if (!current_)
        resume();
}

// Every machine is stopped and every activity answered (24); the stop event
// stays in progress, with the incoming queue open, until the last machine has
// ended and the activities still queued have been answered too.
void CProducer::beginStop(CVXLEvent* stop)
{
    stopping_ = stop;
    for (std::uint32_t i = 0; i < runs_.count(); ++i) {
        auto* run = static_cast<CVXLRunRequest*>(runs_.at(static_cast<int>(i)));
        auto* activity = static_cast<CVXLEvent*>(run->subject());
        run->setSubject(nullptr);
        if (activity && isInProgress(activity))
            completeActivity(activity, kResultCancelled);
    }
    runs_.clear();
    while (CStackMachine* machine = current_) {
        current_ = machine->takeLink();
        machine->stop();
    }
    mode_ = kModeIdle;
    resume();
    finishStopWhenDone();
}

void CProducer::finishStopWhenDone()
{
    if (!stopping_ || hasChildren() || incomingCount() != 0)
        return;
    CVXLEvent* stop = stopping_;
    stopping_ = nullptr;
    finishEvent(stop);
}

std::int32_t CProducer::onFinished()
{
    if (client_)
        client_->releaseUiJobPool();
    return CVXLEventHandler::onFinished();
}

void CProducer::handOnActivity(CVXLEventHandler* job, CVXLEvent* activity)
{
    for (std::uint32_t i = 0; i < runs_.count(); ++i) {
        auto* run = static_cast<CVXLRunRequest*>(runs_.at(static_cast<int>(i)));
        if (run->subject() == activity) {
            run->setSubject(nullptr);
            run->setArgument(1, CVXLVariant());
        }
    }
    forward(job, activity);
}

void CProducer::deliverPushPayload(std::int32_t code)
{
    CVXLUiJob* job = uiJobs_.current();
    if (job && job->typeId() == kMessageSummaryJobType) {
        if (CVXLEvent* event = ring_.acquire()) {
            event->setRequestCode(kSignalPushPayload);
            event->setReplyCode(kSignalPushPayload);
            event->setResult(code);
            post(job, event);
        }
    }
    if (client_)
        client_->queuePushPayloadNotice();
}

void CProducer::layoutReleased(CVXLLayout* layout)
{
    uiJobs_.deliverLayoutReleased(layout);
}
