#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLSharedCount.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// A header collection: each name holds an ordered list of values, and each
// value may carry a parameter collection (those of a content type, say).
// Names keep their insertion order. Handles share one body; readers never
// copy it, and add, remove and setValueObject first give this handle a
// private copy when others share it. clear empties the shared body for every
// handle. Names compare exactly unless a reader asks to ignore case.
class CVXLHeaderMap : public CVXLObject {
public:
    CVXLHeaderMap();
    CVXLHeaderMap(const CVXLHeaderMap& other);
    CVXLHeaderMap& operator=(const CVXLHeaderMap& other);
    ~CVXLHeaderMap() override;

    std::uint32_t nameCount() const;
    // "" when out of range.
    CVXLString nameAt(int index) const;
    std::uint32_t valueCount(const CVXLString& name) const;
    bool contains(const CVXLString& name, bool ignoreCase = false) const;
    // The stored text, or an empty string when the name or index is absent.
    const CVXLString& value(const CVXLString& name, int index = 0, bool ignoreCase = false) const;
    // The value's parameter collection, or null.
    CVXLHeaderMap* valueObject(const CVXLString& name, int index) const;

    // Duplicate values stay. False when the heap refuses.
    bool add(const CVXLString& name, const CVXLString& text);
    // Removes the name with all its values and their parameters.
    bool remove(const CVXLString& name);
    // The value takes ownership of a heap object, deleting its old one. False
    // when the name or index is absent; the object then stays the caller's.
    bool setValueObject(const CVXLString& name, int index, CVXLHeaderMap* object);
    void clear();

    bool sharesBodyWith(const CVXLHeaderMap& other) const { return body_ && body_ == other.body_; }

private:
    class Body;
    class Entry;

    bool makePrivate();
    void releaseBody();

    // Null until first needed (or when the heap refused one).
    mutable Body* body_;
    CVXLSharedCount count_;
};
