#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringMap.h"

// Name to string; the map owns heap copies of the values.
class CVXLPropertyMap : public CVXLObject {
public:
    CVXLPropertyMap() = default;
    ~CVXLPropertyMap() override;

    // A copy of the stored string, or "" for an absent name.
    CVXLString get(const CVXLString& name) const;
    // Stores a copy of the text: a name already present keeps its string
    // object, which takes the text over. False, with the old string kept,
    // when the heap refuses.
    bool set(const CVXLString& name, const CVXLString& text);
    // Deletes values and keys.
    void clear();

    // Lookups and replacements ignore ASCII letter case (header maps).
    void setCaseInsensitive(bool flag) { map_.setCaseInsensitive(flag); }

    // Values are the stored CVXLString objects.
    CVXLIndexIterator begin() const { return map_.begin(); }
    CVXLIndexIterator end() const { return map_.end(); }

private:
    CVXLStringMap map_;
};
