#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// A lock that its holder may take again (each take needs its release) and
// that a waiter gives up on after a time. Message pumps hand it over whole
// while they wait: releaseAll gives back every level and restore takes them
// again, so a modal loop inside a handler never keeps another thread out.
namespace tessel::kernel {

class RecursiveTimedLock {
public:
    // Waits at most timeoutMs of real time (kWaitForever: without end).
    bool lock(std::uint32_t timeoutMs);
    // False when the calling thread does not hold it.
    bool unlock();
    // Gives back every level the calling thread holds; answers how many.
    int releaseAll();
    // Takes the lock again with that many levels (nothing for 0).
    void restore(int depth);
    bool heldByCurrentThread() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::uint32_t owner_ = 0;
    int depth_ = 0;
};

} // namespace tessel::kernel
