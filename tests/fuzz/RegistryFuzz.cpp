// Takes the input as a registry hive file, as a hand edit might leave it,
// and reads every value of the keys it names; then stores one more value,
// which rewrites the file, and reads them all again: a rewrite must keep
// every value it read, byte for byte.
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/Registry.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace tessel::kernel;

namespace {

constexpr std::size_t kMaxKeysRead = 16;
constexpr std::uint32_t kMaxValuesRead = 64;

struct Seen {
    std::string key;
    std::string name;
    std::uint32_t type;
    std::string data;
};

const std::string& hiveFile()
{
    fuzzDeviceRoot();
    static const std::string path = deviceFolder("registry") + "/HKEY_CURRENT_USER.reg";
    return path;
}

std::vector<std::string> keysNamed(const std::string& text)
{
    std::vector<std::string> keys;
    std::size_t start = 0;
    while (start < text.size() && keys.size() < kMaxKeysRead) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
            keys.push_back(line.substr(1, line.size() - 2));
        start = end + 1;
    }
    return keys;
}

std::vector<Seen> readAll(const std::vector<std::string>& keys)
{
    std::vector<Seen> seen;
    for (const std::string& key : keys) {
        std::string name;
        for (std::uint32_t i = 0;
             i < kMaxValuesRead && registryValueName(RegistryHive::CurrentUser, key, i, &name); ++i) {
            Seen value {key, name, 0, {}};
            std::uint32_t size = 0;
            if (registryQueryValue(RegistryHive::CurrentUser, key, name, &value.type, nullptr, &size)
                != RegistryRead::Ok)
                __builtin_trap();
            value.data.resize(size);
            if (registryQueryValue(
                    RegistryHive::CurrentUser, key, name, &value.type, value.data.data(), &size)
                    != RegistryRead::Ok
                || size != value.data.size())
                __builtin_trap();
            seen.push_back(value);
        }
    }
    return seen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzWriteFile(hiveFile(), data, size);

    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> keys = keysNamed(text);
    const std::vector<Seen> before = readAll(keys);
    if (!registrySetDword(RegistryHive::CurrentUser, "Fuzz\\Rewrite", "Marker", 7))
        __builtin_trap();
    const std::vector<Seen> after = readAll(keys);
    if (after.size() < before.size())
        __builtin_trap();
    for (const Seen& value : before) {
        bool kept = false;
        for (const Seen& again : after)
            kept = kept
                || (again.key == value.key && again.name == value.name && again.type == value.type
                    && again.data == value.data);
        if (!kept)
            __builtin_trap();
    }
    return 0;
}
