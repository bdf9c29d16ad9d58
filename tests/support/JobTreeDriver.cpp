#include "tests/support/JobTreeDriver.h"

#include "engine/core/platform/VXLPlatformConnection.h"

#include <algorithm>

class JobTreeDriver::Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
    const char* name() const override { return "Test Root"; }
};

JobTreeDriver::JobTreeDriver()
    : root_(new Root)
{
    root_->setClock(&clock_);
}

JobTreeDriver::~JobTreeDriver()
{
    delete root_;
}

CVXLEventHandler& JobTreeDriver::root()
{
    return *root_;
}

void JobTreeDriver::attach(CVXLEventHandler* job)
{
    root_->startChild(job);
}

void JobTreeDriver::step()
{
    clock_.setInTick(true);
    root_->step();
    clock_.setInTick(false);
}

std::uint32_t JobTreeDriver::nextTimeout()
{
    if (root_->runState() == kHandlerRunnable)
        return 0;
    return root_->nextTimeout();
}

int JobTreeDriver::runUntilIdle(int maxSteps)
{
    int steps = 0;
    while (steps < maxSteps && (steps == 0 || nextTimeout() == 0)) {
        step();
        ++steps;
    }
    return steps;
}

bool JobTreeDriver::runToNextTimer(int maxSteps)
{
    const std::uint32_t wait = nextTimeout();
    if (wait == kNoDeadline)
        return false;
    advance(wait);
    runUntilIdle(maxSteps);
    return true;
}

bool JobTreeDriver::followRealTime(const std::function<void()>& work, const std::function<bool()>& done,
    int realMs, std::chrono::microseconds nap)
{
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    auto last = begin;
    for (;;) {
        work();
        if (done())
            return true;
        if (Clock::now() - begin > std::chrono::milliseconds(realMs))
            return false;
        if (const std::uint32_t next = nextTimeout(); next != 0) {
            using std::chrono::ceil;
            using std::chrono::milliseconds;
            const auto left = ceil<milliseconds>(milliseconds(realMs) - (Clock::now() - begin)).count();
            const std::int64_t wait = std::min<std::int64_t>({next, ceil<milliseconds>(nap).count(), left});
            CVXLPlatformConnection::waitForSockets(
                static_cast<std::uint32_t>(std::max<std::int64_t>(wait, 1)));
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
        if (elapsed.count() > 0) {
            advance(static_cast<std::uint32_t>(elapsed.count()));
            last += elapsed;
        }
    }
}

TraceJob::TraceJob(std::string name, std::vector<std::string>* trace)
    : name_(std::move(name))
    , trace_(trace)
{
}

void TraceJob::onEvent(CVXLEvent* event)
{
    codes.push_back(event->effectiveCode());
    results.push_back(event->result());
    events.push_back(event);
    if (trace_)
        trace_->push_back(name_ + ":" + std::to_string(event->effectiveCode()));
    if (handler)
        handler(*this, event);
    else
        finishEvent(event);
}

void TraceJob::childStarted(CVXLEventHandler* child)
{
    started.push_back(child);
}

void TraceJob::childFinished(CVXLEventHandler* child)
{
    finishedChildren.push_back(child);
}

void TraceJob::onUiRequest(std::int32_t code)
{
    if (trace_)
        trace_->push_back(name_ + "!" + std::to_string(code));
}
