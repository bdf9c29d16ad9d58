#pragma once

#include "engine/client/VXLClient.h"
#include "engine/core/platform/VXLPlatformClock.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "tests/support/TempDeviceRoot.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Runs a whole engine the way the user interface's host thread does, on a
// clock the test drives: a platform factory on a temporary device root (the
// driver's own, or one the test passes to keep files across engines), the
// Client's create and init, ticks, and the screen requests it hands out.
class EngineDriver {
public:
    // The clock the engine reads: milliseconds move only when the test says
    // so (or by `autoAdvance` at every reading).
    class DrivenClock : public CVXLPlatformClock {
    public:
        std::uint32_t seconds() override { return epochSeconds + milliseconds / 1000; }
        std::uint32_t tickCount() override
        {
            const std::uint32_t now = milliseconds;
            milliseconds += autoAdvance;
            return now;
        }

        std::uint32_t epochSeconds = 1'200'000'000;
        std::uint32_t milliseconds = 0;
        std::uint32_t autoAdvance = 0;
    };

    explicit EngineDriver(TempDeviceRoot* root = nullptr);
    ~EngineDriver();
    EngineDriver(const EngineDriver&) = delete;
    EngineDriver& operator=(const EngineDriver&) = delete;

    // create and init; false when no Client could be made.
    bool create();
    CVXLClient* client() const { return client_; }
    CVXLPlatformFactory& factory();
    DrivenClock& clock() { return clock_; }
    TempDeviceRoot& root() { return *root_; }
    // Host path of a file in the engine's working folder.
    std::string storeFile(const char* name) const;

    void advance(std::uint32_t milliseconds) { clock_.milliseconds += milliseconds; }
    std::int32_t tick();
    // Ticks until the engine is idle with no screen request waiting, or has
    // terminated, at most maxTicks; answers the last tick's result. Screen
    // requests are popped and collected on the way.
    std::int32_t runUntilIdle(int maxTicks = 1000);
    // Advances the clock to the engine's next deadline and runs until idle;
    // false when nothing is armed.
    bool runToNextTimer(int maxTicks = 1000);
    // Start-up to the point where every member job has started.
    bool startUp(int maxTicks = 1000);
    // For real peers: ticks (popping screen requests), waits on the sockets
    // at most until the engine's next deadline or napMs, and moves the clock
    // on by the real time gone; until `done` or realMs have passed.
    bool followRealTime(const std::function<bool()>& done, int realMs, std::uint32_t napMs = 5);
    // requestShutdown, then ticks until the engine has terminated; true when
    // it did within maxTicks.
    bool shutDown(int maxTicks = 1000);

    // The head screen request, as the host thread takes it (null when none);
    // the next tick deletes it.
    CVXLUIRequest* popUIRequest();
    // Kinds of the requests popped by runUntilIdle, in order.
    std::vector<std::uint32_t> poppedKinds;

private:
    class Factory;

    std::unique_ptr<TempDeviceRoot> ownRoot_;
    TempDeviceRoot* root_;
    DrivenClock clock_;
    std::unique_ptr<Factory> factory_;
    CVXLClient* client_ = nullptr;
};
