#include "platform/ui/Bitmap.h"

#include <algorithm>

namespace tessel::ui {

Rect Rect::intersect(const Rect& o) const
{
    Rect r {
        std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    if (r.empty())
        return Rect {};
    return r;
}

Bitmap::Bitmap(int width, int height, Color fill)
{
    if (width <= 0 || height <= 0)
        return;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * height, fill);
}

Color Bitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Bitmap::setPixel(int x, int y, Color color)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    pixels_[static_cast<std::size_t>(y) * width_ + x] = color;
}

void Bitmap::blend(int x, int y, Color color, unsigned coverage)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage == 0)
        return;
    Color& p = pixels_[static_cast<std::size_t>(y) * width_ + x];
    if (coverage >= 255) {
        p = opaque(color);
        return;
    }
    auto mix = [&](unsigned under, unsigned over) {
        return (over * coverage + under * (255 - coverage) + 127) / 255;
    };
    const unsigned a = std::max(alpha(p), coverage);
    p = mix(red(p), red(color)) | mix(green(p), green(color)) << 8 | mix(blue(p), blue(color)) << 16
        | a << 24;
}

void Bitmap::fill(const Rect& rect, Color color)
{
    const Rect r = rect.intersect(bounds());
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(row(y) + r.left, row(y) + r.right, color);
}

} // namespace tessel::ui
