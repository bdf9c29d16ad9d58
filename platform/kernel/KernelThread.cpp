#include "platform/kernel/KernelThread.h"

#include <atomic>

namespace tessel::kernel {

namespace {

std::atomic<std::uint32_t> gNextThreadId {1};
thread_local std::uint32_t tThreadId = 0;

} // namespace

std::uint32_t currentThreadId()
{
    if (tThreadId == 0)
        tThreadId = gNextThreadId.fetch_add(1);
    return tThreadId;
}

KernelThread::~KernelThread()
{
    join();
}

bool KernelThread::start(ThreadEntry entry, void* argument, bool suspended)
{
    if (started_ || !entry)
        return false;
    entry_ = entry;
    argument_ = argument;
    suspended_ = suspended;
    if (::pthread_create(&thread_, nullptr, &KernelThread::run, this) != 0)
        return false;
    started_ = true;
    return true;
}

void KernelThread::resume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = false;
    resumed_.notify_all();
}

bool KernelThread::join()
{
    if (!started_ || joined_)
        return false;
    {
        // A thread never resumed ends without running its entry.
        std::lock_guard<std::mutex> lock(mutex_);
        abandoned_ = suspended_;
        suspended_ = false;
        resumed_.notify_all();
    }
    ::pthread_join(thread_, nullptr);
    joined_ = true;
    return true;
}

void* KernelThread::run(void* self)
{
    auto* thread = static_cast<KernelThread*>(self);
    {
        std::unique_lock<std::mutex> lock(thread->mutex_);
        thread->resumed_.wait(lock, [thread] { return !thread->suspended_; });
        if (thread->abandoned_)
            return nullptr;
    }
    thread->entry_(thread->argument_);
    return nullptr;
}

} // namespace tessel::kernel
