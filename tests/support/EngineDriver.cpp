#include "tests/support/EngineDriver.h"

#include "engine/core/platform/VXLPlatformConnection.h"

#include <algorithm>
#include <chrono>

// The real factory, except that the clock is the driver's.
class EngineDriver::Factory : public CVXLPlatformFactory {
public:
    explicit Factory(DrivenClock* clock)
        : clock_(clock)
    {
    }

    CVXLPlatformClock* createClock() override
    {
        if (clockTaken_)
            return nullptr;
        clockTaken_ = true;
        return clock_;
    }
    void destroyClock(CVXLPlatformClock* clock) override
    {
        if (clock == clock_)
            clockTaken_ = false;
    }

private:
    DrivenClock* clock_;
    bool clockTaken_ = false;
};

EngineDriver::EngineDriver(TempDeviceRoot* root)
    : root_(root)
{
    if (!root_) {
        ownRoot_ = std::make_unique<TempDeviceRoot>();
        root_ = ownRoot_.get();
    }
    factory_ = std::make_unique<Factory>(&clock_);
}

EngineDriver::~EngineDriver()
{
    delete client_;
}

CVXLPlatformFactory& EngineDriver::factory()
{
    return *factory_;
}

bool EngineDriver::create()
{
    if (client_)
        return true;
    client_ = CVXLClient::create(factory_.get());
    if (!client_)
        return false;
    client_->init();
    return true;
}

std::string EngineDriver::storeFile(const char* name) const
{
    return root_->hostPath(std::string("Application Data/Tessel/") + name);
}

std::int32_t EngineDriver::tick()
{
    return client_ ? client_->tick() : CVXLClient::kTickTerminated;
}

CVXLUIRequest* EngineDriver::popUIRequest()
{
    if (!client_ || !client_->hasUIRequest())
        return nullptr;
    return client_->popUIRequest();
}

std::int32_t EngineDriver::runUntilIdle(int maxTicks)
{
    std::int32_t result = CVXLClient::kTickWorkLeft;
    for (int i = 0; i < maxTicks; ++i) {
        result = tick();
        if (result == CVXLClient::kTickTerminated)
            break;
        if (CVXLUIRequest* request = popUIRequest()) {
            poppedKinds.push_back(request->kind());
            continue;
        }
        if (result == CVXLClient::kTickIdle && client_->getWaitTime() != 0)
            break;
    }
    return result;
}

bool EngineDriver::followRealTime(const std::function<bool()>& done, int realMs, std::uint32_t napMs)
{
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    auto last = begin;
    for (;;) {
        if (tick() == CVXLClient::kTickTerminated)
            return done();
        if (CVXLUIRequest* request = popUIRequest())
            poppedKinds.push_back(request->kind());
        if (done())
            return true;
        if (Clock::now() - begin > std::chrono::milliseconds(realMs))
            return false;
        CVXLPlatformConnection::waitForSockets(
            std::max<std::uint32_t>(1, std::min(napMs, client_->getWaitTime())));
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
        if (elapsed.count() > 0) {
            advance(static_cast<std::uint32_t>(elapsed.count()));
            last += elapsed;
        }
    }
}

bool EngineDriver::runToNextTimer(int maxTicks)
{
    if (!client_)
        return false;
    const std::uint32_t wait = client_->getWaitTime();
    if (wait == kNoDeadline)
        return false;
    advance(wait);
    runUntilIdle(maxTicks);
    return true;
}

bool EngineDriver::startUp(int maxTicks)
{
    if (!create())
        return false;
    for (int i = 0; i < maxTicks && !client_->membersStarted(); ++i) {
        if (tick() == CVXLClient::kTickTerminated)
            return false;
    }
    return client_->membersStarted();
}

bool EngineDriver::shutDown(int maxTicks)
{
    if (!client_)
        return false;
    client_->requestShutdown();
    for (int i = 0; i < maxTicks; ++i) {
        if (tick() == CVXLClient::kTickTerminated)
            return true;
        popUIRequest();
    }
    return false;
}
