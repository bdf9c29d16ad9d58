#pragma once

#include "engine/core/base/VXLValueBase.h"

#include <cstdint>

// Use counter of a copy-on-write handle. useCount() is the number of other
// handles sharing the counter, so 0 means this handle is alone; the owner of
// the shared data checks it before letting go. Handles are embedded in their
// owners and free nothing of themselves.
class CVXLSharedCount : public CVXLValueBase {
public:
    CVXLSharedCount();
    CVXLSharedCount(const CVXLSharedCount& other);
    // Takes the other's counter before letting go of its own, so assigning a
    // handle to itself or to a sharer of the same counter keeps it alive.
    CVXLSharedCount& operator=(const CVXLSharedCount& other);
    ~CVXLSharedCount() override;

    std::uint32_t useCount() const;
    // Leaves the sharers and takes a fresh counter of 0; nothing when alone.
    void detach();

    bool sharesWith(const CVXLSharedCount& other) const { return counter_ && counter_ == other.counter_; }

private:
    struct Counter;

    void release();
    // The counter, made when a second handle first shares it.
    Counter* shared() const;

    // Null while the handle has never been shared (or when the heap refused
    // a counter); such a handle counts as alone.
    mutable Counter* counter_ = nullptr;
};
