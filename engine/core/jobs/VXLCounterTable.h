#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

// The engine's 18 counters. Each Client owns its own table, so two engines in
// one process never share counts. Indexes outside 0..17 read 0 and change
// nothing.
class CVXLCounterTable : public CVXLObject {
public:
    static constexpr int kCounterCount = 18;

    CVXLCounterTable();

    std::int32_t get(int index) const;
    void set(int index, std::int32_t value);
    // Stores previous + delta and returns the previous value.
    std::int32_t add(int index, std::int32_t delta);

private:
    static bool inRange(int index) { return index >= 0 && index < kCounterCount; }

    std::int32_t counters_[kCounterCount];
};
