#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLValueBase.h"

#include <cstdint>

// A packed media location: the low 16 bits are a location kind, the high 16
// bits a store id (kinds 3 and 4 only; kind 5 stands for store 1).
inline constexpr std::uint32_t kLocationKindStoreKind1 = 3;
inline constexpr std::uint32_t kLocationKindStoreKind2 = 4;
inline constexpr std::uint32_t kLocationKindFirstStore = 5;
inline constexpr std::uint32_t kLocationKindNoStore = 6;
// The store kind of an id the media store manager does not know.
inline constexpr int kStoreKindUnknown = -1;

// The packed location of a store, given the kind the media store manager
// reports for it: (id << 16) + 3 for kind 1, + 4 for kind 2, id << 16 for
// other kinds, 0 for an unknown store.
std::uint32_t vxlPackLocation(std::uint16_t storeId, int storeKind);
std::uint32_t vxlLocationKind(std::uint32_t packed);
std::uint16_t vxlLocationStoreId(std::uint32_t packed);
// 1 gives kind 5, 0 gives kind 6, anything else 0.
std::uint32_t vxlLocationKindForFlag(std::uint32_t value);

// Where media lives: a store by number, or a place by name.
class CVXLMediaLocation : public CVXLValueBase {
public:
    CVXLMediaLocation() = default;
    // By number: the store id decoded from the packed location.
    explicit CVXLMediaLocation(std::uint32_t packed);

    bool byNumber() const { return byNumber_; }
    void setByNumber(bool byNumber) { byNumber_ = byNumber; }
    bool secondFlag() const { return secondFlag_; }
    void setSecondFlag(bool flag) { secondFlag_ = flag; }
    const CVXLString& name() const { return name_; }
    void setName(const CVXLString& name) { name_ = name; }
    std::int32_t number() const { return number_; }
    void setNumber(std::int32_t number) { number_ = number; }

private:
    bool byNumber_ = false;
    bool secondFlag_ = false;
    CVXLString name_;
    std::int32_t number_ = 0;
};
