#pragma once

#include "platform/ui/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A picture from a buffer (JPEG, PNG or GIF; the first frame of a GIF):
// its size from the header, the whole bitmap, or a thumbnail of an exact
// size. Pictures come from outside: any decoder error gives no image, a
// picture that would decode to more than kMaxDecodedPixels is refused from
// its header, the bitmap is made only once a first row has arrived, and
// truncated data gives the rows that arrived (the rest transparent) or
// none. A thumbnail takes the rows as they are decoded (a JPEG at its DCT
// scale) and never holds the whole picture, but for an interlaced PNG. A
// JPEG with more scans than a camera writes, or needing more working memory
// than a picture of a camera, is refused.
namespace tessel::media {

inline constexpr std::uint64_t kMaxDecodedPixels = 64'000'000;

enum class ImageFormat { Jpeg, Png, Gif };

class RowSink;
class WholeSink;

class Image {
public:
    // Null when the bytes are no picture of a known format, the header is
    // damaged or the picture is too large even at its smallest decoding.
    // The bytes are copied.
    static std::unique_ptr<Image> fromBuffer(const std::uint8_t* data, std::size_t size);

    ImageFormat format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The whole picture; none when too large or undecodable.
    std::optional<ui::Bitmap> bitmap() const;
    // Exactly width by height (each at least 1): a JPEG decodes at the
    // smallest DCT scale not below that size, then is filtered to it.
    std::optional<ui::Bitmap> thumbnail(int width, int height) const;

private:
    Image() = default;
    std::optional<ui::Bitmap> decode(int scaleEighths) const;
    bool decodeInto(int scaleEighths, RowSink& sink, WholeSink* whole) const;

    ImageFormat format_ = ImageFormat::Png;
    int width_ = 0;
    int height_ = 0;
    bool progressive_ = false;
    std::vector<std::uint8_t> data_;
};

// Area-average filter of a bitmap to exactly width by height.
ui::Bitmap resample(const ui::Bitmap& source, int width, int height);

// The smallest JPEG DCT scale (n/8, n from 1 to 8) whose size is not
// below the target on either side.
int jpegScaleFor(int width, int height, int targetWidth, int targetHeight);

} // namespace tessel::media
