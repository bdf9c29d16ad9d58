#include "platform/ui/WindowSystem.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/RecursiveTimedLock.h"
#include "platform/kernel/ThreadTimers.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Notification.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/Window.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>

namespace tessel::ui {

namespace {

std::atomic<kernel::RecursiveTimedLock*> gDispatchLock {nullptr};
std::atomic<RemotePoster> gRemotePoster {nullptr};
std::atomic<RemoteCloser> gRemoteCloser {nullptr};
thread_local WindowHandle tFocus = 0;

// The kernel timer's context is a serial, not a pointer: a timer killed on
// one thread may be about to run on another.
struct WindowTimer {
    WindowHandle window;
    std::uint64_t id;
    std::uint32_t kernelId;
};
// Never destroyed, like the window table: windows that outlive main kill
// their timers at exit.
std::mutex& timersMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<std::pair<WindowHandle, std::uint64_t>, std::uintptr_t>& timers()
{
    static auto* all = new std::map<std::pair<WindowHandle, std::uint64_t>, std::uintptr_t>;
    return *all;
}

std::map<std::uintptr_t, WindowTimer>& timerSerials()
{
    static auto* all = new std::map<std::uintptr_t, WindowTimer>;
    return *all;
}
std::uintptr_t gLastTimerSerial = 0;

bool isRemote(WindowHandle window)
{
    return handleProcess(window) != static_cast<std::uint32_t>(::getpid());
}

// Holds the dispatch lock for a scope.
struct DispatchScope {
    DispatchScope()
        : lock(gDispatchLock.load())
    {
        if (lock)
            lock->lock(kernel::kWaitForever);
    }
    ~DispatchScope()
    {
        if (lock)
            lock->unlock();
    }
    kernel::RecursiveTimedLock* lock;
};

// Hands the dispatch lock back in full for a wait.
struct ReleasedScope {
    ReleasedScope()
        : lock(gDispatchLock.load())
        , depth(lock ? lock->releaseAll() : 0)
    {
    }
    ~ReleasedScope()
    {
        if (lock)
            lock->restore(depth);
    }
    kernel::RecursiveTimedLock* lock;
    int depth;
};

void onWindowTimer(void* context, std::uint32_t)
{
    WindowTimer timer;
    {
        std::lock_guard<std::mutex> lock(timersMutex());
        auto it = timerSerials().find(reinterpret_cast<std::uintptr_t>(context));
        if (it == timerSerials().end())
            return;
        timer = it->second;
    }
    if (auto queue = windowQueue(timer.window))
        queue->postTimer(timer.window, timer.id);
}

void serveSent(MessageQueue& queue)
{
    while (auto sent = queue.takeSent()) {
        std::int64_t result;
        // Only a task handed over by callOnThread runs as one; a posted
        // message with that number is an ordinary message. A read changes
        // nothing on the screen.
        if (sent->message.window == 0
            && (sent->message.id == kWmRunTask || sent->message.id == kWmReadTask)) {
            DispatchScope locked;
            if (sent->message.id == kWmRunTask)
                queue.noteChange();
            result = (*reinterpret_cast<const std::function<std::int64_t()>*>(sent->message.lParam))();
        } else {
            result = dispatchMessage(sent->message);
        }
        queue.completeSent(sent, result);
    }
}

void runDueTimers(MessageQueue& queue)
{
    DispatchScope locked;
    if (kernel::runDueThreadTimers() > 0)
        queue.noteChange();
}

// Waits for the answer; with a bound, a send not yet taken by the other
// thread when it runs out is withdrawn (nullopt). One already taken is
// waited for: it runs at once.
std::optional<std::int64_t> awaitAnswer(const std::shared_ptr<MessageQueue>& self,
    const std::shared_ptr<MessageQueue>& target, const std::shared_ptr<MessageQueue::Sent>& sent,
    std::uint32_t boundMs)
{
    ReleasedScope released;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    bool bounded = boundMs != kernel::kWaitForever;
    for (;;) {
        std::uint64_t since = self->wakeCount();
        if (self->answered(sent))
            return sent->result;
        // Sends to this thread are served while it waits for its own.
        serveSent(*self);
        if (self->answered(sent))
            return sent->result;
        if (!bounded) {
            self->wait(kernel::kWaitForever, since);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            if (target->withdrawSent(sent))
                return std::nullopt;
            bounded = false;
            continue;
        }
        self->wait(static_cast<std::uint32_t>(left.count()) + 1, since);
    }
}

std::optional<std::int64_t> runOnThread(std::uint32_t threadId, std::uint32_t id,
    const std::function<std::int64_t()>& task, std::uint32_t boundMs)
{
    auto target = MessageQueue::byId(threadId);
    if (!target)
        return 0;
    auto self = MessageQueue::current();
    if (target == self)
        return task();
    auto sent = std::make_shared<MessageQueue::Sent>();
    sent->message = Message {0, id, 0, reinterpret_cast<std::int64_t>(&task), kernel::tickCount()};
    sent->sender = self;
    target->deliverSent(sent);
    return awaitAnswer(self, target, sent, boundMs);
}

// One pass: sent messages, due timers, then a posted message.
bool takeNext(MessageQueue& queue, Message* message, bool remove)
{
    queue.reopen();
    serveSent(queue);
    runDueTimers(queue);
    return queue.takePosted(message, remove);
}

} // namespace

std::uint32_t uiThreadId()
{
    return MessageQueue::current()->id();
}

bool postMessage(WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    if (window == kBroadcast) {
        for (const TopLevelEntry& entry : topLevelEntries())
            postMessage(entry.handle, id, wParam, lParam);
        return true;
    }
    if (window != 0 && isRemote(window)) {
        RemotePoster poster = gRemotePoster.load();
        return poster && poster(window, id, wParam, lParam);
    }
    auto queue = windowQueue(window);
    if (!queue)
        return false;
    queue->post(Message {window, id, wParam, lParam, kernel::tickCount()});
    return true;
}

bool postInput(std::uint32_t threadId, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    return postThreadMessage(
        threadId, kWmRouteInput, (static_cast<std::uint64_t>(id) << 32) | (wParam & 0xFFFFFFFFu), lParam);
}

bool postThreadMessage(std::uint32_t threadId, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    auto queue = MessageQueue::byId(threadId);
    if (!queue)
        return false;
    queue->post(Message {0, id, wParam, lParam, kernel::tickCount()});
    return true;
}

void postQuitMessage(int exitCode)
{
    MessageQueue::current()->postQuit(exitCode);
}

std::int64_t sendMessage(WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    if (window == kBroadcast) {
        for (const TopLevelEntry& entry : topLevelEntries())
            sendMessage(entry.handle, id, wParam, lParam);
        return 0;
    }
    if (window != 0 && isRemote(window)) {
        if (id == kWmClose) {
            if (RemoteCloser closer = gRemoteCloser.load())
                closer(window);
        }
        return 0;
    }
    auto target = windowQueue(window);
    if (!target)
        return 0;
    auto self = MessageQueue::current();
    const Message message {window, id, wParam, lParam, kernel::tickCount()};
    if (target == self) {
        Window* w = windowFromHandle(window);
        return w ? w->windowProc(id, wParam, lParam) : 0;
    }
    auto sent = std::make_shared<MessageQueue::Sent>();
    sent->message = message;
    sent->sender = self;
    target->deliverSent(sent);
    return *awaitAnswer(self, target, sent, kernel::kWaitForever);
}

std::int64_t callOnThread(std::uint32_t threadId, const std::function<std::int64_t()>& task)
{
    return *runOnThread(threadId, kWmRunTask, task, kernel::kWaitForever);
}

std::optional<std::int64_t> callOnThreadWithin(
    std::uint32_t threadId, std::uint32_t boundMs, const std::function<std::int64_t()>& task)
{
    return runOnThread(threadId, kWmRunTask, task, boundMs);
}

std::optional<std::int64_t> readOnThreadWithin(
    std::uint32_t threadId, std::uint32_t boundMs, const std::function<std::int64_t()>& task)
{
    return runOnThread(threadId, kWmReadTask, task, boundMs);
}

std::uint64_t screenChanges(std::uint32_t threadId)
{
    auto queue = MessageQueue::byId(threadId);
    return queue ? queue->changes() : 0;
}

bool getMessage(Message* message)
{
    auto queue = MessageQueue::current();
    for (;;) {
        if (takeNext(*queue, message, true))
            return message->id != kWmQuit;
        std::uint64_t since = queue->wakeCount();
        if (takeNext(*queue, message, true))
            return message->id != kWmQuit;
        // A driven clock wakes the queue when it moves; a real one by time.
        std::uint32_t delay = kernel::nextThreadTimerDelay();
        if (delay == 0)
            continue;
        ReleasedScope released;
        queue->wait(kernel::clockIsDriven() ? kernel::kWaitForever : delay, since);
    }
}

bool peekMessage(Message* message, bool remove)
{
    return takeNext(*MessageQueue::current(), message, remove);
}

std::int64_t dispatchMessage(const Message& message)
{
    DispatchScope locked;
    MessageQueue::current()->noteChange();
    if (message.window == 0 && message.id == kWmRouteInput) {
        // An input from a front end: it goes on to the focus (else the
        // topmost window) as the message it carries, behind what is queued.
        WindowHandle target = focusWindow();
        if (!windowFromHandle(target)) {
            target = 0;
            const auto self = MessageQueue::current();
            for (const TopLevelEntry& entry : topLevelEntries()) {
                const Window* window = windowFromHandle(entry.handle);
                if (window && window->visible() && windowQueue(entry.handle) == self)
                    target = entry.handle;
            }
        }
        if (target)
            postMessage(target, static_cast<std::uint32_t>(message.wParam >> 32),
                message.wParam & 0xFFFFFFFFu, message.lParam);
        return 0;
    }
    if (message.window == 0) {
        if (UiThread* thread = UiThread::current())
            thread->onThreadMessage(message);
        return 0;
    }
    Window* window = windowFromHandle(message.window);
    if (!window)
        return message.id == kWmKeyDown || message.id == kWmChar ? kKeyLeft : 0;
    if (message.id == kWmKeyDown) {
        // The notification overlay, then an open menu, before the focus.
        const auto key = static_cast<std::uint32_t>(message.wParam);
        Notification* overlay = Notification::current();
        if ((overlay && overlay->onKeyBeforeFocus(key)) || window->topLevel()->onKeyBeforeFocus(key))
            return 0;
    }
    std::int64_t result = window->windowProc(message.id, message.wParam, message.lParam);
    // A key the focused control leaves goes to its dialog (OK, cancel, soft keys).
    if (message.id == kWmKeyDown && result == kKeyLeft && windowFromHandle(message.window) == window
        && window->topLevel()->onUnusedKey(static_cast<std::uint32_t>(message.wParam)))
        result = 0;
    return result;
}

bool setTimer(WindowHandle window, std::uint64_t timerId, std::uint32_t intervalMs)
{
    if (!windowFromHandle(window))
        return false;
    killTimer(window, timerId);
    std::lock_guard<std::mutex> lock(timersMutex());
    const std::uintptr_t serial = ++gLastTimerSerial;
    std::uint32_t kernelId
        = kernel::setThreadTimer(intervalMs, onWindowTimer, reinterpret_cast<void*>(serial));
    timerSerials()[serial] = WindowTimer {window, timerId, kernelId};
    timers()[{window, timerId}] = serial;
    return true;
}

bool killTimer(WindowHandle window, std::uint64_t timerId)
{
    {
        std::lock_guard<std::mutex> lock(timersMutex());
        auto it = timers().find({window, timerId});
        if (it == timers().end())
            return false;
        kernel::killThreadTimer(timerSerials()[it->second].kernelId);
        timerSerials().erase(it->second);
        timers().erase(it);
    }
    if (auto queue = windowQueue(window))
        queue->dropTimer(window, timerId);
    return true;
}

void killWindowTimers(WindowHandle window)
{
    std::vector<std::uint64_t> ids;
    {
        std::lock_guard<std::mutex> lock(timersMutex());
        for (auto it = timers().lower_bound({window, 0}); it != timers().end() && it->first.first == window;
             ++it)
            ids.push_back(it->first.second);
    }
    for (std::uint64_t id : ids)
        killTimer(window, id);
}

WindowHandle setFocus(WindowHandle window)
{
    const WindowHandle previous = tFocus;
    if (previous == window)
        return previous;
    tFocus = window;
    if (Window* old = windowFromHandle(previous))
        old->windowProc(kWmKillFocus, window, 0);
    if (Window* now = windowFromHandle(window))
        now->windowProc(kWmSetFocus, previous, 0);
    return previous;
}

WindowHandle focusWindow()
{
    return tFocus;
}

void setDispatchLock(kernel::RecursiveTimedLock* lock)
{
    gDispatchLock.store(lock);
}

kernel::RecursiveTimedLock* dispatchLock()
{
    return gDispatchLock.load();
}

void lockDispatch()
{
    if (auto* lock = gDispatchLock.load())
        lock->lock(kernel::kWaitForever);
}

void unlockDispatch()
{
    if (auto* lock = gDispatchLock.load())
        lock->unlock();
}

void setRemotePoster(RemotePoster poster)
{
    gRemotePoster.store(poster);
}

void setRemoteCloser(RemoteCloser closer)
{
    gRemoteCloser.store(closer);
}

} // namespace tessel::ui
