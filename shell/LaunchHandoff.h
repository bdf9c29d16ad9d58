#pragma once

#include <cstdint>

// The shell side's hand-off of a launch request to the program: the request
// is written as the five string values of section Compose and announced by a
// message posted to the program's hidden window, the program started first
// when it does not run. One launch at a time across all processes holds
// "WINTS_Launch": a launch that cannot take it within 100 ms writes nothing
// and posts nothing. The holder keeps it 1,000 ms after its post, so the
// program reads the values before the next launch overwrites them.
//
// All registry access goes to HKEY_CURRENT_USER\Software\Halvard\Tessel\<section>.

// Texts as the phone's writers store them: UTF-16 without a terminating
// NUL, an empty (or null) text as one NUL character.
void RegWriteString(const char16_t* section, const char16_t* valueName, const char16_t* text);
// Reads into the caller's buffer of byteCount bytes, up to the value's first
// NUL; the empty text when the value is missing or does not fit.
void RegReadString(
    const char16_t* section, const char16_t* valueName, char16_t* buffer, std::uint32_t byteCount);
// *result is the stored DWORD, else defaultValue.
void RegReadDword(
    const char16_t* section, const char16_t* valueName, std::uint32_t* result, std::uint32_t defaultValue);

// The five values of a request; null texts are written empty.
struct ComposeRequest {
    const char16_t* messageClass = nullptr;
    const char16_t* to = nullptr;
    const char16_t* subject = nullptr;
    const char16_t* mediaPath = nullptr;
    const char16_t* text = nullptr;
};

// Under "WINTS_Launch": writes the request (when given), finds the program's
// window or starts "\windows\tessel.exe" and polls for it (200 times, 100 ms
// apart), posts message (none when it is 0) or, when the program did not
// come, shows "Could not launch Norvane Tessel"; holds the semaphore
// 1,000 ms more. 1 when the message was posted (for message 0: when the
// program's window is there), else 0.
int DeliverLaunch(
    const ComposeRequest* request, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);

// A compose request posted with 0x8002; 1 only when it was posted.
int PostComposeRequest(const char16_t* messageClass, const char16_t* to, const char16_t* subject,
    const char16_t* mediaPath, const char16_t* text);

// Makes sure the program runs and posts message to it (nothing for 0).
int LaunchMainProgram(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
