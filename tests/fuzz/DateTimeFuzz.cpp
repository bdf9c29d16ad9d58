// Reads date and time texts from the input (split at its first newline; each
// cut at a NUL). Any text must give 0 or a time that, turned back into
// fields, names a real date within the 32-bit range.
#include "engine/core/text/VXLDateTime.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace {

constexpr std::size_t kMaxText = 256;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    std::string date = input.substr(0, split);
    std::string time = split == std::string::npos ? std::string() : input.substr(split + 1);
    date = date.substr(0, date.find('\0'));
    time = time.substr(0, time.find('\0'));
    if (date.size() > kMaxText || time.size() > kMaxText)
        return 0;
    const std::uint32_t seconds = parseDateTimeText(CVXLString(date.c_str()), CVXLString(time.c_str()));
    if (seconds == 0)
        return 0;
    // The same instant, from its own fields, comes back unchanged.
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm fields {};
    gmtime_r(&t, &fields);
    if (secondsSince1970(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
            fields.tm_min, fields.tm_sec)
        != seconds)
        __builtin_trap();
    return 0;
}
