// Compiles a pattern and searches a subject, both from the input: the bytes
// up to the first NUL are the pattern, the rest the subject (cut at its own
// first NUL). Sizes are bounded so exponential backtracking stays short.
#include "engine/core/text/VXLRegex.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr std::size_t kMaxPattern = 96;
constexpr std::size_t kMaxSubject = 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string pattern = input.substr(0, split);
    const std::string subject = split == std::string::npos ? std::string() : input.substr(split + 1);
    if (pattern.size() > kMaxPattern || subject.size() > kMaxSubject)
        return 0;

    CVXLRegex regex;
    if (!regex.compile(pattern.c_str()))
        return 0;
    const CVXLString text(subject.c_str());
    if (regex.matches(text)) {
        for (int g = 0; g <= CVXLRegex::kMaxGroups; ++g) {
            const int start = regex.groupStart(g);
            const int length = regex.groupLength(g);
            if (start < 0 || length < 0 || static_cast<std::uint32_t>(start + length) > text.length())
                __builtin_trap();
            (void)regex.group(g, text);
        }
    }
    (void)replaceAll(regex, CVXLString("<>"), text);
    return 0;
}
