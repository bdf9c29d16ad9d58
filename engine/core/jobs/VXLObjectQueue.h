#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

// Objects in insertion order. The queue does not own them: destroying it
// leaves the objects alone.
class CVXLObjectQueue : public CVXLObject {
public:
    // 1, or 0 when the heap refuses a node.
    int append(CVXLObject* object) { return list_.append(object); }
    // Removes and returns the head object; null when empty.
    CVXLObject* popFront();
    // Takes the object out of the queue, wherever it stands; 1, or 0 when
    // absent. The object itself is left alone.
    int remove(const CVXLObject* object) { return list_.remove(object); }
    // The head object without removing it; null when empty.
    CVXLObject* front() const { return list_.head() ? list_.head()->object : nullptr; }
    std::uint32_t count() const { return list_.count(); }
    CVXLListIterator begin() const { return list_.begin(); }

private:
    CVXLList list_;
};
