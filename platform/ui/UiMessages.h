#pragma once

#include <cstdint>

// The window messages, commands, keys and notifications the program uses,
// with the phone's numbers. A window handle carries its owner's process id
// in its upper half, so a handle found in another process's window table
// says where a post must go.
namespace tessel::ui {

using WindowHandle = std::uint64_t;

inline std::uint32_t handleProcess(WindowHandle handle)
{
    return static_cast<std::uint32_t>(handle >> 32);
}

// Every top-level window of this process (a broadcast never leaves it).
inline constexpr WindowHandle kBroadcast = 0xFFFF;

struct Message {
    WindowHandle window = 0; // 0: a message to the thread itself
    std::uint32_t id = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    std::uint32_t time = 0; // tick count when posted
};

// Window messages.
inline constexpr std::uint32_t kWmCreate = 0x0001;
inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmMove = 0x0003; // lParam: y << 16 | x
inline constexpr std::uint32_t kWmSize = 0x0005; // lParam: height << 16 | width
inline constexpr std::uint32_t kWmActivate = 0x0006;
inline constexpr std::uint32_t kWmSetFocus = 0x0007;
inline constexpr std::uint32_t kWmKillFocus = 0x0008;
inline constexpr std::uint32_t kWmSetText = 0x000C; // lParam: const char16_t*
inline constexpr std::uint32_t kWmGetText = 0x000D; // wParam: capacity, lParam: char16_t*
inline constexpr std::uint32_t kWmGetTextLength = 0x000E;
inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmQuit = 0x0012;
inline constexpr std::uint32_t kWmEraseBkgnd = 0x0014;
inline constexpr std::uint32_t kWmShowWindow = 0x0018;
inline constexpr std::uint32_t kWmSettingChange = 0x001A;
inline constexpr std::uint32_t kWmDrawItem = 0x002B;
inline constexpr std::uint32_t kWmSetFont = 0x0030; // wParam: the Font (0: the system font's), lParam: redraw
inline constexpr std::uint32_t kWmGetFont = 0x0031; // answers the Font set, 0 when none
inline constexpr std::uint32_t kWmNotify = 0x004E; // lParam: const NotifyHeader*
inline constexpr std::uint32_t kWmHelp = 0x0053;
inline constexpr std::uint32_t kWmContextMenu
    = 0x007B; // wParam: the window, lParam: y << 16 | x of the screen
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWmChar = 0x0102;
inline constexpr std::uint32_t kWmInitDialog = 0x0110;
inline constexpr std::uint32_t kWmCommand = 0x0111; // wParam: notification << 16 | id
inline constexpr std::uint32_t kWmTimer = 0x0113; // wParam: timer id
inline constexpr std::uint32_t kWmVScroll = 0x0115; // wParam: thumb position << 16 | request
// A static control's picture: wParam the image type, lParam the picture
// (a const Bitmap*, kept alive by the sender while shown); answers the
// previous one.
inline constexpr std::uint32_t kStmSetImage = 0x0172;
inline constexpr std::uint32_t kStmGetImage = 0x0173;
inline constexpr std::uint32_t kImageBitmap = 0;
inline constexpr std::uint32_t kImageIcon = 1;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201; // lParam: y << 16 | x
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmCut = 0x0300;
inline constexpr std::uint32_t kWmCopy = 0x0301;
inline constexpr std::uint32_t kWmPaste = 0x0302;
inline constexpr std::uint32_t kWmUser = 0x0400;
inline constexpr std::uint32_t kWmApp = 0x8000;
// A task run on a thread for another one (callOnThread); lParam: the task.
inline constexpr std::uint32_t kWmRunTask = 0x7FFE;
// The same for a task that only reads.
inline constexpr std::uint32_t kWmReadTask = 0x7FFD;
// An input routed to the focus (postInput); wParam: id << 32 | its wParam.
inline constexpr std::uint32_t kWmRouteInput = 0x7FFC;

// Scroll requests (the low word of kWmVScroll's wParam).
inline constexpr std::uint32_t kSbLineUp = 0;
inline constexpr std::uint32_t kSbLineDown = 1;
inline constexpr std::uint32_t kSbPageUp = 2;
inline constexpr std::uint32_t kSbPageDown = 3;
inline constexpr std::uint32_t kSbThumbPosition = 4;
inline constexpr std::uint32_t kSbThumbTrack = 5;
inline constexpr std::uint32_t kSbTop = 6;
inline constexpr std::uint32_t kSbBottom = 7;
inline constexpr std::uint32_t kSbEndScroll = 8;

// Dialog commands.
inline constexpr std::uint32_t kIdOk = 1;
inline constexpr std::uint32_t kIdCancel = 2;
inline constexpr std::uint32_t kIdYes = 6;
inline constexpr std::uint32_t kIdNo = 7;

// Virtual keys.
inline constexpr std::uint32_t kVkBack = 0x08;
inline constexpr std::uint32_t kVkReturn = 0x0D;
inline constexpr std::uint32_t kVkEscape = 0x1B; // the phone's Back key
inline constexpr std::uint32_t kVkEnd = 0x23;
inline constexpr std::uint32_t kVkHome = 0x24;
inline constexpr std::uint32_t kVkLeft = 0x25;
inline constexpr std::uint32_t kVkUp = 0x26;
inline constexpr std::uint32_t kVkRight = 0x27;
inline constexpr std::uint32_t kVkDown = 0x28;
inline constexpr std::uint32_t kVkDelete = 0x2E;
inline constexpr std::uint32_t kVkF1 = 0x70; // left soft key
inline constexpr std::uint32_t kVkF2 = 0x71; // right soft key
inline constexpr std::uint32_t kVkF4 = 0x73; // end-call key

// A key message handled by a window's procedure answers 0; any other answer
// leaves the key to the dialog (Enter and Escape become its OK and cancel).
inline constexpr std::int64_t kKeyLeft = 1;

} // namespace tessel::ui
