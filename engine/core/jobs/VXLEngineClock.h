#pragma once

#include <cstdint>

// What the job framework needs of the engine root: its tick time (the
// engine's "now" in milliseconds, read by every timer operation), whether a
// tick is running, and a hook told of every post made outside a tick. A
// tree's root carries it (CVXLEventHandler::setClock): the Client its
// engine's clock, a test one of its own whose time it drives by hand.
class CVXLEngineClock {
public:
    CVXLEngineClock() = default;
    virtual ~CVXLEngineClock();
    CVXLEngineClock(const CVXLEngineClock&) = delete;
    CVXLEngineClock& operator=(const CVXLEngineClock&) = delete;

    std::uint32_t tickTime() const { return tickTime_; }
    void setTickTime(std::uint32_t milliseconds) { tickTime_ = milliseconds; }
    // Wraps like the millisecond clock it stands for.
    void advance(std::uint32_t milliseconds) { tickTime_ += milliseconds; }

    bool inTick() const { return inTick_; }
    void setInTick(bool inTick) { inTick_ = inTick; }

    // Called by a post made while no tick runs (the Client clears its last
    // tick result there).
    virtual void postedOutsideTick() { }

    // What a handler outside any clocked tree reads: time stands at 0.
    static CVXLEngineClock& idle();

private:
    std::uint32_t tickTime_ = 0;
    bool inTick_ = false;
};
