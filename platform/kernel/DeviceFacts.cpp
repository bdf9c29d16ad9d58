#include "platform/kernel/DeviceFacts.h"

#include "platform/kernel/DeviceRoot.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace tessel::kernel {

namespace {

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::map<std::string, std::string> readConf()
{
    std::map<std::string, std::string> values;
    std::string path = deviceRoot() + "/device.conf";
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (!file)
        return values;
    char line[1024];
    while (std::fgets(line, sizeof line, file)) {
        std::string text(line);
        if (std::size_t hash = text.find('#'); hash != std::string::npos)
            text.resize(hash);
        std::size_t equals = text.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = trim(text.substr(0, equals));
        if (!key.empty())
            values[key] = trim(text.substr(equals + 1));
    }
    std::fclose(file);
    return values;
}

void takeInt(const std::map<std::string, std::string>& conf, const char* key, int* out)
{
    if (auto it = conf.find(key); it != conf.end() && !it->second.empty())
        *out = std::atoi(it->second.c_str());
}

void takeBool(const std::map<std::string, std::string>& conf, const char* key, bool* out)
{
    if (auto it = conf.find(key); it != conf.end() && !it->second.empty())
        *out = std::atoi(it->second.c_str()) != 0;
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
    takeInt(conf, "screen.width", &facts.screenWidth);
    takeInt(conf, "screen.height", &facts.screenHeight);
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
