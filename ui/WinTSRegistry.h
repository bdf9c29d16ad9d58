#pragma once

#include <cstdint>
#include <string>

// The program's settings in the registry: sections are subkeys of
// HKEY_CURRENT_USER\Software\Halvard\Tessel, an empty section the product
// key itself. Texts are the user interface's wide text, stored as the
// phone's writers store them (UTF-16LE without a terminating NUL, an empty
// text as one NUL character) and read bounded: at most kMaxRegistryTextBytes
// of a value, up to its first NUL.
inline constexpr const char* kProductKey = "Software\\Halvard\\Tessel";
inline constexpr std::uint32_t kMaxRegistryTextBytes = 1024;
inline constexpr std::size_t kMaxRegistryValueName = 256;

// Creates the product key with its parents when it is missing.
bool OpenProductKey();
// The key path of a section ("" the product key).
std::string registrySectionKey(const std::u16string& section);

// The text is emptied first; true when a text value was read.
bool registryRead(const std::u16string& section, const std::u16string& name, std::u16string* text);
// *size: the buffer's bytes on entry, the value's on return; true when read.
bool registryReadData(
    const std::u16string& section, const std::u16string& name, void* buffer, std::uint32_t* size);
// *value is the default, then the stored DWORD when there is one; true when
// the section exists.
bool registryReadDword(
    const std::u16string& section, const std::u16string& name, std::uint32_t* value, std::uint32_t fallback);
void registryWrite(const std::u16string& section, const std::u16string& name, const std::u16string& text);
void registryWriteData(
    const std::u16string& section, const std::u16string& name, const void* data, std::uint32_t size);
void registryWriteDword(const std::u16string& section, const std::u16string& name, std::uint32_t value);
// The name of the index-th value of the section (at most 256 characters).
bool registryReadKey(const std::u16string& section, std::uint32_t index, std::u16string* name);
