#pragma once

#include <cstdint>

// A launch request, as the launcher and the shell library write it and the
// program reads it: string values of section Compose of the product key
// (HKEY_CURRENT_USER\Software\Halvard\Tessel\Compose), announced by message
// kLaunchMessage posted to the program's hidden window. One launch at a time
// holds kLaunchSemaphore.

inline constexpr const char16_t* kLaunchSection = u"Compose";

// The values, in the order the writers write them.
inline constexpr const char16_t* kLaunchMedia = u"Media:";
inline constexpr const char16_t* kLaunchTo = u"To:";
inline constexpr const char16_t* kLaunchSubject = u"Subj:";
inline constexpr const char16_t* kLaunchText = u"Text:";
inline constexpr const char16_t* kLaunchClass = u"Class";
// Read by the program besides (names compare without regard to case).
inline constexpr const char16_t* kLaunchOldSubject = u"Subject:";
inline constexpr const char16_t* kLaunchExitCommand = u"exitCommand:";

// The classes that choose the flow.
inline constexpr const char16_t* kLaunchClassTessel = u"IPM.SMSText.Tessel";
inline constexpr const char16_t* kLaunchClassPost = u"IPM.SMSText.Post2Service";
inline constexpr const char16_t* kLaunchClassSms = u"IPM.SMSText";
// "To:" of a post-to-service request that configures a service.
inline constexpr const char16_t* kLaunchConfigure = u"Configure";

inline constexpr std::uint32_t kLaunchMessage = 0x8002;
inline constexpr const char* kLaunchSemaphore = "WINTS_Launch";
// The window the request is posted to, and the program started when it is
// not there.
inline constexpr const char16_t* kLaunchWindowClass = u"Dialog";
inline constexpr const char16_t* kLaunchWindowTitle = u"Tessel";
inline constexpr const char* kLaunchProgram = "\\windows\\tessel.exe";
