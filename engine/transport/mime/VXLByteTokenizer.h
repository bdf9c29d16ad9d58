#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Base of the byte scanners that read tokens off the front of a growing
// buffer. The buffer always starts with what has not been accepted yet:
// consume drops the current token (and whatever was skipped in front of it).
// A scan gives the same answer however the bytes were split across receives;
// a scanner that keeps its place between scans learns through consumed()
// that the front has moved.
class CVXLByteTokenizer : public CVXLObject {
public:
    CVXLByteTokenizer() = default;
    ~CVXLByteTokenizer() override = default;

    virtual void setBuffer(CVXLByteBuffer* buffer);
    virtual void reset();
    // Finds the next token at the front of the buffer.
    virtual void scan() = 0;

    // Drops start + length bytes from the front of the buffer.
    void consume();
    CVXLString tokenText() const;
    CVXLByteBuffer tokenBytes() const;

    std::uint32_t tokenStart() const { return start_; }
    std::uint32_t tokenLength() const { return length_; }
    CVXLByteBuffer* buffer() const { return buffer_; }

protected:
    void setToken(std::uint32_t start, std::uint32_t length)
    {
        start_ = start;
        length_ = length;
    }
    std::uint32_t available() const { return buffer_ ? buffer_->length() : 0; }
    const std::uint8_t* bytes() const { return buffer_ ? buffer_->data() : nullptr; }
    // consume() has dropped count bytes (0 when there was no token).
    virtual void consumed(std::uint32_t /*count*/) { }

private:
    std::uint32_t start_ = 0;
    std::uint32_t length_ = 0;
    CVXLByteBuffer* buffer_ = nullptr;
};
