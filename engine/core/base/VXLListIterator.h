#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLObject.h"

// Position in a CVXLList: a node, or no node past either end. Stepping or
// reading at the end is harmless: it stays at the end and reads null.
class CVXLListIterator : public CVXLObject {
public:
    CVXLListIterator(const CVXLList* list, const CVXLList::Node* node);

    virtual void first();
    // Follow the links; the new node, null at the end.
    virtual const CVXLList::Node* next();
    virtual bool atEnd() const;
    virtual CVXLObject* current() const;
    virtual CVXLListIterator& advance();
    virtual void last();
    virtual const CVXLList::Node* previous();
    virtual CVXLObject* deref() const;
    virtual CVXLListIterator& retreat();
    virtual bool equals(const CVXLListIterator& other) const;
    virtual bool operator!=(const CVXLListIterator& other) const;

    const CVXLList::Node* node() const { return node_; }

private:
    const CVXLList* list_;
    const CVXLList::Node* node_;
};
