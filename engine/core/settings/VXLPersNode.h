#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringMap.h"

#include <cstdint>

class CVXLPersLeaf;

// One component of a settings key. A node owns its children (kept in the
// order they were created, names compared exactly) and is used either as a
// leaf or as a branch, never as both.
class CVXLPersNode : public CVXLObject {
public:
    explicit CVXLPersNode(const CVXLString& name);
    ~CVXLPersNode() override;

    // Copies the value into out: 1, or 0 when the node holds none.
    virtual int get(CVXLString* out) const = 0;
    // Appends a CVXLPersPair for every leaf of this subtree that lies on the
    // path (components separated by "."); an empty path takes every leaf.
    virtual void collect(const CVXLString& path, const CVXLString& prefix, CVXLPtrArray* pairs) const;
    virtual CVXLPersLeaf* asLeaf() { return nullptr; }

    const CVXLString& name() const { return name_; }
    CVXLStringMap& children() { return children_; }
    const CVXLStringMap& children() const { return children_; }
    CVXLPersNode* child(const CVXLString& name) const;
    // Deletes the whole subtree below this node.
    void removeChildren();

private:
    CVXLString name_;
    CVXLStringMap children_;
};
