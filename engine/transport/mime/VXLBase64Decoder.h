#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

// Decodes base64 text that arrives in pieces of any size. Bytes outside the
// RFC 4648 alphabet (line breaks, spaces) are skipped; '=' ends a group. A
// group cut short at the end gives the whole bytes it holds.
class CVXLBase64Decoder : public CVXLObject {
public:
    void reset();
    // Appends the decoded bytes to out; false when the heap refuses.
    bool feed(const std::uint8_t* text, std::uint32_t length, CVXLByteBuffer& out);
    // The bytes of a last group of two or three characters.
    bool finish(CVXLByteBuffer& out);

private:
    std::uint32_t bits_ = 0;
    std::uint32_t count_ = 0; // characters held in bits_
};
