#include "engine/core/base/VXLPropertyMap.h"

CVXLPropertyMap::~CVXLPropertyMap()
{
    map_.removeAll(true);
}

CVXLString CVXLPropertyMap::get(const CVXLString& name) const
{
    const auto* stored = static_cast<const CVXLString*>(map_.find(name));
    return stored ? *stored : CVXLString();
}

bool CVXLPropertyMap::set(const CVXLString& name, const CVXLString& text)
{
    // A stored string takes the text over, in its own block when that has
    // room: nothing is allocated, and the text's block (a reader's buffer,
    // say) is left to its owner rather than shared.
    if (auto* stored = static_cast<CVXLString*>(map_.find(name)))
        return stored->assign(text.c_str(), text.length());
    auto* copy = new CVXLString(text);
    if (!copy)
        return false;
    CVXLObject* old = map_.find(name);
    if (!map_.set(name, copy)) {
        delete copy;
        return false;
    }
    delete old;
    return true;
}

void CVXLPropertyMap::clear()
{
    map_.removeAll(true);
}
