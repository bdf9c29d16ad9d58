#include "platform/ui/MessageQueue.h"

#include "platform/kernel/Clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <vector>

namespace tessel::ui {

namespace {

// Never destroyed: the queue of a window that outlives main goes at exit.
std::mutex& queuesMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<std::uint32_t, std::weak_ptr<MessageQueue>>& queues()
{
    static auto* all = new std::map<std::uint32_t, std::weak_ptr<MessageQueue>>;
    return *all;
}
std::atomic<std::uint32_t> gNextQueueId {1};
thread_local std::shared_ptr<MessageQueue> tQueue;

void onClockAdvanced()
{
    MessageQueue::wakeAll();
}

} // namespace

MessageQueue::MessageQueue()
    : id_(gNextQueueId.fetch_add(1))
{
}

MessageQueue::~MessageQueue()
{
    std::lock_guard<std::mutex> lock(queuesMutex());
    auto it = queues().find(id_);
    if (it != queues().end() && it->second.expired())
        queues().erase(it);
}

std::shared_ptr<MessageQueue> MessageQueue::make()
{
    std::shared_ptr<MessageQueue> queue(new MessageQueue());
    std::lock_guard<std::mutex> lock(queuesMutex());
    queues()[queue->id_] = queue;
    // Pumps waiting on a driven clock wake when it moves.
    kernel::setClockAdvanceListener(onClockAdvanced);
    return queue;
}

std::shared_ptr<MessageQueue> MessageQueue::current()
{
    if (!tQueue)
        tQueue = make();
    return tQueue;
}

std::shared_ptr<MessageQueue> MessageQueue::currentIfAny()
{
    return tQueue;
}

std::shared_ptr<MessageQueue> MessageQueue::byId(std::uint32_t id)
{
    std::lock_guard<std::mutex> lock(queuesMutex());
    auto it = queues().find(id);
    return it == queues().end() ? nullptr : it->second.lock();
}

void MessageQueue::wakeAll()
{
    std::vector<std::shared_ptr<MessageQueue>> live;
    {
        std::lock_guard<std::mutex> lock(queuesMutex());
        for (auto& [id, weak] : queues()) {
            if (auto queue = weak.lock())
                live.push_back(queue);
        }
    }
    for (auto& queue : live)
        queue->wake();
}

void MessageQueue::bind()
{
    tQueue = byId(id_);
}

void MessageQueue::post(const Message& message)
{
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(message);
    arrived_.notify_all();
}

void MessageQueue::postTimer(WindowHandle window, std::uint64_t timerId)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pendingTimers_.emplace(window, timerId).second)
        return;
    posted_.push_back(Message {window, kWmTimer, timerId, 0, kernel::tickCount()});
    arrived_.notify_all();
}

void MessageQueue::dropTimer(WindowHandle window, std::uint64_t timerId)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (pendingTimers_.erase({window, timerId}) == 0)
        return;
    std::erase_if(posted_,
        [&](const Message& m) { return m.id == kWmTimer && m.window == window && m.wParam == timerId; });
}

void MessageQueue::postQuit(int exitCode)
{
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    exitCode_ = exitCode;
    arrived_.notify_all();
}

int MessageQueue::takeQuit()
{
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = false;
    return exitCode_;
}

void MessageQueue::deliverSent(const std::shared_ptr<Sent>& sent)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!closed_) {
            sent_.push_back(sent);
            arrived_.notify_all();
            return;
        }
    }
    completeSent(sent, 0);
}

void MessageQueue::close()
{
    std::deque<std::shared_ptr<Sent>> pending;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        pending.swap(sent_);
    }
    for (auto& sent : pending)
        completeSent(sent, 0);
}

void MessageQueue::reopen()
{
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = false;
}

void MessageQueue::completeSent(const std::shared_ptr<Sent>& sent, std::int64_t result)
{
    {
        std::lock_guard<std::mutex> lock(sent->sender->mutex_);
        sent->result = result;
        sent->done = true;
    }
    sent->sender->wake();
}

bool MessageQueue::answered(const std::shared_ptr<Sent>& sent) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sent->done;
}

bool MessageQueue::withdrawSent(const std::shared_ptr<Sent>& sent)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(sent_.begin(), sent_.end(), sent);
    if (it == sent_.end())
        return false;
    sent_.erase(it);
    return true;
}

void MessageQueue::noteChange()
{
    changes_.fetch_add(1, std::memory_order_relaxed);
}

std::uint64_t MessageQueue::changes() const
{
    return changes_.load(std::memory_order_relaxed);
}

std::shared_ptr<MessageQueue::Sent> MessageQueue::takeSent()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (sent_.empty())
        return nullptr;
    auto sent = sent_.front();
    sent_.pop_front();
    return sent;
}

bool MessageQueue::takePosted(Message* message, bool remove)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!posted_.empty()) {
        *message = posted_.front();
        if (remove) {
            posted_.pop_front();
            if (message->id == kWmTimer)
                pendingTimers_.erase({message->window, message->wParam});
        }
        return true;
    }
    if (quit_) {
        *message = Message {0, kWmQuit, static_cast<std::uint64_t>(exitCode_), 0, kernel::tickCount()};
        if (remove)
            quit_ = false;
        return true;
    }
    return false;
}

bool MessageQueue::hasWorkLocked() const
{
    return !posted_.empty() || !sent_.empty() || quit_;
}

void MessageQueue::wait(std::uint32_t timeoutMs, std::uint64_t since)
{
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [&] { return hasWorkLocked() || wakes_ != since; };
    if (ready())
        return;
    waiting_ = true;
    waitingSince_ = since;
    idle_.notify_all();
    if (timeoutMs == kernel::kWaitForever)
        arrived_.wait(lock, ready);
    else
        arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    waiting_ = false;
}

bool MessageQueue::awaitIdle(std::uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
        [&] { return waiting_ && !hasWorkLocked() && wakes_ == waitingSince_; });
}

std::uint64_t MessageQueue::wakeCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return wakes_;
}

void MessageQueue::wake()
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++wakes_;
    arrived_.notify_all();
}

bool MessageQueue::idle() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !hasWorkLocked();
}

} // namespace tessel::ui
