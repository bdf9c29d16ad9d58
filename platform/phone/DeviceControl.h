#pragma once

#include <cstdint>
#include <string>

// The phone's flash cards and the kernel's reboot control. A reboot is only
// recorded: one line "reboot" in log/reboot.log.
namespace tessel::phone {

inline constexpr std::uint32_t kIoctlReboot = 0x0101003C;
inline constexpr const char* kStorageCard = "\\Storage Card";

// The first flash card's folder as a phone path ("\Storage Card"), made to
// exist; false when no card is in (device.conf "card.present").
bool firstFlashCard(std::string* phonePath);

// kIoctlReboot records the reboot and answers true; any other code is not
// supported (false).
bool kernelIoControl(std::uint32_t code);

} // namespace tessel::phone
