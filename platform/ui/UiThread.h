#pragma once

#include "platform/kernel/KernelThread.h"
#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <memory>

// A user-interface thread in the shape of the phone's application framework:
// its own queue and message loop, a pre-translation hook that every pump of
// the thread (modal loops included) offers each message to first, and a
// handler for messages posted to the thread itself. The application object
// is one run on the process's first thread (runHere).
namespace tessel::ui {

class MessageQueue;

class UiThread {
public:
    UiThread();
    virtual ~UiThread(); // joins a started thread
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Starts the thread (suspended: its messages wait until resume).
    bool createThread(bool suspended);
    void resume();
    bool join();
    // Runs initInstance and the loop on the calling thread; the exit code.
    int runHere();

    std::uint32_t threadId() const;
    bool postThreadMessage(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);

    virtual bool initInstance() { return true; }
    virtual int exitInstance(int exitCode) { return exitCode; }
    // True when the message was consumed.
    virtual bool preTranslateMessage(Message& message);
    virtual void onThreadMessage(const Message& message);

    // Gets and handles one message (hook, keys, dispatch); false on the quit
    // request, which it leaves for the outer loop to see again.
    static bool pumpMessage();
    // The calling thread's UiThread; null on a plain thread.
    static UiThread* current();

private:
    static void entry(void* self);
    int runLoop();
    int run();

    std::shared_ptr<MessageQueue> queue_;
    kernel::KernelThread thread_;
    int exitCode_ = 0;
};

} // namespace tessel::ui
