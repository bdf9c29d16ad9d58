#include "engine/core/settings/VXLPersLeaf.h"

#include "engine/core/settings/VXLPersPair.h"

int CVXLPersLeaf::get(CVXLString* out) const
{
    if (!out)
        return 0;
    *out = value_;
    return 1;
}

void CVXLPersLeaf::collect(const CVXLString& path, const CVXLString& prefix, CVXLPtrArray* pairs) const
{
    // A path that goes on below a leaf names nothing.
    if (path.length() > 0 || !pairs)
        return;
    CVXLString key = prefix;
    key += ".";
    key += name();
    auto* pair = new CVXLPersPair(key, value_);
    if (pair && !pairs->insertAt(pair, -1))
        delete pair;
}

int CVXLPersLeaf::set(const CVXLString& value, std::int32_t lock)
{
    if (lock_)
        return 0;
    value_ = value;
    lock_ = lock ? 1 : 0;
    return 1;
}
