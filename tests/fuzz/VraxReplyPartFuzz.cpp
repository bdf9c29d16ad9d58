#include "tests/service/ReplyPartReading.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads fuzzer bytes as a service reply whole and in pieces whose sizes the
// bytes give; a piece is added only when the reader asks for more. Both
// readings must yield the same parts and end the same way.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < size;) {
        const std::size_t piece = 1 + data[at] % 23;
        pieces.push_back(bytes.substr(at, piece));
        at += piece;
    }
    if (readReply({bytes}) != readReply(pieces))
        __builtin_trap();
    return 0;
}
