#pragma once

#include <cstdint>

// One row of the static main-menu table: which menu shows the entry, its
// caption (an engine text id), and the entry's type, origin and action.
struct VXLMenuRow {
    std::int32_t action;
    std::int32_t menuId;
    std::uint32_t textId;
    std::int32_t origin;
    std::int32_t entryType;
};

inline constexpr std::uint32_t kVxlMenuTableRows = 25;
extern const VXLMenuRow kVxlMenuTable[kVxlMenuTableRows];

// Menus whose stored entries follow the static rows.
inline constexpr std::int32_t kMenuPictures = 0;
inline constexpr std::int32_t kMenuFavorites = 13;
inline constexpr std::int32_t kMenuFun = 15;
// The first menu links of the pictures menu, with actions 31 onward.
inline constexpr std::uint32_t kMenuLinkActionCount = 5;
inline constexpr std::int32_t kMenuFirstLinkAction = 31;
