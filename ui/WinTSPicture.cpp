#include "ui/WinTSPicture.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/media/Image.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

std::optional<tessel::ui::Bitmap> LoadPictureScaled(const std::uint8_t* data, std::size_t size, int width,
    int height, bool fill, tessel::ui::Color background, int margin)
{
    if (!data || size == 0 || width <= 0 || height <= 0 || margin < 0)
        return std::nullopt;
    auto image = tessel::media::Image::fromBuffer(data, size);
    if (!image)
        return std::nullopt;
    const std::int64_t w = image->width();
    const std::int64_t h = image->height();
    if (w <= 0 || h <= 0)
        return std::nullopt;
    const std::int64_t boxW = width;
    const std::int64_t boxH = height;
    const std::int64_t usableW = boxW - 2 * margin;
    const std::int64_t usableH = boxH - 2 * margin;
    std::int64_t targetW;
    std::int64_t targetH;
    if (!fill) {
        const std::int64_t p = std::min(boxW * 100 / w, boxH * 100 / h);
        targetW = w * p / 100 - 2 * margin;
        targetH = h * p / 100 - 2 * margin;
    } else if (h < w) {
        const std::int64_t p = boxH * 100 / h;
        targetW = w * p / 100 - 2 * margin;
        targetH = boxH - 2 * margin;
    } else {
        const std::int64_t p = boxW * 100 / w;
        targetW = boxW - 2 * margin;
        targetH = h * p / 100 - 2 * margin;
    }
    targetW = std::min(targetW, usableW);
    targetH = std::min(targetH, usableH);
    if (targetW <= 0 || targetH <= 0)
        return std::nullopt;
    auto thumb = image->thumbnail(static_cast<int>(targetW), static_cast<int>(targetH));
    if (!thumb)
        return std::nullopt;
    if (!fill || (thumb->width() == width && thumb->height() == height))
        return thumb;
    tessel::ui::Bitmap boxed(width, height, tessel::ui::opaque(background));
    const int left = (width - thumb->width()) / 2;
    const int top = (height - thumb->height()) / 2;
    for (int y = 0; y < thumb->height(); ++y) {
        for (int x = 0; x < thumb->width(); ++x)
            boxed.setPixel(left + x, top + y, thumb->pixel(x, y));
    }
    return boxed;
}

std::optional<tessel::ui::Bitmap> LoadPictureFile(
    const std::u16string& path, int width, int height, bool fill, tessel::ui::Color background, int margin)
{
    std::string host;
    if (!tessel::kernel::mapPhonePath(tessel::kernel::wideToUtf8(path), &host))
        return std::nullopt;
    // A folder opens as a stream whose first read throws.
    std::error_code error;
    if (!std::filesystem::is_regular_file(host, error))
        return std::nullopt;
    std::ifstream in(host, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::vector<std::uint8_t> bytes(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty())
        return std::nullopt;
    return LoadPictureScaled(bytes.data(), bytes.size(), width, height, fill, background, margin);
}
