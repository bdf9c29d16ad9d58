#include "engine/screens/VXLSmilMedia.h"

void CVXLSmilMedia::setParam(const CVXLString& name, const CVXLString& value)
{
    auto* copy = new CVXLString(value);
    if (!copy)
        return;
    CVXLObject* old = params.find(name);
    if (!params.set(name, copy)) {
        delete copy;
        return;
    }
    delete old;
}

const CVXLString* CVXLSmilMedia::param(const CVXLString& name) const
{
    return static_cast<const CVXLString*>(params.find(name));
}
