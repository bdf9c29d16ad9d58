#pragma once

#include <string_view>

// Stand-ins that record instead of acting (a message box, a dial-up, a
// shell-execute) append one line to log/<name>.log in the device root, where
// tests read it.
namespace tessel::kernel {

void appendDeviceLog(const char* name, std::string_view line);

} // namespace tessel::kernel
