#pragma once

#include <cstdint>
#include <string>

// Extended telephony, as far as the program asks: one line device named
// "Cellular Line", whose first address is the phone's own number
// (device.conf "phone.number"; an empty value means the phone does not know
// its number).
namespace tessel::phone {

inline constexpr const char* kCellularLineName = "Cellular Line";

// The number of line devices for the application (always 1).
std::uint32_t lineInitialize(const std::string& appName);
// False past the last device.
bool lineDeviceName(std::uint32_t device, std::string* name);
// The address's number; false when the device or address is not there or
// the number is unknown.
bool lineAddressNumber(std::uint32_t device, std::uint32_t address, std::string* number);

} // namespace tessel::phone
