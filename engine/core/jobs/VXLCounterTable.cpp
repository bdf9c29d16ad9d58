#include "engine/core/jobs/VXLCounterTable.h"

CVXLCounterTable::CVXLCounterTable()
    : counters_ {}
{
}

std::int32_t CVXLCounterTable::get(int index) const
{
    return inRange(index) ? counters_[index] : 0;
}

void CVXLCounterTable::set(int index, std::int32_t value)
{
    if (inRange(index))
        counters_[index] = value;
}

std::int32_t CVXLCounterTable::add(int index, std::int32_t delta)
{
    if (!inRange(index))
        return 0;
    const std::int32_t previous = counters_[index];
    // Wraps like the 32-bit counter it is, without signed overflow.
    counters_[index]
        = static_cast<std::int32_t>(static_cast<std::uint32_t>(previous) + static_cast<std::uint32_t>(delta));
    return previous;
}
