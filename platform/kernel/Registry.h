#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The phone's registry, kept in files under the device root (registry/,
// one file per hive). Every call reads the file under a shared flock, and
// every change rewrites it under an exclusive one through a temporary file
// and a rename, so several processes may use it at once and a crash leaves
// either the old or the new file.
//
// Key paths are relative to the hive ("Software\Halvard\Tessel\Compose");
// key and value names compare without regard to ASCII case. Values keep the
// bytes they were given: text values (kRegText) hold UTF-16LE characters.
// Values under HKEY_LOCAL_MACHINE\System\State\Phone that the file lacks
// are the phone's live state and come from device.conf: "Cellular System
// Available" and "Current Operator Name".
namespace tessel::kernel {

enum class RegistryHive { CurrentUser, LocalMachine };

inline constexpr std::uint32_t kRegText = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

enum class RegistryRead {
    Ok,
    Missing, // no such key or value
    MoreData, // the buffer is too small; *size holds the size needed
};

// Creates the key and every missing key above it.
bool registryCreateKey(RegistryHive hive, std::string_view keyPath);
bool registryKeyExists(RegistryHive hive, std::string_view keyPath);

// Creates the key when needed and stores (or replaces) the value.
bool registrySetValue(RegistryHive hive, std::string_view keyPath, std::string_view name, std::uint32_t type,
    const void* data, std::uint32_t size);

// *size is the buffer's size on entry and the value's size on return; data
// may be null to ask for the size only (answers Ok).
RegistryRead registryQueryValue(RegistryHive hive, std::string_view keyPath, std::string_view name,
    std::uint32_t* type, void* data, std::uint32_t* size);

// True when the value existed and is gone.
bool registryDeleteValue(RegistryHive hive, std::string_view keyPath, std::string_view name);

// The name of the index-th value of a key, in the order the values were first
// set; false past the last one.
bool registryValueName(RegistryHive hive, std::string_view keyPath, std::uint32_t index, std::string* name);

// Text values as the phone's writers store them: UTF-16LE without a
// terminating NUL, an empty text as one NUL character.
bool registrySetText(
    RegistryHive hive, std::string_view keyPath, std::string_view name, std::string_view utf8);
// Reads a text value as UTF-8, up to its first NUL; false when missing or
// not a text value.
bool registryQueryText(RegistryHive hive, std::string_view keyPath, std::string_view name, std::string* utf8);

bool registrySetDword(
    RegistryHive hive, std::string_view keyPath, std::string_view name, std::uint32_t value);
// False when missing or not a 4-byte value.
bool registryQueryDword(
    RegistryHive hive, std::string_view keyPath, std::string_view name, std::uint32_t* value);

} // namespace tessel::kernel
