// Reads the input as a picture. A picture given is never larger than the
// limit at its smallest decoding; a bitmap has the picture's size, a
// thumbnail exactly the size asked, whatever the bytes.
#include "platform/media/Image.h"

#include <cstddef>
#include <cstdint>

namespace {

// Whole bitmaps of larger pictures are not asked for: one that really has
// its rows would fill hundreds of megabytes per input. Thumbnails are asked
// of every picture the library takes, up to its limit: they never hold the
// whole picture, and a header announcing a huge one costs nothing.
constexpr std::uint64_t kMaxFuzzBitmapPixels = 4'000'000;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using tessel::media::Image;
    const auto image = Image::fromBuffer(data, size);
    if (!image)
        return 0;
    const std::uint64_t w = static_cast<std::uint64_t>(image->width());
    const std::uint64_t h = static_cast<std::uint64_t>(image->height());
    check(w > 0 && h > 0);
    check(((w + 7) / 8) * ((h + 7) / 8) <= tessel::media::kMaxDecodedPixels);
    if (const auto thumb = image->thumbnail(16, 12))
        check(thumb->width() == 16 && thumb->height() == 12);
    if (w * h > kMaxFuzzBitmapPixels)
        return 0;
    if (const auto bitmap = image->bitmap())
        check(static_cast<std::uint64_t>(bitmap->width()) == w
            && static_cast<std::uint64_t>(bitmap->height()) == h);
    return 0;
}
