#include "engine/client/machine/VXLUiJobStack.h"

#include "engine/client/machine/KORVFunctionHelper.h"
#include "engine/client/machine/StackMachine.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/screens/VXLUiJobPool.h"

CVXLUiJobStack::CVXLUiJobStack(CVXLEventHandler* owner, CVXLUiJobPool* pool)
    : ring_(owner, slots_, kRingSlots)
    , owner_(owner)
    , pool_(pool)
{
}

CVXLUiJobStack::~CVXLUiJobStack() = default;

std::uint32_t CVXLUiJobStack::depth() const
{
    std::uint32_t n = 0;
    for (CVXLUiJob* job = current_; job; job = job->link_)
        ++n;
    return n;
}

std::uint32_t CVXLUiJobStack::releasingCount() const
{
    std::uint32_t n = 0;
    for (CVXLUiJob* job = releasing_; job; job = job->link_)
        ++n;
    return n;
}

CVXLUiJob* CVXLUiJobStack::push(int typeId, CVXLEventHandler* machine)
{
    CVXLUiJob* job = pool_ ? pool_->acquire(typeId) : nullptr;
    if (!job)
        return nullptr;
    CVXLUiJob* previous = current_;
    if (previous) {
        previous->setCurrentActive(false);
        previous->onDeactivated();
    }
    job->link_ = previous;
    job->pushedBy_ = machine;
    current_ = job;
    job->onActivated();
    return job;
}

bool CVXLUiJobStack::startCurrent(CVXLEventHandler* machine)
{
    if (!current_)
        return false;
    if (current_->hasEnded()) {
        // It cannot run again; the program learns so instead of waiting.
        tellEnded(current_);
        return true;
    }
    if (current_->isCurrentActive())
        return true;
    if (!current_->parent() && machine)
        current_->startUnder(machine);
    current_->setCurrentActive(true);
    return true;
}

void CVXLUiJobStack::popOne()
{
    CVXLUiJob* job = current_;
    if (!job)
        return;
    current_ = job->link_;
    job->link_ = nullptr;
    job->setCurrentActive(false);
    CVXLUiJob** tail = &releasing_;
    while (*tail)
        tail = &(*tail)->link_;
    *tail = job;
    job->onDeactivated();
    if (releasing_ == job)
        releaseHead();
    if (current_) {
        current_->setCurrentActive(true);
        current_->onActivated();
    }
}

void CVXLUiJobStack::pop(std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count && current_; ++i)
        popOne();
    postResumeIfIdle();
}

void CVXLUiJobStack::unwind(const CVXLEventHandler* machine)
{
    while (current_ && current_->pushedBy_ == machine)
        popOne();
    postResumeIfIdle();
}

void CVXLUiJobStack::releaseHead()
{
    while (CVXLUiJob* job = releasing_) {
        if (job->parent()) {
            if (!job->stopRequested())
                job->stop();
            return;
        }
        releasing_ = job->link_;
        giveBack(job);
    }
}

void CVXLUiJobStack::setResume(CVXLEventHandler* target, std::int32_t code)
{
    resumeTarget_ = target;
    resumeCode_ = code;
}

bool CVXLUiJobStack::released(CVXLEventHandler* handler)
{
    // The releasing list first: the usual end of a popped job.
    for (CVXLUiJob** link = &releasing_; *link; link = &(*link)->link_) {
        CVXLUiJob* job = *link;
        if (static_cast<CVXLEventHandler*>(job) != handler)
            continue;
        const bool wasHead = link == &releasing_;
        *link = job->link_;
        giveBack(job);
        if (wasHead)
            releaseHead();
        postResumeIfIdle();
        return true;
    }
    for (CVXLUiJob** link = &current_; *link; link = &(*link)->link_) {
        CVXLUiJob* job = *link;
        if (static_cast<CVXLEventHandler*>(job) != handler)
            continue;
        // A job whose machine is being stopped leaves the stack with it.
        if (!job->pushedBy_ || job->pushedBy_->stopRequested()) {
            *link = job->link_;
            giveBack(job);
            return true;
        }
        // A job that finished on its own stays until the program's return
        // pops it, so that the return does not pop the screen below.
        job->ended_ = true;
        job->setCurrentActive(false);
        // One that answered first has told the program already.
        if (job == current_ && !job->hasAnswered())
            tellEnded(job);
        return true;
    }
    return false;
}

void CVXLUiJobStack::dropEnded(const CVXLEventHandler* machine)
{
    CVXLUiJob* top = current_;
    for (CVXLUiJob** link = &current_; *link;) {
        CVXLUiJob* job = *link;
        if (job->pushedBy_ != machine || !job->ended_) {
            link = &job->link_;
            continue;
        }
        *link = job->link_;
        giveBack(job);
    }
    if (current_ && current_ != top && !current_->hasEnded()) {
        current_->setCurrentActive(true);
        current_->onActivated();
    }
}

void CVXLUiJobStack::tellEnded(CVXLUiJob* job)
{
    auto* machine = dynamic_cast<CStackMachine*>(job->pushedBy_);
    if (!machine || !machine->helper().isWaiting() || !owner_)
        return;
    CVXLEvent* event = ring_.acquire();
    if (!event)
        return;
    event->setRequestCode(kSignalJobEnded);
    event->setReplyCode(kSignalJobEnded);
    owner_->post(machine, event);
}

void CVXLUiJobStack::giveBack(CVXLUiJob* job)
{
    job->link_ = nullptr;
    if (pool_)
        pool_->release(job);
}

void CVXLUiJobStack::postResumeIfIdle()
{
    if (releasing_ || !resumeTarget_)
        return;
    CVXLEventHandler* target = resumeTarget_;
    resumeTarget_ = nullptr;
    CVXLEvent* event = ring_.acquire();
    if (!event || !owner_)
        return;
    event->setRequestCode(resumeCode_);
    event->setReplyCode(resumeCode_);
    owner_->post(target, event);
}

void CVXLUiJobStack::sendToCurrent(std::int32_t code)
{
    if (!current_ || !owner_)
        return;
    CVXLEvent* event = ring_.acquire();
    if (!event)
        return;
    event->setRequestCode(code);
    event->setReplyCode(code);
    owner_->post(current_, event);
}

void CVXLUiJobStack::deliverLayoutReleased(CVXLLayout* layout)
{
    if (CVXLUiJob* job = releasing_ ? releasing_ : current_)
        job->onLayoutReleased(layout);
}
