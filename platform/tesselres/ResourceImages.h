#pragma once

#include "platform/ui/Bitmap.h"

#include <cstddef>
#include <optional>
#include <string_view>

// The resource library's icons and bitmaps: our own pictures, kept as PNG
// files (images/iconN.png, images/bitmapN.png) and built into the library.
namespace tessel::tesselres {

struct EmbeddedImage {
    int id;
    bool icon;
    const unsigned char* data;
    std::size_t size;
};
extern const EmbeddedImage kEmbeddedImages[];
extern const std::size_t kEmbeddedImageCount;

// The PNG bytes of icon or bitmap `id`; empty when there is none.
std::string_view iconPng(int id);
std::string_view bitmapPng(int id);

// Decoded; none when missing.
std::optional<ui::Bitmap> loadIcon(int id);
std::optional<ui::Bitmap> loadBitmap(int id);

} // namespace tessel::tesselres
