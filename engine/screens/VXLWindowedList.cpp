#include "engine/screens/VXLWindowedList.h"

CVXLWindowedList::CVXLWindowedList() = default;

CVXLWindowedList& CVXLWindowedList::setCursor(std::int32_t cursor)
{
    cursor_ = cursor;
    return *this;
}

void CVXLWindowedList::commit()
{
    length_.commit();
    first_.commit();
}

std::uint8_t CVXLWindowedList::setStopAtEnd(std::uint8_t stop)
{
    const std::uint8_t previous = stopAtEnd_;
    stopAtEnd_ = stop;
    return previous;
}

bool CVXLWindowedList::inWindow(std::int32_t absolute) const
{
    // 64-bit: first + length must not wrap.
    return absolute >= first()
        && static_cast<std::int64_t>(absolute) < static_cast<std::int64_t>(first()) + length();
}

void CVXLWindowedList::rewind()
{
    cursor_ = length() != 0 ? 0 : kNone;
}

void CVXLWindowedList::cursorToLast()
{
    cursor_ = length() > 0 ? length() - 1 : 0;
}

void CVXLWindowedList::advance()
{
    const std::int32_t last = length() > 0 ? length() - 1 : 0;
    if (cursor_ != last) {
        ++cursor_;
        return;
    }
    if (stopAtEnd_) {
        cursor_ = kNone;
        return;
    }
    first_.set(first() + length());
    cursor_ = length() != 0 ? 0 : kNone;
}

CVXLWindowedList CVXLWindowedList::postIncrement()
{
    CVXLWindowedList before(*this);
    advance();
    return before;
}
