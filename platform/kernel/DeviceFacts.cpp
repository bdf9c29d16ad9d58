#include "platform/kernel/DeviceFacts.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"

#include <cctype>
#include <cerrno>
#include <climits>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace tessel::kernel {

namespace {

constexpr int kMaxScreenPixels = 8192;
// The phone keeps the OEM text in a buffer of 256 characters.
constexpr std::size_t kMaxOemCharacters = 255;
// The longest host name DNS carries.
constexpr std::size_t kMaxHostBytes = 253;
// A line longer than this is refused whole (and logged), never split.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

void logRefused(const std::string& what)
{
    appendDeviceLog("device", "device.conf: " + what);
}

void takeLine(std::string text, std::map<std::string, std::string>* values)
{
    if (std::size_t hash = text.find('#'); hash != std::string::npos)
        text.resize(hash);
    std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        return;
    std::string key = trimBlanks(text.substr(0, equals));
    if (!key.empty())
        (*values)[key] = trimBlanks(text.substr(equals + 1));
}

std::map<std::string, std::string> readConf()
{
    std::map<std::string, std::string> values;
    std::string path = deviceRoot() + "/device.conf";
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (!file)
        return values;
    std::string line;
    bool tooLong = false;
    std::size_t number = 1;
    for (int c = std::fgetc(file);; c = std::fgetc(file)) {
        if (c == EOF || c == '\n') {
            if (tooLong)
                logRefused("line " + std::to_string(number) + " longer than " + std::to_string(kMaxLineBytes)
                    + " bytes ignored");
            else
                takeLine(line, &values);
            line.clear();
            tooLong = false;
            ++number;
            if (c == EOF)
                break;
            continue;
        }
        if (line.size() < kMaxLineBytes)
            line.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    std::fclose(file);
    return values;
}

// The whole text is a decimal number that fits an int.
bool parseInt(const std::string& text, int* out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX)
        return false;
    *out = static_cast<int>(value);
    return true;
}

// A value that is not a whole number in [low, high] is refused: the default stays.
void takeInt(const std::map<std::string, std::string>& conf, const char* key, int* out, int low, int high)
{
    auto it = conf.find(key);
    if (it == conf.end() || it->second.empty())
        return;
    int value = 0;
    if (parseInt(it->second, &value) && value >= low && value <= high)
        *out = value;
    else
        logRefused(
            std::string("bad number for ") + key + ": \"" + it->second + "\"; kept " + std::to_string(*out));
}

void takeBool(const std::map<std::string, std::string>& conf, const char* key, bool* out)
{
    int value = *out ? 1 : 0;
    takeInt(conf, key, &value, 0, 1);
    *out = value != 0;
}

void takeText(const std::map<std::string, std::string>& conf, const char* key, std::string* out)
{
    if (auto it = conf.find(key); it != conf.end())
        *out = it->second;
}

// The OEM text: at most kMaxOemCharacters characters of valid UTF-8, no
// control character.
bool oemTextIsSound(const std::string& text)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        const std::size_t length = c < 0x80 ? 1
            : (c >> 5) == 0x6               ? 2
            : (c >> 4) == 0xE               ? 3
            : (c >> 3) == 0x1E              ? 4
                                            : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
        ++characters;
    }
    return characters <= kMaxOemCharacters;
}

// A host name (labels of letters, digits and inner hyphens, joined by dots)
// or a dotted IPv4 address, which has the same form.
bool hostIsSound(const std::string& host)
{
    if (host.empty() || host.size() > kMaxHostBytes)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = host.find('.', start);
        const std::string label = host.substr(start, dot == std::string::npos ? dot : dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
                return false;
        }
        if (dot == std::string::npos)
            return true;
        start = dot + 1;
    }
}

// A text that breaks its rule is refused: the default stays.
void takeCheckedText(const std::map<std::string, std::string>& conf, const char* key, std::string* out,
    bool (*sound)(const std::string&))
{
    auto it = conf.find(key);
    if (it == conf.end())
        return;
    if (sound(it->second))
        *out = it->second;
    else
        logRefused(std::string("bad text for ") + key + ": \"" + it->second + "\"; kept \"" + *out + "\"");
}

} // namespace

DeviceFacts deviceFacts()
{
    const auto conf = readConf();
    DeviceFacts facts;
    if (auto it = conf.find("platform"); it != conf.end())
        facts.pocketPc = it->second == "pocketpc";
    takeInt(conf, "screen.width", &facts.screenWidth, 1, kMaxScreenPixels);
    takeInt(conf, "screen.height", &facts.screenHeight, 1, kMaxScreenPixels);
    takeText(conf, "phone.number", &facts.phoneNumber);
    takeText(conf, "phone.nai", &facts.nai);
    takeText(conf, "phone.operator", &facts.operatorName);
    takeBool(conf, "card.present", &facts.memoryCardPresent);
    takeBool(conf, "cellular.available", &facts.cellularAvailable);
    takeText(conf, "connection", &facts.connection);
    takeCheckedText(conf, "oem.info", &facts.oemInfo, oemTextIsSound);
    takeCheckedText(conf, "carrier.proxy", &facts.carrierProxy, hostIsSound);
    return facts;
}

std::string deviceFact(const char* key, const char* fallback)
{
    const auto conf = readConf();
    auto it = conf.find(key);
    return it != conf.end() ? it->second : std::string(fallback);
}

} // namespace tessel::kernel
