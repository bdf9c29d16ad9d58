#pragma once

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLValueBase.h"

#include <cstdint>

// Identifies one media item: a number and two texts. Stored as the number
// (32-bit little-endian), then the second text, then the first.
class CVXLMediaIdentity : public CVXLValueBase {
public:
    CVXLMediaIdentity() = default;
    CVXLMediaIdentity(std::int32_t number, const CVXLString& first, const CVXLString& second)
        : number_(number)
        , first_(first)
        , second_(second)
    {
    }

    std::int32_t number() const { return number_; }
    const CVXLString& first() const { return first_; }
    const CVXLString& second() const { return second_; }

    bool save(CVXLByteStream& out) const;
    // Leaves the identity unchanged when the stream runs out (its bad flag tells).
    bool load(CVXLByteStream& in);

    bool operator==(const CVXLMediaIdentity& other) const;
    bool operator!=(const CVXLMediaIdentity& other) const { return !(*this == other); }

private:
    std::int32_t number_ = 0;
    CVXLString first_;
    CVXLString second_;
};
