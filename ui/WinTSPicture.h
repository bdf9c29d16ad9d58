#pragma once

#include "platform/ui/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Pictures for the screens, scaled into a box of width by height less a
// margin on every side. Without "fill" the picture keeps its proportions
// inside the box; with it the picture spans the box's height (a landscape
// one) or width (any other) and is centred on a box-sized bitmap of the
// background colour. No bitmap for data that is no picture, a picture or a
// box without area, or a margin that leaves nothing.
std::optional<tessel::ui::Bitmap> LoadPictureScaled(const std::uint8_t* data, std::size_t size, int width,
    int height, bool fill, tessel::ui::Color background, int margin);
// The same from a file (a phone path); an empty or unreadable file gives none.
std::optional<tessel::ui::Bitmap> LoadPictureFile(
    const std::u16string& path, int width, int height, bool fill, tessel::ui::Color background, int margin);
