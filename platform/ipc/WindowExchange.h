#pragma once

#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <string>

// Windows seen across processes. A process that takes part lists its
// top-level windows (handle, class, title) in run/win/<pid> of the device
// root, rewritten whole on each change, and receives posts on the datagram
// socket run/sock/<pid>. A post is one fixed record of integers; anything
// else arriving there is dropped and logged (log/ipc.log). A search skips
// processes that have died, whatever killed them, and removes what they left.
namespace tessel::ipc {

// Record of a cross-process post: magic, message, handle, wParam, lParam,
// little-endian, nothing else.
inline constexpr std::uint32_t kPostMagic = 0x50575354;
inline constexpr std::size_t kPostRecordSize = 32;

std::string encodePostRecord(
    ui::WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);

// Publishes this process's windows and starts receiving posts; false when
// the socket or table cannot be made. Stopped (and its files removed) by
// stopWindowExchange or at exit.
bool startWindowExchange();
void stopWindowExchange();

// The first window of a live process (this one included) whose class is
// exactly className and, when title is given, whose title is exactly that;
// 0 when there is none.
ui::WindowHandle findWindow(const std::u16string& className, const std::u16string* title);

// Whether the process runs; a killed child its parent has not reaped yet
// counts as ended.
bool processAlive(std::uint32_t pid);

// Sends a post record to the window's process; false when it has no socket.
bool postToProcess(ui::WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);

} // namespace tessel::ipc
