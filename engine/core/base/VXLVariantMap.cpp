#include "engine/core/base/VXLVariantMap.h"

CVXLVariantMap::CVXLVariantMap(std::uint32_t reserveCount)
    : CVXLStringMap(reserveCount)
{
}

CVXLVariantMap::~CVXLVariantMap()
{
    removeAll(true);
}

void CVXLVariantMap::clear()
{
    removeAll(true);
}

bool CVXLVariantMap::set(const CVXLString& name, const CVXLVariant& value)
{
    auto* copy = new CVXLVariant(value);
    if (!copy)
        return false;
    CVXLObject* old = find(name);
    if (!CVXLStringMap::set(name, copy)) {
        delete copy;
        return false;
    }
    delete old;
    return true;
}

CVXLVariant CVXLVariantMap::get(const CVXLString& name) const
{
    const auto* stored = static_cast<const CVXLVariant*>(find(name));
    return stored ? *stored : CVXLVariant(0);
}
