#pragma once

#include "engine/core/jobs/VXLUIRequestCodes.h"

#include <cstdint>

// The pending codes, oldest first, in a fixed array: when it is full the
// oldest code makes room for the new one.
class CVXLUIRequestFifo {
public:
    static constexpr int kMaxPendingCodes = 16;

    void push(std::int32_t code);
    // Removes every occurrence, keeping the order of the others.
    void remove(std::int32_t code);
    // The oldest code, taken off; 0 when empty.
    std::int32_t pop();

    int count() const { return count_; }
    // 0 outside 0..count-1.
    std::int32_t at(int index) const { return index >= 0 && index < count_ ? codes_[index] : 0; }

private:
    std::int32_t codes_[kMaxPendingCodes] = {};
    int count_ = 0;
};
