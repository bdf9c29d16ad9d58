#include "platform/kernel/Registry.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/FolderLock.h"
#include "platform/kernel/TextCodec.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// File format, one hive per file, readable and editable by hand:
//
//   [Software\Halvard\Tessel\Compose]
//   To:<TAB>text<TAB>Configure
//   FastStartup<TAB>dword<TAB>1
//   Blob<TAB>hex<TAB>01ab
//   Odd<TAB>hex(7)<TAB>0000
//
// Names and text data escape "%", control characters and a leading "[" or
// "#" as %XX. A text value whose bytes are not valid UTF-16 is written as
// hex(1), so every value reads back byte for byte.
namespace tessel::kernel {

namespace {

struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::string data;
};

struct Key {
    std::string path; // components joined by "\", as first created
    std::vector<Value> values;
};

using Hive = std::vector<Key>;

// "\Software\\Halvard\" -> "Software\Halvard".
std::string normalisePath(std::string_view path)
{
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start) {
            if (!out.empty())
                out += '\\';
            out.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

const char* hiveFileName(RegistryHive hive)
{
    return hive == RegistryHive::CurrentUser ? "HKEY_CURRENT_USER.reg" : "HKEY_LOCAL_MACHINE.reg";
}

std::string escape(std::string_view text)
{
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        bool special = c < 0x20 || c == 0x7F || c == '%' || (i == 0 && (c == '[' || c == '#'));
        if (special) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0
            && hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::uint32_t readLe32(std::string_view bytes)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
    return v;
}

std::string le32(std::uint32_t v)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

std::string formatValue(const Value& value)
{
    std::string line = escape(value.name) + "\t";
    std::string text;
    if (value.type == kRegText && utf16BytesToUtf8(value.data, &text))
        return line + "text\t" + escape(text);
    if (value.type == kRegDword && value.data.size() == 4)
        return line + "dword\t" + std::to_string(readLe32(value.data));
    if (value.type == kRegBinary)
        return line + "hex\t" + hexEncode(value.data);
    return line + "hex(" + std::to_string(value.type) + ")\t" + hexEncode(value.data);
}

bool parseValue(const std::string& line, Value* value)
{
    std::size_t tab1 = line.find('\t');
    std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos)
        return false;
    value->name = unescape(std::string_view(line).substr(0, tab1));
    std::string kind = line.substr(tab1 + 1, tab2 - tab1 - 1);
    std::string_view data = std::string_view(line).substr(tab2 + 1);
    if (value->name.empty())
        return false;
    if (kind == "text") {
        value->type = kRegText;
        value->data = utf8ToUtf16Bytes(unescape(data));
        return true;
    }
    if (kind == "dword") {
        char* end = nullptr;
        std::string digits(data);
        unsigned long long v = std::strtoull(digits.c_str(), &end, 0);
        if (digits.empty() || *end != '\0' || v > 0xFFFFFFFFull)
            return false;
        value->type = kRegDword;
        value->data = le32(static_cast<std::uint32_t>(v));
        return true;
    }
    if (kind == "hex") {
        value->type = kRegBinary;
        return hexDecode(data, &value->data);
    }
    if (kind.size() > 5 && kind.compare(0, 4, "hex(") == 0 && kind.back() == ')') {
        value->type = static_cast<std::uint32_t>(std::strtoul(kind.c_str() + 4, nullptr, 10));
        return hexDecode(data, &value->data);
    }
    return false;
}

// False when the file is there but cannot be read whole (a read error, or
// fewer bytes than its size); a missing file reads as empty.
bool readWholeFile(const std::string& path, std::string* contents)
{
    contents->clear();
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file)
        return errno == ENOENT;
    struct stat st;
    const bool sized = ::fstat(::fileno(file), &st) == 0 && S_ISREG(st.st_mode);
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        contents->append(chunk, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return sized && !failed && contents->size() == static_cast<std::size_t>(st.st_size);
}

// Malformed lines (a hand edit gone wrong) are skipped, never fatal;
// *skipped counts them.
Hive parseHive(const std::string& contents, std::size_t* skipped = nullptr)
{
    std::size_t dropped = 0;
    Hive hive;
    Key* current = nullptr;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        std::string line = contents.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            current = nullptr;
            if (line.back() != ']') {
                ++dropped;
                continue;
            }
            std::string path = normalisePath(line.substr(1, line.size() - 2));
            hive.push_back(Key {path, {}});
            current = &hive.back();
            continue;
        }
        Value value;
        if (!current || !parseValue(line, &value)) {
            ++dropped;
            continue;
        }
        bool replaced = false;
        for (Value& existing : current->values) {
            if (equalsIgnoringAsciiCase(existing.name, value.name)) {
                existing = value;
                replaced = true;
            }
        }
        if (!replaced)
            current->values.push_back(value);
    }
    if (skipped)
        *skipped = dropped;
    return hive;
}

std::string formatHive(const Hive& hive)
{
    std::string out = "# Tessel device registry\n";
    for (const Key& key : hive) {
        out += "[" + key.path + "]\n";
        for (const Value& value : key.values)
            out += formatValue(value) + "\n";
    }
    return out;
}

Key* findKey(Hive& hive, std::string_view path)
{
    for (Key& key : hive) {
        if (equalsIgnoringAsciiCase(key.path, path))
            return &key;
    }
    return nullptr;
}

Value* findValue(Key& key, std::string_view name)
{
    for (Value& value : key.values) {
        if (equalsIgnoringAsciiCase(value.name, name))
            return &value;
    }
    return nullptr;
}

Key* createKey(Hive& hive, const std::string& path)
{
    if (path.empty())
        return nullptr;
    Key* key = nullptr;
    for (std::size_t slash = 0; slash != std::string::npos;) {
        slash = path.find('\\', slash + 1);
        std::string prefix = path.substr(0, slash);
        key = findKey(hive, prefix);
        if (!key) {
            hive.push_back(Key {prefix, {}});
            key = &hive.back();
        }
    }
    return key;
}

bool readHive(RegistryHive which, Hive* hive)
{
    std::string folder = deviceFolder("registry");
    if (folder.empty())
        return false;
    FolderLock lock(folder, false);
    if (!lock.held())
        return false;
    std::string contents;
    if (!readWholeFile(folder + "/" + hiveFileName(which), &contents)) {
        appendDeviceLog("registry", std::string("unreadable hive ") + hiveFileName(which));
        return false;
    }
    *hive = parseHive(contents);
    return true;
}

bool replaceFile(const std::string& path, const std::string& text);

// Reads, changes and replaces a hive under the exclusive lock. change answers
// whether anything changed (nothing is written otherwise) and *result.
template <typename Change> bool updateHive(RegistryHive which, Change change)
{
    std::string folder = deviceFolder("registry");
    if (folder.empty())
        return false;
    FolderLock lock(folder, true);
    if (!lock.held())
        return false;
    std::string path = folder + "/" + hiveFileName(which);
    std::string contents;
    // A hive that cannot be read whole is never rewritten from the part read.
    if (!readWholeFile(path, &contents)) {
        appendDeviceLog("registry", std::string("unreadable hive ") + hiveFileName(which) + "; not changed");
        return false;
    }
    std::size_t skipped = 0;
    Hive hive = parseHive(contents, &skipped);
    bool result = false;
    if (!change(hive, &result))
        return result;
    // The rewrite drops the lines that did not parse: the file as it was
    // goes aside first.
    if (skipped > 0) {
        const std::string aside = path + ".bad";
        if (!replaceFile(aside, contents)) {
            appendDeviceLog(
                "registry", std::string("cannot keep ") + hiveFileName(which) + " aside; not changed");
            return false;
        }
        appendDeviceLog("registry",
            std::string(hiveFileName(which)) + ": " + std::to_string(skipped) + " malformed lines kept in "
                + hiveFileName(which) + ".bad");
    }
    return replaceFile(path, formatHive(hive)) && result;
}

bool replaceFile(const std::string& path, const std::string& text)
{
    return replaceFileWhole(path, path + ".tmp", text);
}

// HKEY_LOCAL_MACHINE\System\State\Phone holds the phone's live state.
bool phoneStateValue(RegistryHive hive, const std::string& path, std::string_view name, Value* value)
{
    if (hive != RegistryHive::LocalMachine || !equalsIgnoringAsciiCase(path, "System\\State\\Phone"))
        return false;
    DeviceFacts facts = deviceFacts();
    if (equalsIgnoringAsciiCase(name, "Cellular System Available")) {
        *value = Value {std::string(name), kRegDword, le32(facts.cellularAvailable ? 1u : 0u)};
        return true;
    }
    if (equalsIgnoringAsciiCase(name, "Current Operator Name")) {
        *value = Value {std::string(name), kRegText, utf8ToUtf16Bytes(facts.operatorName)};
        return true;
    }
    return false;
}

bool lookUp(RegistryHive which, std::string_view keyPath, std::string_view name, Value* out)
{
    std::string path = normalisePath(keyPath);
    Hive hive;
    if (!readHive(which, &hive))
        return false;
    if (Key* key = findKey(hive, path)) {
        if (Value* value = findValue(*key, name)) {
            *out = *value;
            return true;
        }
    }
    return phoneStateValue(which, path, name, out);
}

} // namespace

bool registryCreateKey(RegistryHive hive, std::string_view keyPath)
{
    std::string path = normalisePath(keyPath);
    if (path.empty())
        return false;
    return updateHive(hive, [&](Hive& h, bool* result) {
        *result = true;
        if (findKey(h, path))
            return false;
        createKey(h, path);
        return true;
    });
}

bool registryKeyExists(RegistryHive which, std::string_view keyPath)
{
    Hive hive;
    return readHive(which, &hive) && findKey(hive, normalisePath(keyPath)) != nullptr;
}

bool registrySetValue(RegistryHive hive, std::string_view keyPath, std::string_view name, std::uint32_t type,
    const void* data, std::uint32_t size)
{
    std::string path = normalisePath(keyPath);
    if (path.empty() || name.empty() || (size > 0 && !data))
        return false;
    Value value {std::string(name), type, std::string(static_cast<const char*>(data), size)};
    return updateHive(hive, [&](Hive& h, bool* result) {
        *result = true;
        Key* key = createKey(h, path);
        if (Value* existing = findValue(*key, name)) {
            existing->type = type;
            existing->data = value.data;
        } else {
            key->values.push_back(value);
        }
        return true;
    });
}

RegistryRead registryQueryValue(RegistryHive hive, std::string_view keyPath, std::string_view name,
    std::uint32_t* type, void* data, std::uint32_t* size)
{
    Value value;
    if (!lookUp(hive, keyPath, name, &value))
        return RegistryRead::Missing;
    if (type)
        *type = value.type;
    const auto needed = static_cast<std::uint32_t>(value.data.size());
    if (!size)
        return RegistryRead::Ok;
    const std::uint32_t room = *size;
    *size = needed;
    if (!data)
        return RegistryRead::Ok;
    if (room < needed)
        return RegistryRead::MoreData;
    if (needed > 0)
        std::memcpy(data, value.data.data(), needed);
    return RegistryRead::Ok;
}

bool registryDeleteValue(RegistryHive hive, std::string_view keyPath, std::string_view name)
{
    std::string path = normalisePath(keyPath);
    return updateHive(hive, [&](Hive& h, bool* result) {
        Key* key = findKey(h, path);
        if (!key)
            return false;
        for (auto it = key->values.begin(); it != key->values.end(); ++it) {
            if (equalsIgnoringAsciiCase(it->name, name)) {
                key->values.erase(it);
                *result = true;
                return true;
            }
        }
        return false;
    });
}

bool registryValueName(RegistryHive which, std::string_view keyPath, std::uint32_t index, std::string* name)
{
    Hive hive;
    if (!readHive(which, &hive))
        return false;
    Key* key = findKey(hive, normalisePath(keyPath));
    if (!key || index >= key->values.size())
        return false;
    *name = key->values[index].name;
    return true;
}

bool registrySetText(
    RegistryHive hive, std::string_view keyPath, std::string_view name, std::string_view utf8)
{
    std::string bytes = utf8ToUtf16Bytes(utf8);
    if (bytes.empty())
        bytes.assign(2, '\0');
    return registrySetValue(
        hive, keyPath, name, kRegText, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

bool registryQueryText(RegistryHive hive, std::string_view keyPath, std::string_view name, std::string* utf8)
{
    Value value;
    if (!lookUp(hive, keyPath, name, &value) || value.type != kRegText)
        return false;
    // Writers may or may not store a terminator; the text ends at the first NUL.
    std::string_view bytes(value.data);
    std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        if (bytes[2 * i] == '\0' && bytes[2 * i + 1] == '\0') {
            units = i;
            break;
        }
    }
    *utf8 = utf16BytesToUtf8Lossy(bytes.substr(0, units * 2));
    return true;
}

bool registrySetDword(RegistryHive hive, std::string_view keyPath, std::string_view name, std::uint32_t value)
{
    std::string bytes = le32(value);
    return registrySetValue(hive, keyPath, name, kRegDword, bytes.data(), 4);
}

bool registryQueryDword(
    RegistryHive hive, std::string_view keyPath, std::string_view name, std::uint32_t* value)
{
    Value found;
    if (!lookUp(hive, keyPath, name, &found) || found.data.size() != 4)
        return false;
    *value = readLe32(found.data);
    return true;
}

} // namespace tessel::kernel
