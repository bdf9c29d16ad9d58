#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"

#include <cstdint>

// One addressee of a message or a contact list: what kind of address it is,
// the address and the name shown for it.
class CVXLAddressee : public CVXLObject {
public:
    enum Kind : std::int32_t { kEmail = 0, kPhone = 1, kOther = 2 };

    CVXLAddressee() = default;
    CVXLAddressee(std::int32_t kind, const CVXLString& address, const CVXLString& displayName);

    // 0 with an "@" after the first character; else 1 for digits and "-"
    // only, or a leading "+"; else 2 (also for an empty text).
    static std::int32_t kindOf(const CVXLString& text);
    // The non-empty entries of a list separated by ";", appended in order.
    static void splitList(const CVXLString& list, CVXLStringArray& entries);

    void set(std::int32_t kind, const CVXLString& address, const CVXLString& displayName)
    {
        kind_ = kind;
        address_ = address;
        displayName_ = displayName;
    }
    std::int32_t kind() const { return kind_; }
    const CVXLString& address() const { return address_; }
    const CVXLString& displayName() const { return displayName_; }
    std::int32_t value() const { return value_; }
    void setValue(std::int32_t value) { value_ = value; }

private:
    std::int32_t kind_ = kOther;
    CVXLString address_;
    CVXLString displayName_;
    std::int32_t value_ = 0;
};
