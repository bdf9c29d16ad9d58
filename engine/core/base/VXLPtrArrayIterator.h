#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

class CVXLPtrArray;

// Position in a CVXLPtrArray. Past either end current() is null and atEnd()
// is true; stepping back from index 0 wraps the index, which also ends.
class CVXLPtrArrayIterator : public CVXLObject {
public:
    CVXLPtrArrayIterator(const CVXLPtrArray* array, std::uint32_t index);

    virtual void first();
    virtual void next();
    virtual bool atEnd() const;
    virtual CVXLObject* current() const;
    virtual CVXLPtrArrayIterator& advance();
    virtual void last();
    virtual void previous();
    virtual CVXLObject* deref() const;
    virtual CVXLPtrArrayIterator& retreat();
    virtual bool equals(const CVXLPtrArrayIterator& other) const;
    virtual bool operator!=(const CVXLPtrArrayIterator& other) const;

    std::uint32_t index() const { return index_; }

private:
    const CVXLPtrArray* array_;
    std::uint32_t index_;
};
