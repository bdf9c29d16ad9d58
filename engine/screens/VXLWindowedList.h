#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/jobs/VXLChangeCounter.h"

#include <cstdint>

// The part of a long list that a screen holds: a window of `length`
// positions from the absolute index `first`, both tracked so the job sees
// when the user interface moved the window, and a cursor that walks the
// window's positions (-1 when it points nowhere). With stop-at-end clear,
// walking past the last position pages the window on.
class CVXLWindowedList : public CVXLObject {
public:
    static constexpr std::int32_t kNone = -1;

    CVXLWindowedList();
    CVXLWindowedList(const CVXLWindowedList&) = default;
    CVXLWindowedList& operator=(const CVXLWindowedList&) = default;
    ~CVXLWindowedList() override = default;

    virtual void setLength(std::int32_t length) { length_.set(length); }
    virtual void setFirst(std::int32_t first) { first_.set(first); }
    // Stores the cursor as given, no range check.
    virtual CVXLWindowedList& setCursor(std::int32_t cursor);

    std::int32_t length() const { return length_.changeCount(); }
    std::int32_t first() const { return first_.changeCount(); }
    std::int32_t cursor() const { return cursor_; }
    bool isChanged() const { return length_.changed() || first_.changed(); }
    void commit();
    // The previous flag.
    std::uint8_t setStopAtEnd(std::uint8_t stop);
    bool stopAtEnd() const { return stopAtEnd_ != 0; }

    bool hasCursor() const { return cursor_ != kNone; }
    std::int32_t cursorAbsolute() const { return first() + cursor_; }
    std::int32_t relativeIndex(std::int32_t absolute) const { return absolute - first(); }
    bool inWindow(std::int32_t absolute) const;
    void rewind();
    void cursorToLast();
    void advance();
    // Iterator style: the state before, then this list advanced.
    CVXLWindowedList postIncrement();

private:
    CVXLChangeCounter length_ {-1};
    CVXLChangeCounter first_ {-1};
    std::int32_t cursor_ = kNone;
    std::uint8_t stopAtEnd_ = 1;
};
