#include "ui/WinTSRegistry.h"

#include "platform/kernel/Registry.h"
#include "platform/kernel/TextCodec.h"
#include "ui/WinTSLog.h"

#include <vector>

using tessel::kernel::RegistryHive;
using tessel::kernel::wideToUtf8;

namespace {

std::string utf8(const std::u16string& text)
{
    return wideToUtf8(text);
}

} // namespace

bool OpenProductKey()
{
    if (tessel::kernel::registryKeyExists(RegistryHive::CurrentUser, kProductKey))
        return true;
    return tessel::kernel::registryCreateKey(RegistryHive::CurrentUser, kProductKey);
}

std::string registrySectionKey(const std::u16string& section)
{
    std::string key = kProductKey;
    if (!section.empty())
        key += "\\" + utf8(section);
    return key;
}

bool registryRead(const std::u16string& section, const std::u16string& name, std::u16string* text)
{
    text->clear();
    OpenProductKey();
    const std::string key = registrySectionKey(section);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (tessel::kernel::registryQueryValue(RegistryHive::CurrentUser, key, utf8(name), &type, nullptr, &size)
            != tessel::kernel::RegistryRead::Ok
        || type != tessel::kernel::kRegText) {
        winTSLog(kLogTrace, "Failed: registryRead: " + utf8(section) + ":" + utf8(name));
        return false;
    }
    std::vector<unsigned char> bytes(size);
    if (size > 0
        && tessel::kernel::registryQueryValue(
               RegistryHive::CurrentUser, key, utf8(name), &type, bytes.data(), &size)
            != tessel::kernel::RegistryRead::Ok)
        return false;
    // A longer value is cut, never read past; it ends at its first NUL.
    const std::size_t units = std::min<std::size_t>(size, kMaxRegistryTextBytes) / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t c = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        if (c == 0)
            break;
        text->push_back(c);
    }
    return true;
}

bool registryReadData(
    const std::u16string& section, const std::u16string& name, void* buffer, std::uint32_t* size)
{
    OpenProductKey();
    std::uint32_t type = 0;
    return tessel::kernel::registryQueryValue(
               RegistryHive::CurrentUser, registrySectionKey(section), utf8(name), &type, buffer, size)
        == tessel::kernel::RegistryRead::Ok;
}

bool registryReadDword(
    const std::u16string& section, const std::u16string& name, std::uint32_t* value, std::uint32_t fallback)
{
    *value = fallback;
    OpenProductKey();
    const std::string key = registrySectionKey(section);
    if (!tessel::kernel::registryKeyExists(RegistryHive::CurrentUser, key))
        return false;
    std::uint32_t stored = 0;
    if (tessel::kernel::registryQueryDword(RegistryHive::CurrentUser, key, utf8(name), &stored))
        *value = stored;
    return true;
}

void registryWrite(const std::u16string& section, const std::u16string& name, const std::u16string& text)
{
    OpenProductKey();
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    if (bytes.empty())
        bytes.assign(2, '\0');
    if (!tessel::kernel::registrySetValue(RegistryHive::CurrentUser, registrySectionKey(section), utf8(name),
            tessel::kernel::kRegText, bytes.data(), static_cast<std::uint32_t>(bytes.size())))
        winTSLog(kLogFailure, "Failed: registryWrite: " + utf8(section) + ":" + utf8(name));
}

void registryWriteData(
    const std::u16string& section, const std::u16string& name, const void* data, std::uint32_t size)
{
    OpenProductKey();
    if (!tessel::kernel::registrySetValue(RegistryHive::CurrentUser, registrySectionKey(section), utf8(name),
            tessel::kernel::kRegBinary, data, size))
        winTSLog(kLogFailure, "Failed: registryWrite (data): " + utf8(section) + ":" + utf8(name));
}

void registryWriteDword(const std::u16string& section, const std::u16string& name, std::uint32_t value)
{
    OpenProductKey();
    if (!tessel::kernel::registrySetDword(
            RegistryHive::CurrentUser, registrySectionKey(section), utf8(name), value))
        winTSLog(kLogFailure, "Failed: registryWrite: " + utf8(section) + ":" + utf8(name));
}

bool registryReadKey(const std::u16string& section, std::uint32_t index, std::u16string* name)
{
    name->clear();
    OpenProductKey();
    std::string found;
    if (!tessel::kernel::registryValueName(
            RegistryHive::CurrentUser, registrySectionKey(section), index, &found))
        return false;
    // A longer name is cut rather than ending the walk over the section.
    *name = tessel::kernel::utf8ToWide(found).substr(0, kMaxRegistryValueName);
    return true;
}
