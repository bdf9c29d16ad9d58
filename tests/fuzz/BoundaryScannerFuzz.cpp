#include "engine/transport/mime/VXLBoundaryScanner.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Scans fuzzer bytes as a multipart reply fed whole, a byte at a time, and in
// pieces whose sizes the bytes give (peeking before each token). Every token
// lies inside the buffer; up to the first failed scan the split feedings
// yield the tokens and the last result of the whole one; no feeding looks at
// a byte more than twice.
namespace {

enum class Feeding { Whole, Bytes, Pieces };

struct Scanned {
    std::vector<std::pair<int, std::string>> tokens;
    CVXLScanResult last = CVXLScanResult::NeedMore;
    bool operator==(const Scanned& other) const { return tokens == other.tokens && last == other.last; }
};

std::size_t pieceAt(Feeding feeding, const std::uint8_t* data, std::size_t fed, std::size_t size)
{
    const std::size_t left = size - fed;
    const std::size_t piece = feeding == Feeding::Whole ? left
        : feeding == Feeding::Bytes                     ? 1
                                                        : 1 + data[fed] % 16;
    return piece < left ? piece : left;
}

Scanned scan(const std::uint8_t* data, std::size_t size, Feeding feeding)
{
    CVXLByteBuffer buffer;
    CVXLBoundaryScanner scanner;
    scanner.setBuffer(&buffer);
    scanner.setBoundary("frontier");
    Scanned out;
    // A failed scan drops what the buffer holds then, which depends on the
    // feeding: scanning goes on, but is compared no further.
    bool failed = false;
    for (std::size_t fed = 0; fed < size;) {
        const std::size_t piece = pieceAt(feeding, data, fed, size);
        buffer.append(data + fed, static_cast<std::uint32_t>(piece));
        fed += piece;
        for (;;) {
            if (feeding == Feeding::Pieces)
                (void)scanner.peekType();
            const auto type = scanner.next();
            if (scanner.tokenStart() + scanner.tokenLength() > buffer.length())
                __builtin_trap();
            if (type == CVXLBoundaryScanner::kTokenNone)
                break;
            if (!failed)
                out.tokens.emplace_back(type, scanner.tokenText().c_str());
        }
        if (!failed)
            out.last = scanner.result();
        failed = failed || scanner.result() == CVXLScanResult::Malformed;
    }
    if (scanner.bytesExamined() > 2 * static_cast<std::uint64_t>(size))
        __builtin_trap();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536)
        return 0;
    const Scanned whole = scan(data, size, Feeding::Whole);
    if (!(scan(data, size, Feeding::Bytes) == whole) || !(scan(data, size, Feeding::Pieces) == whole))
        __builtin_trap();
    return 0;
}
