#pragma once

#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace tessel::kernel {
class RecursiveTimedLock;
}

// The calls of the phone's window system on the headless model: posting and
// sending, the pump's get, peek and dispatch, window timers, focus. Posts go
// to the owning thread's queue from any thread; a handle of another process
// goes through the remote poster (platform/ipc installs it).
namespace tessel::ui {

// kBroadcast posts to every top-level window of this process.
bool postMessage(WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);
// threadId: uiThreadId() of the receiving thread (or UiThread::threadId).
bool postThreadMessage(std::uint32_t threadId, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);
void postQuitMessage(int exitCode);
// The calling thread's id for postThreadMessage.
std::uint32_t uiThreadId();

// On the window's own thread the procedure runs at once; for another thread
// the message runs in that thread's pump while this one waits and serves
// messages sent to itself. 0 when the window does not exist. kBroadcast
// sends to every top-level window of this process in turn.
std::int64_t sendMessage(WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);

// Runs task on the thread with that id, in its pump or any of its waits,
// while the caller waits (as a send does); 0 when there is no such thread.
std::int64_t callOnThread(std::uint32_t threadId, const std::function<std::int64_t()>& task);
// The same, given up (nullopt, the task never runs) when the thread has not
// taken it within boundMs of real time: the thread is busy. A read changes
// nothing on the screen (screenChanges does not count it).
std::optional<std::int64_t> callOnThreadWithin(
    std::uint32_t threadId, std::uint32_t boundMs, const std::function<std::int64_t()>& task);
std::optional<std::int64_t> readOnThreadWithin(
    std::uint32_t threadId, std::uint32_t boundMs, const std::function<std::int64_t()>& task);
// Grows with every message, timer or task the thread handled: a front end
// composes again only when it moved.
std::uint64_t screenChanges(std::uint32_t threadId);
// An input for the thread's focus (else its topmost window), posted to the
// thread and passed on in its pump, so the sender never waits for it.
bool postInput(std::uint32_t threadId, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);

// Waits for the next message of the calling thread (serving sent messages
// and running due timers meanwhile); false when it is the quit request.
bool getMessage(Message* message);
// The same without waiting; false when nothing is there.
bool peekMessage(Message* message, bool remove);
// Runs the window's procedure (or the thread's handler for a thread
// message) holding the dispatch lock. kKeyLeft for a lost window's key.
std::int64_t dispatchMessage(const Message& message);

// Window timers: kWmTimer to the window every interval, at most one pending;
// they follow the kernel clock and run on the thread that sets them.
bool setTimer(WindowHandle window, std::uint64_t timerId, std::uint32_t intervalMs);
bool killTimer(WindowHandle window, std::uint64_t timerId);
void killWindowTimers(WindowHandle window);

// The calling thread's focus (kWmKillFocus and kWmSetFocus are sent).
WindowHandle setFocus(WindowHandle window);
WindowHandle focusWindow();

// The lock a message is dispatched under (the engine lock); every pump
// hands it back in full while it waits. Null: none.
void setDispatchLock(kernel::RecursiveTimedLock* lock);
kernel::RecursiveTimedLock* dispatchLock();
// Takes and gives back one level of it (a pump around its hook and dispatch).
void lockDispatch();
void unlockDispatch();

// Cross-process posts: false when the record could not be sent.
using RemotePoster
    = bool (*)(WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);
void setRemotePoster(RemotePoster poster);
// A send to a window of another process: only kWmClose crosses, as a post,
// and the sender waits (bounded) for that process to end.
using RemoteCloser = void (*)(WindowHandle window);
void setRemoteCloser(RemoteCloser closer);

} // namespace tessel::ui
