#pragma once

#include "engine/core/base/VXLByteBuffer.h"

#include <cstdint>

// Elements of one fixed size stored back to back in a byte buffer. Elements
// are copied as bytes, so they must be plain records: nothing that is linked
// to by address (a byte buffer or a string) may live inside one.
class CVXLFixedArray : public CVXLByteBuffer {
public:
    CVXLFixedArray(std::uint32_t elementSize, std::uint32_t reserveCount);

    std::uint32_t elementSize() const { return elementSize_; }
    std::uint32_t count() const;
    // Null when the element size is 0 or the element lies past the length.
    void* at(int index);
    const void* at(int index) const;
    bool append(const void* element);
    // At or past the count the length grows; skipped elements read as zero.
    bool set(int index, const void* element);
    bool fillAt(int index, std::uint8_t value);
    // Nothing when the element does not exist.
    bool removeAt(int index);

private:
    // Byte offset of the element, or false when it does not fit the
    // buffer's largest length.
    bool offsetOf(int index, std::uint32_t& offset) const;

    std::uint32_t elementSize_;
};
