#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// One recipient: its kind, address and display name.
class CVXLAddressee : public CVXLObject {
public:
    static constexpr std::int32_t kDefaultKind = 2;

    CVXLAddressee() = default;
    CVXLAddressee(const CVXLAddressee& other) = default;
    CVXLAddressee& operator=(const CVXLAddressee& other) = default;

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
    std::int32_t kind_ = kDefaultKind;
    CVXLString address_;
    CVXLString displayName_;
    std::int32_t value_ = 0;
};
