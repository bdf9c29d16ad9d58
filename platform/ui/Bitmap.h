#pragma once

#include <cstdint>
#include <vector>

// An RGBA bitmap of our own. A colour is the phone's colour reference
// (0x00BBGGRR) with alpha in the top byte, so in memory a pixel reads R, G,
// B, A. Pixels outside the bitmap are never touched: reads give 0, writes
// are dropped.
namespace tessel::ui {

using Color = std::uint32_t;

constexpr Color rgb(unsigned r, unsigned g, unsigned b)
{
    return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16 | 0xFF000000u;
}
constexpr unsigned red(Color c)
{
    return c & 0xFF;
}
constexpr unsigned green(Color c)
{
    return (c >> 8) & 0xFF;
}
constexpr unsigned blue(Color c)
{
    return (c >> 16) & 0xFF;
}
constexpr unsigned alpha(Color c)
{
    return c >> 24;
}
// The colour without its alpha, as a colour reference compares.
constexpr Color colorRef(Color c)
{
    return c & 0x00FFFFFF;
}
constexpr Color opaque(Color c)
{
    return c | 0xFF000000u;
}

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect intersect(const Rect& o) const;
    bool operator==(const Rect&) const = default;
};

class Bitmap {
public:
    Bitmap() = default;
    // Filled with fill; a negative size gives an empty bitmap.
    Bitmap(int width, int height, Color fill = rgb(0, 0, 0));

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    Rect bounds() const { return Rect {0, 0, width_, height_}; }

    Color pixel(int x, int y) const;
    void setPixel(int x, int y, Color color);
    // Mixes color over the pixel with coverage 0..255.
    void blend(int x, int y, Color color, unsigned coverage);
    void fill(const Rect& rect, Color color);

    std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    bool operator==(const Bitmap&) const = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

} // namespace tessel::ui
