#include "platform/kernel/DeviceFacts.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"

#include <cerrno>
#include <climits>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace tessel::kernel {

namespace {

constexpr int kMaxScreenPixels = 8192;
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
        logRefused(std::string("bad number for ") + key + ": \"" + it->second + "\"; kept " + std::to_string(*out));
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
    return facts;
}

std::string deviceFact(const char* key, const char* fallback)
{
    const auto conf = readConf();
    auto it = conf.find(key);
    return it != conf.end() ? it->second : std::string(fallback);
}

} // namespace tessel::kernel
