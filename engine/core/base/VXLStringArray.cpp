#include "engine/core/base/VXLStringArray.h"

CVXLStringArray::CVXLStringArray(const CVXLStringArray& other)
    : CVXLPtrArray()
{
    *this = other;
}

CVXLStringArray& CVXLStringArray::operator=(const CVXLStringArray& other)
{
    if (this == &other)
        return *this;
    if (count() > 0)
        clear();
    reserve(other.capacity());
    for (std::uint32_t i = 0; i < other.count(); ++i) {
        const auto* source = static_cast<const CVXLString*>(other.CVXLPtrArray::at(static_cast<int>(i)));
        auto* copy = source ? new CVXLString(*source) : new CVXLString();
        // Appending keeps the reserved storage; setAt past the count would
        // cut it to fit.
        if (!copy || !CVXLPtrArray::insertAt(copy, -1)) {
            delete copy;
            break;
        }
    }
    return *this;
}

CVXLStringArray::~CVXLStringArray()
{
    if (count() > 0)
        deleteAll();
}

int CVXLStringArray::insertAt(const CVXLString& text, int index)
{
    auto* copy = new CVXLString(text);
    if (!copy)
        return 0;
    if (!CVXLPtrArray::insertAt(copy, index)) {
        delete copy;
        return 0;
    }
    return 1;
}

CVXLString CVXLStringArray::at(int index) const
{
    const auto* text = static_cast<const CVXLString*>(CVXLPtrArray::at(index));
    return text ? *text : CVXLString();
}

int CVXLStringArray::indexOf(const CVXLString& text) const
{
    for (std::uint32_t i = 0; i < count(); ++i) {
        const auto* item = static_cast<const CVXLString*>(CVXLPtrArray::at(static_cast<int>(i)));
        if (item && *item == text)
            return static_cast<int>(i);
    }
    return -1;
}

int CVXLStringArray::remove(const CVXLString& text)
{
    const int index = indexOf(text);
    return index < 0 ? 0 : removeAt(index);
}

int CVXLStringArray::removeAt(int index)
{
    CVXLObject* item = CVXLPtrArray::at(index);
    if (!item)
        return 0;
    CVXLPtrArray::removeAt(index);
    delete item;
    return 1;
}

void CVXLStringArray::clear()
{
    deleteAll();
}

bool CVXLStringArray::dropFirst(std::uint32_t n)
{
    if (n > count())
        return false;
    for (std::uint32_t i = 0; i < n; ++i) {
        CVXLObject* item = CVXLPtrArray::at(static_cast<int>(i));
        setAt(nullptr, static_cast<int>(i));
        delete item;
    }
    return CVXLPtrArray::dropFirst(n);
}
