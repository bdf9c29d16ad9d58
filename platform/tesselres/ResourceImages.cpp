#include "platform/tesselres/ResourceImages.h"

#include "platform/media/Image.h"

namespace tessel::tesselres {

namespace {

std::string_view png(bool icon, int id)
{
    for (std::size_t i = 0; i < kEmbeddedImageCount; ++i) {
        const EmbeddedImage& image = kEmbeddedImages[i];
        if (image.icon == icon && image.id == id)
            return {reinterpret_cast<const char*>(image.data), image.size};
    }
    return {};
}

std::optional<ui::Bitmap> decode(std::string_view bytes)
{
    if (bytes.empty())
        return std::nullopt;
    auto image = media::Image::fromBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return image ? image->bitmap() : std::nullopt;
}

} // namespace

std::string_view iconPng(int id)
{
    return png(true, id);
}

std::string_view bitmapPng(int id)
{
    return png(false, id);
}

std::optional<ui::Bitmap> loadIcon(int id)
{
    return decode(iconPng(id));
}

std::optional<ui::Bitmap> loadBitmap(int id)
{
    return decode(bitmapPng(id));
}

} // namespace tessel::tesselres
