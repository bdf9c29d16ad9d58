#include "platform/kernel/RecursiveTimedLock.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/KernelThread.h"

#include <chrono>

namespace tessel::kernel {

bool RecursiveTimedLock::lock(std::uint32_t timeoutMs)
{
    const std::uint32_t self = currentThreadId();
    std::unique_lock<std::mutex> guard(mutex_);
    if (owner_ == self) {
        ++depth_;
        return true;
    }
    auto free = [this] { return depth_ == 0; };
    if (timeoutMs == kWaitForever)
        released_.wait(guard, free);
    else if (!released_.wait_for(guard, std::chrono::milliseconds(timeoutMs), free))
        return false;
    owner_ = self;
    depth_ = 1;
    return true;
}

bool RecursiveTimedLock::unlock()
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (depth_ == 0 || owner_ != currentThreadId())
        return false;
    if (--depth_ == 0) {
        owner_ = 0;
        released_.notify_one();
    }
    return true;
}

int RecursiveTimedLock::releaseAll()
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (depth_ == 0 || owner_ != currentThreadId())
        return 0;
    int depth = depth_;
    depth_ = 0;
    owner_ = 0;
    released_.notify_one();
    return depth;
}

void RecursiveTimedLock::restore(int depth)
{
    if (depth <= 0)
        return;
    lock(kWaitForever);
    std::lock_guard<std::mutex> guard(mutex_);
    depth_ = depth;
}

bool RecursiveTimedLock::heldByCurrentThread() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return depth_ > 0 && owner_ == currentThreadId();
}

} // namespace tessel::kernel
