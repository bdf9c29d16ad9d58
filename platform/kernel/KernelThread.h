#pragma once

#include <pthread.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>

// A thread as the phone's kernel starts one: optionally suspended until
// resumed (the engine host thread is created suspended and resumed once the
// window it posts to exists).
namespace tessel::kernel {

using ThreadEntry = void (*)(void* argument);

// The calling thread's id: non-zero and unique among the process's live
// threads (thread timers belong to the thread that set them).
std::uint32_t currentThreadId();

class KernelThread {
public:
    KernelThread() = default;
    ~KernelThread(); // joins the thread
    KernelThread(const KernelThread&) = delete;
    KernelThread& operator=(const KernelThread&) = delete;

    // False when the thread could not be created (or one was started already).
    bool start(ThreadEntry entry, void* argument, bool suspended);
    void resume();
    // Waits for the entry function to return (a thread still suspended ends
    // without running it); false when nothing was started or already joined.
    bool join();

private:
    static void* run(void* self);

    pthread_t thread_ {};
    bool started_ = false;
    bool joined_ = false;
    ThreadEntry entry_ = nullptr;
    void* argument_ = nullptr;
    std::mutex mutex_;
    std::condition_variable resumed_;
    bool suspended_ = false;
    bool abandoned_ = false;
};

} // namespace tessel::kernel
