#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

// Engine-side screen models count their changes; the user interface redraws
// while the count differs from the one it has seen.
class CVXLChangeCounter : public CVXLObject {
public:
    explicit CVXLChangeCounter(std::int32_t start = 0)
        : change_(start)
        , seen_(start)
    {
    }

    // A counter used as a tracked value: the current value, uncommitted.
    void set(std::int32_t value) { change_ = value; }
    void increase() { change_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(change_) + 1u); }
    bool changed() const { return change_ != seen_; }
    void commit() { seen_ = change_; }
    std::int32_t changeCount() const { return change_; }
    std::int32_t seenCount() const { return seen_; }

private:
    std::int32_t change_;
    std::int32_t seen_;
};
