#include "engine/core/base/VXLFixedArray.h"

namespace {

std::uint32_t reserveBytes(std::uint32_t elementSize, std::uint32_t reserveCount)
{
    const std::uint64_t bytes = static_cast<std::uint64_t>(elementSize) * reserveCount;
    // An impossible reservation just leaves the buffer to grow when used.
    return bytes > CVXLByteBuffer::kMaxLength ? 0 : static_cast<std::uint32_t>(bytes);
}

} // namespace

CVXLFixedArray::CVXLFixedArray(std::uint32_t elementSize, std::uint32_t reserveCount)
    : CVXLByteBuffer(reserveBytes(elementSize, reserveCount))
    , elementSize_(elementSize)
{
}

std::uint32_t CVXLFixedArray::count() const
{
    return elementSize_ ? length() / elementSize_ : 0;
}

bool CVXLFixedArray::offsetOf(int index, std::uint32_t& offset) const
{
    if (index < 0 || elementSize_ == 0)
        return false;
    const std::uint64_t end = (static_cast<std::uint64_t>(index) + 1) * elementSize_;
    if (end > kMaxLength)
        return false;
    offset = static_cast<std::uint32_t>(end) - elementSize_;
    return true;
}

void* CVXLFixedArray::at(int index)
{
    std::uint32_t offset;
    if (!offsetOf(index, offset) || offset + elementSize_ > length())
        return nullptr;
    return data() + offset;
}

const void* CVXLFixedArray::at(int index) const
{
    std::uint32_t offset;
    if (!offsetOf(index, offset) || offset + elementSize_ > length())
        return nullptr;
    return data() + offset;
}

bool CVXLFixedArray::append(const void* element)
{
    return elementSize_ > 0 && CVXLByteBuffer::append(element, elementSize_);
}

bool CVXLFixedArray::set(int index, const void* element)
{
    std::uint32_t offset;
    return offsetOf(index, offset) && write(offset, element, elementSize_);
}

bool CVXLFixedArray::fillAt(int index, std::uint8_t value)
{
    std::uint32_t offset;
    return offsetOf(index, offset) && fill(offset, value, elementSize_);
}

bool CVXLFixedArray::removeAt(int index)
{
    std::uint32_t offset;
    if (!offsetOf(index, offset) || offset + elementSize_ > length())
        return false;
    return remove(offset, elementSize_);
}
