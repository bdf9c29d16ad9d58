#include "engine/transport/mime/VXLBoundaryScanner.h"

#include <cstddef>
#include <cstdint>

// Scans fuzzer bytes as a multipart reply, whole and then a byte at a time,
// and checks that every token lies inside the buffer.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536)
        return 0;
    for (int pass = 0; pass < 2; ++pass) {
        CVXLByteBuffer buffer;
        CVXLBoundaryScanner scanner;
        scanner.setBuffer(&buffer);
        scanner.setBoundary("frontier");
        std::size_t fed = 0;
        while (fed < size) {
            const std::size_t step = pass == 0 ? size : 1;
            buffer.append(data + fed, static_cast<std::uint32_t>(step));
            fed += step;
            for (int guard = 0; guard <= static_cast<int>(size) + 1; ++guard) {
                const auto type = scanner.next();
                if (scanner.tokenStart() + scanner.tokenLength() > buffer.length())
                    __builtin_trap();
                if (type == CVXLBoundaryScanner::kTokenNone)
                    break;
                (void)scanner.tokenText();
                (void)scanner.peekType();
            }
        }
    }
    return 0;
}
