#pragma once

#include "platform/ui/UiMessages.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

// The message queue of one user-interface thread: posted messages in order,
// messages sent from other threads (served before posted ones), the quit
// request, and at most one pending timer message per window timer. A queue
// may be made before its thread runs (a thread started suspended collects
// its posts until it is resumed); the thread binds it when it starts.
namespace tessel::ui {

class MessageQueue {
public:
    struct Sent {
        Message message;
        std::int64_t result = 0;
        bool done = false;
        std::shared_ptr<MessageQueue> sender;
    };

    // The calling thread's queue, made and bound on first use.
    static std::shared_ptr<MessageQueue> current();
    // The calling thread's queue; null when it has none yet.
    static std::shared_ptr<MessageQueue> currentIfAny();
    // A queue for a thread that has not started yet.
    static std::shared_ptr<MessageQueue> make();
    // Null when no queue has that id (any more).
    static std::shared_ptr<MessageQueue> byId(std::uint32_t id);
    // Wakes every waiting queue (the driven clock moved).
    static void wakeAll();

    ~MessageQueue();
    std::uint32_t id() const { return id_; }
    // Makes this the calling thread's queue.
    void bind();

    void post(const Message& message);
    // A timer message, unless one for that window and timer is pending.
    void postTimer(WindowHandle window, std::uint64_t timerId);
    // Removes a pending timer message (the timer was killed).
    void dropTimer(WindowHandle window, std::uint64_t timerId);
    void postQuit(int exitCode);
    // Clears the quit request; its exit code.
    int takeQuit();
    // A send to a queue whose thread stopped pumping is answered 0 at once.
    void deliverSent(const std::shared_ptr<Sent>& sent);
    // The thread left its loop (sends pending and to come get 0), or pumps again.
    void close();
    void reopen();
    void completeSent(const std::shared_ptr<Sent>& sent, std::int64_t result);

    // Whether a message this queue sent has been answered.
    bool answered(const std::shared_ptr<Sent>& sent) const;
    std::shared_ptr<Sent> takeSent();
    // Takes back a send the thread has not taken yet; false when it has.
    bool withdrawSent(const std::shared_ptr<Sent>& sent);
    // Counts what may have changed the thread's screen (a dispatched
    // message, a timer, a task); any thread may read it.
    void noteChange();
    std::uint64_t changes() const;
    // The first posted message; a quit request once no posted message is left.
    bool takePosted(Message* message, bool remove);
    // Waits until something arrives, the queue is woken, or timeoutMs of real
    // time passed (kWaitForever: no limit). Answers at once when something
    // arrived or a wake came since `since` (a wakeCount reading).
    void wait(std::uint32_t timeoutMs, std::uint64_t since);
    std::uint64_t wakeCount() const;
    void wake();
    bool idle() const; // nothing posted, sent or quitting
    // Waits (real time, bounded) until the thread waits for messages with
    // nothing left to do; false on time-out.
    bool awaitIdle(std::uint32_t timeoutMs);

private:
    MessageQueue();
    bool hasWorkLocked() const;

    const std::uint32_t id_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Message> posted_;
    std::deque<std::shared_ptr<Sent>> sent_;
    std::set<std::pair<WindowHandle, std::uint64_t>> pendingTimers_;
    bool quit_ = false;
    int exitCode_ = 0;
    std::uint64_t wakes_ = 0;
    bool waiting_ = false;
    bool closed_ = false;
    std::uint64_t waitingSince_ = 0;
    std::condition_variable idle_;
    std::atomic<std::uint64_t> changes_ {0};
};

} // namespace tessel::ui
