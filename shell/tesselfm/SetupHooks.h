#pragma once

#include <string>

// What the uninstaller's hook does besides answering: the phone's messaging
// application is closed and the program's data folder removed.
namespace tessel::fm {

inline constexpr const char* kDataFolder = "\\Application Data\\Tessel";
inline constexpr const char16_t* kInboxWindowClass = u"Inbox.MainWnd";
inline constexpr unsigned kInboxCloseWaitMs = 1000;

// Posts WM_CLOSE to the window of class "Inbox.MainWnd", waits up to
// 1,000 ms for its process to end, and kills that process (by its id) when
// it has not. False when no such window exists.
bool CloseInbox();

// Removes the folder (a phone path) with everything in it. A symbolic link
// is removed, never followed, and nothing outside the device root is
// touched; what cannot be removed stays. False when the folder is not
// there or something of it stayed.
bool DeleteFolderTree(const std::string& phoneFolder);

} // namespace tessel::fm
