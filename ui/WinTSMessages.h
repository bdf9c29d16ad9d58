#pragma once

#include <cstdint>

// The messages between the program's parts, with the phone's numbers.

// Thread messages to the engine host thread.
inline constexpr std::uint32_t kMsgReleaseLayout = 0x401; // wParam: the engine layout
inline constexpr std::uint32_t kMsgShutdown = 0x402;
inline constexpr std::uint32_t kMsgDeactivate = 0x403; // wParam: 0 data off, 1 background, 2 both
inline constexpr std::uint32_t kMsgActivate = 0x404; // wParam: 0 data on, 1 foreground, 2 both
inline constexpr std::uint32_t kMsgSocketsReady = 0x405; // a socket the engine watches is ready

// Launch requests from the other deliverables, and the hub's own.
inline constexpr std::uint32_t kMsgLaunch = 0x8002;
inline constexpr std::uint32_t kMsgLaunchPostToService = 0x8003;
inline constexpr std::uint32_t kMsgLaunchVariant = 0x8004;
inline constexpr std::uint32_t kMsgLaunchExit = 0x8005; // a launch while a screen runs
// Messages the hub redirects to the hidden window when their lParam is 0.
inline constexpr std::uint32_t kMsgRedirectFirst = 0x8001;
inline constexpr std::uint32_t kMsgRedirectLast = 0x8015;

// From the engine host thread to its window.
inline constexpr std::uint32_t kWmMainActivity = 0x8017; // wParam: the engine request
inline constexpr std::uint32_t kWmMainShutdown = 0x8018;
inline constexpr std::uint32_t kWmMainDontRun = 0x8019;

// To the main dialog.
inline constexpr std::uint32_t kMsgRun = 0x801a;
inline constexpr std::uint32_t kMsgActionSubmitted = 0x801b; // wParam: the event id
inline constexpr std::uint32_t kMsgActionsMapped = 0x801c;
inline constexpr std::uint32_t kMsgLayoutEnded
    = 0x801d; // wParam: the engine layout, lParam: the modal result
inline constexpr std::uint32_t kMsgElementStored = 0x801e;
inline constexpr std::uint32_t kWmReturnToMenu = 0x8085;

// To layout windows.
inline constexpr std::uint32_t kWmLayoutRunChild = 0x81ba; // wParam: the new layout window
inline constexpr std::uint32_t kWmLayoutRelease = 0x81bb;
// A window's transfer has ended (lParam: the transfer).
inline constexpr std::uint32_t kWmTransferEnded = 0x81bc;

// From element windows to their layout window (wParam: the element window).
inline constexpr std::uint32_t kWmLayoutSetElement = 0x81b6;
inline constexpr std::uint32_t kWmElementResized = 0x81b7; // lParam: the new height
inline constexpr std::uint32_t kWmElementChanged = 0x81b8;
inline constexpr std::uint32_t kWmElementCommandsChanged = 0x81b9;
