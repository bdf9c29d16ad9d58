#pragma once

#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <string>

// The shell's execute call. Every call is written to log/shellexec.log. A
// file naming an executable program in the device root is started with the
// parameters split at blanks into its argument vector (never through a
// shell); the phone's browser is only recorded.
namespace tessel::shell {

inline constexpr std::uint32_t kShellExecuteInfoSize = 60;
inline constexpr std::uint32_t kSeeMaskNoCloseProcess = 0x40;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShow = 5;

// The browser's program, in either slash form and any case.
inline constexpr const char* kBrowserProgram = "\\Windows\\iexplore.exe";

struct ShellExecuteInfo {
    std::uint32_t size = kShellExecuteInfoSize;
    std::uint32_t mask = 0;
    ui::WindowHandle window = 0;
    std::u16string verb;
    std::u16string file; // a phone path; "/" separates like "\"
    std::u16string parameters;
    std::u16string directory;
    int show = kSwShowNormal;
    int process = -1; // out: the started process, with kSeeMaskNoCloseProcess
};

// True when the browser was asked for or the program was started; false
// (recorded as well) for a wrong record size or a file that is no program
// of the device root.
bool shellExecuteEx(ShellExecuteInfo* info);

} // namespace tessel::shell
