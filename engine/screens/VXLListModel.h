#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/screens/VXLWindowedList.h"

#include <cstdint>

class CVXLElement;

// A windowed list with the items of its window: one element pointer per
// window position (absolute index - first). The items belong to whoever
// made them; the model only refers to them. Every store is checked against
// the window, so an index outside it never reaches the array.
class CVXLListModel : public CVXLWindowedList {
public:
    // A window longer than this (a configuration item says how long) is
    // taken as this long: every position of a window is an array slot.
    static constexpr std::int32_t kMaxWindowLength = 1000;
    // The length clamped to 0..kMaxWindowLength.
    static std::int32_t boundedLength(std::int32_t length)
    {
        return length < 0 ? 0 : (length > kMaxWindowLength ? kMaxWindowLength : length);
    }

    CVXLListModel() = default;
    CVXLListModel(const CVXLListModel&) = delete;
    CVXLListModel& operator=(const CVXLListModel&) = delete;
    ~CVXLListModel() override = default;

    // Sets the valid flag (the commit mark) of every item.
    virtual void applyToAll(std::uint8_t value);

    // Drops every item pointer, then makes every window position exist empty.
    void clear();
    // 1 when the index is in the window and the item was stored there.
    int insertAt(CVXLElement* item, std::int32_t absolute);
    // As insertAt, false outside the window.
    bool setAtPosition(CVXLElement* item, std::int32_t absolute);
    bool hasItemAt(std::int32_t absolute) const;
    // Null unless hasItemAt.
    CVXLElement* itemAt(std::int32_t absolute) const;
    // As itemAt, and the item's index word becomes the index.
    CVXLElement* selectAt(std::int32_t absolute);
    // Both values set and committed.
    void setWindow(std::int32_t first, std::int32_t length);
    void scroll(std::int32_t n);
    // The window moves back by up to n (never below index 0) and every item
    // moves up by as much, so each keeps its absolute index; items pushed
    // past the window's end drop out. A negative n changes nothing.
    void shiftDown(std::int32_t n);
    std::int32_t lastIndexPlusOne() const { return static_cast<std::int32_t>(items_.count()); }
    std::uint32_t slotCount() const { return items_.count(); }

private:
    bool store(CVXLElement* item, std::int32_t absolute);

    CVXLPtrArray items_;
};
