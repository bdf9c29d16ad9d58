#include "platform/tesselres/TesselRes.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

constexpr char16_t kCardFolder[] = u"\\Storage Card";

// Formats the phone's camera and recorder write that the system table lacks
// an extension for.
constexpr const char* kPhoneTypes[][2] = {
    {"3gp", "video/3gpp"},
    {"3g2", "video/3gpp2"},
};

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

const std::map<std::string, std::string>& systemTypes()
{
    static const std::map<std::string, std::string> types = [] {
        std::map<std::string, std::string> table;
        std::FILE* file = std::fopen("/etc/mime.types", "re");
        if (!file)
            return table;
        char line[1024];
        while (std::fgets(line, sizeof line, file)) {
            if (line[0] == '#')
                continue;
            char* save = nullptr;
            char* type = ::strtok_r(line, " \t\r\n", &save);
            if (!type)
                continue;
            while (char* extension = ::strtok_r(nullptr, " \t\r\n", &save)) {
                std::string key;
                for (char* c = extension; *c; ++c)
                    key += asciiLower(*c);
                // The first type listed for an extension wins.
                table.emplace(key, type);
            }
        }
        std::fclose(file);
        return table;
    }();
    return types;
}

bool copyOut(const std::u16string& text, char16_t* out, int capacity)
{
    if (!out || capacity <= 0)
        return false;
    if (text.size() + 1 > static_cast<std::size_t>(capacity)) {
        out[0] = u'\0';
        return false;
    }
    std::memcpy(out, text.data(), text.size() * sizeof(char16_t));
    out[text.size()] = u'\0';
    return true;
}

std::u16string widen(const std::string& utf8)
{
    const std::string bytes = tessel::kernel::utf8ToUtf16Bytes(utf8);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

} // namespace

int WinTS_GetStorageCard(char16_t* folder, int capacity)
{
    if (!folder || capacity <= 0)
        return 0;
    folder[0] = u'\0';
    if (!tessel::kernel::deviceFacts().memoryCardPresent)
        return 0;
    std::string hostPath;
    if (!tessel::kernel::mapPhonePath("\\Storage Card", &hostPath)
        || !tessel::kernel::makeHostFolders(hostPath))
        return 0;
    return copyOut(kCardFolder, folder, capacity) ? 1 : 0;
}

int WinTS_getMimeType(const char16_t* fileName, char16_t* mimeType, int capacity)
{
    if (mimeType && capacity > 0)
        mimeType[0] = u'\0';
    if (!fileName)
        return 0;
    // Extensions are ASCII; a name part with anything else has no type.
    std::string extension;
    bool ascii = true;
    for (const char16_t* c = fileName; *c; ++c) {
        if (*c == u'\\' || *c == u'/') {
            extension.clear();
            ascii = true;
        } else if (*c == u'.') {
            extension = ".";
            ascii = true;
        } else if (!extension.empty()) {
            if (*c >= 0x80)
                ascii = false;
            extension += asciiLower(static_cast<char>(*c & 0x7F));
        }
    }
    if (extension.size() < 2 || !ascii)
        return 0;
    extension.erase(0, 1);
    std::string type;
    for (const auto& entry : kPhoneTypes) {
        if (extension == entry[0])
            type = entry[1];
    }
    if (type.empty()) {
        auto it = systemTypes().find(extension);
        if (it == systemTypes().end())
            return 0;
        type = it->second;
    }
    return copyOut(std::u16string(type.begin(), type.end()), mimeType, capacity) ? 1 : 0;
}

int WinTS_GetNAI(char16_t* nai, int capacity)
{
    if (!nai || capacity <= 0)
        return 0;
    nai[0] = u'\0';
    const std::u16string text = widen(tessel::kernel::deviceFacts().nai);
    return !text.empty() && copyOut(text, nai, capacity) ? 1 : 0;
}

int WinTS_CheckSystemState(char16_t* message, int capacity)
{
    if (message && capacity > 0)
        message[0] = u'\0';
    std::u16string refusal = widen(tessel::kernel::deviceFact("system.refuse", ""));
    if (refusal.empty())
        return 1;
    if (!message || capacity <= 0)
        return 0;
    std::size_t keep = std::min<std::size_t>(kMaxSystemStateText, static_cast<std::size_t>(capacity - 1));
    // A cut never leaves half a surrogate pair.
    if (keep < refusal.size() && keep > 0 && refusal[keep - 1] >= 0xD800 && refusal[keep - 1] <= 0xDBFF)
        --keep;
    refusal.resize(std::min(keep, refusal.size()));
    copyOut(refusal, message, capacity);
    return 0;
}
