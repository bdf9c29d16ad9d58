#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

// One key and value of a settings image, as the save writes them.
class CVXLPersPair : public CVXLObject {
public:
    CVXLPersPair(const CVXLString& key, const CVXLString& value)
        : key(key)
        , value(value)
    {
    }

    CVXLString key;
    CVXLString value;
};
