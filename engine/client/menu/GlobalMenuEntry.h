#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// One entry of the global menu: what the user interface shows (its caption
// and entry type) and what running it does (its action). Entries of types 0
// and 3 carry nothing more; the other types are subclasses.
class CGlobalMenuEntry : public CVXLObject {
public:
    enum Origin : std::int32_t {
        kOriginTable = 1,
        kOriginStored = 2,
    };

    CGlobalMenuEntry(std::int32_t type, const CVXLString& caption, std::int32_t origin, std::int32_t action)
        : type_(type)
        , caption_(caption)
        , origin_(origin)
        , action_(action)
    {
    }
    CGlobalMenuEntry(const CGlobalMenuEntry&) = delete;
    CGlobalMenuEntry& operator=(const CGlobalMenuEntry&) = delete;
    ~CGlobalMenuEntry() override = default;

    std::int32_t getMenuEntryType() const { return type_; }
    const CVXLString& caption() const { return caption_; }
    std::int32_t origin() const { return origin_; }
    std::int32_t action() const { return action_; }

private:
    std::int32_t type_;
    CVXLString caption_;
    std::int32_t origin_;
    std::int32_t action_;
};
