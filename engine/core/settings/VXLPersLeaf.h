#pragma once

#include "engine/core/settings/VXLPersNode.h"

#include <cstdint>

// A settings value. While locked the value cannot be changed; only deleting
// the leaf (removeChildren on an ancestor) frees it.
class CVXLPersLeaf : public CVXLPersNode {
public:
    explicit CVXLPersLeaf(const CVXLString& name)
        : CVXLPersNode(name)
    {
    }

    int get(CVXLString* out) const override;
    void collect(const CVXLString& path, const CVXLString& prefix, CVXLPtrArray* pairs) const override;
    CVXLPersLeaf* asLeaf() override { return this; }
    // 1 stored (the lock argument becomes the new lock), 0 when locked.
    virtual int set(const CVXLString& value, std::int32_t lock);

    const CVXLString& value() const { return value_; }
    bool locked() const { return lock_ != 0; }

private:
    CVXLString value_;
    std::int32_t lock_ = 0;
};
