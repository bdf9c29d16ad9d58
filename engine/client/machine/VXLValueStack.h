#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLVariant.h"

#include <cstdint>

// A growable stack of variants for the stack machine's values and call
// frames. Every access is checked: popping an empty stack or reading below
// the bottom answers false or null instead of touching memory.
class CVXLValueStack : public CVXLObject {
public:
    // A million entries (24 MB) is far beyond any real program's depth; a
    // program that recurses past it fails with a full stack instead of
    // taking the device's memory.
    static constexpr std::uint32_t kMaxCapacity = 0x100000;

    explicit CVXLValueStack(std::uint32_t initialCapacity);
    CVXLValueStack(const CVXLValueStack&) = delete;
    CVXLValueStack& operator=(const CVXLValueStack&) = delete;
    ~CVXLValueStack() override;

    std::uint32_t count() const { return count_; }
    bool isEmpty() const { return count_ == 0; }
    // False when the stack cannot grow.
    bool push(const CVXLVariant& value);
    // Hands the top value out; false on an empty stack.
    bool pop(CVXLVariant& out);
    // Drops the top n values; false (and nothing dropped) when fewer are there.
    bool drop(std::uint32_t n);
    // The top value; null on an empty stack.
    CVXLVariant* peek();
    // The element offset places from the top: -1 is the top, -2 the one below.
    // Null when the offset does not name an element.
    CVXLVariant* at(int offset);
    const CVXLVariant* at(int offset) const;
    // The element `index` places from the bottom; null when out of range.
    CVXLVariant* item(std::uint32_t index);
    const CVXLVariant* item(std::uint32_t index) const;
    void clear();

private:
    bool grow();

    CVXLVariant* items_ = nullptr;
    std::uint32_t capacity_ = 0;
    std::uint32_t count_ = 0;
};
