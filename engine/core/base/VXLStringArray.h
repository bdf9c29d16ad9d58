#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// A pointer array that owns its items, each a heap CVXLString.
class CVXLStringArray : public CVXLPtrArray {
public:
    CVXLStringArray() = default;
    CVXLStringArray(const CVXLStringArray& other);
    CVXLStringArray& operator=(const CVXLStringArray& other);
    ~CVXLStringArray() override;

    // Deletes the string; 0 when the slot is empty or out of range.
    int removeAt(int index) override;
    void clear() override;
    // n equal to the count empties the array; above it nothing happens.
    bool dropFirst(std::uint32_t n) override;

    // Inserts a heap copy; 0 when the copy or the slot cannot be made.
    int insertAt(const CVXLString& text, int index);
    // "" when the index is out of range or the slot is empty.
    CVXLString at(int index) const;
    int indexOf(const CVXLString& text) const;
    int remove(const CVXLString& text);

private:
    // Slots take only strings the array owns.
    using CVXLPtrArray::setAt;
};
