#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLStringMap;

// Position among the pairs of a string map; never steps past the count.
class CVXLIndexIterator : public CVXLObject {
public:
    CVXLIndexIterator(const CVXLStringMap* map, std::uint32_t index = 0);
    CVXLIndexIterator(const CVXLIndexIterator& other) = default;
    CVXLIndexIterator& operator=(const CVXLIndexIterator& other) = default;

    virtual void first();
    virtual void next();
    virtual bool atEnd() const;
    // The pair's value, null at the end.
    virtual CVXLObject* value() const;
    virtual CVXLIndexIterator& advance();

    // A copy of the pair's key, "" at the end.
    CVXLString key() const;
    std::uint32_t index() const { return index_; }
    // Compares positions only.
    bool operator!=(const CVXLIndexIterator& other) const { return index_ != other.index_; }

private:
    std::uint32_t count() const;

    const CVXLStringMap* map_;
    std::uint32_t index_;
};
