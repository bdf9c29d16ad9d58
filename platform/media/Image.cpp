#include "platform/media/Image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>

namespace tessel::media {

namespace {

bool tooLarge(std::uint64_t width, std::uint64_t height);

} // namespace

// Where decoded rows go: a whole bitmap, made when the first row has
// arrived (a header announcing a huge picture with nothing behind it costs
// nothing), or a thumbnail's accumulator, which never holds the picture.
// Rows may come in any order; a row that never comes stays transparent.
class RowSink {
public:
    virtual ~RowSink() = default;
    // The decoded size, before any row; false refuses it.
    virtual bool begin(int width, int height) = 0;
    virtual void row(int y, const std::uint32_t* pixels) = 0;
    virtual bool any() const = 0;
};

class WholeSink : public RowSink {
public:
    bool begin(int width, int height) override
    {
        width_ = width;
        height_ = height;
        return !tooLarge(width, height);
    }
    void row(int y, const std::uint32_t* pixels) override
    {
        if (y < 0 || y >= height_)
            return;
        if (bitmap_.empty())
            bitmap_ = ui::Bitmap(width_, height_, 0);
        std::memcpy(bitmap_.row(y), pixels, static_cast<std::size_t>(width_) * 4);
    }
    bool any() const override { return !bitmap_.empty(); }
    // The bitmap to decode into in place (an interlaced PNG needs its rows
    // between passes); made on the first call.
    std::uint32_t* rowFor(int y)
    {
        if (bitmap_.empty())
            bitmap_ = ui::Bitmap(width_, height_, 0);
        return bitmap_.row(y);
    }
    ui::Bitmap take() { return std::move(bitmap_); }

private:
    int width_ = 0;
    int height_ = 0;
    ui::Bitmap bitmap_;
};

// Area average to the thumbnail's size, one source row at a time.
class ThumbnailSink : public RowSink {
public:
    ThumbnailSink(int width, int height)
        : width_(width)
        , height_(height)
    {
    }
    bool begin(int width, int height) override
    {
        sourceWidth_ = width;
        sourceHeight_ = height;
        if (width <= 0 || height <= 0)
            return false;
        sums_.assign(static_cast<std::size_t>(width_) * height_ * 4, 0.0f);
        across_.assign(static_cast<std::size_t>(width_) * 4, 0.0f);
        // Each thumbnail column: the source pixels it covers and how much.
        spans_.clear();
        firsts_.assign(static_cast<std::size_t>(width_) + 1, 0);
        for (int x = 0; x < width_; ++x) {
            firsts_[x] = spans_.size();
            const double start = static_cast<double>(x) * width / width_;
            const double end = static_cast<double>(x + 1) * width / width_;
            for (int s = static_cast<int>(start); s < width && s < end; ++s) {
                const double w = std::min<double>(s + 1, end) - std::max<double>(s, start);
                if (w > 0)
                    spans_.push_back({s, static_cast<float>(w / (end - start))});
            }
        }
        firsts_[width_] = spans_.size();
        return true;
    }
    void row(int y, const std::uint32_t* pixels) override
    {
        if (y < 0 || y >= sourceHeight_)
            return;
        any_ = true;
        for (int x = 0; x < width_; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (std::size_t i = firsts_[x]; i < firsts_[x + 1]; ++i) {
                const ui::Color c = pixels[spans_[i].source];
                acc[0] += ui::red(c) * spans_[i].weight;
                acc[1] += ui::green(c) * spans_[i].weight;
                acc[2] += ui::blue(c) * spans_[i].weight;
                acc[3] += ui::alpha(c) * spans_[i].weight;
            }
            std::copy(acc, acc + 4, &across_[static_cast<std::size_t>(x) * 4]);
        }
        // The thumbnail rows this source row overlaps, by how much of each.
        const double scale = static_cast<double>(height_) / sourceHeight_;
        const int first = static_cast<int>(y * scale);
        for (int t = first; t < height_; ++t) {
            const double top = std::max<double>(y, t / scale);
            const double bottom = std::min<double>(y + 1, (t + 1) / scale);
            if (bottom <= top)
                break;
            const float w = static_cast<float>((bottom - top) * scale);
            float* out = &sums_[static_cast<std::size_t>(t) * width_ * 4];
            for (int i = 0; i < width_ * 4; ++i)
                out[i] += across_[static_cast<std::size_t>(i)] * w;
        }
    }
    bool any() const override { return any_; }
    ui::Bitmap take() const
    {
        ui::Bitmap out(width_, height_, 0);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const float* v = &sums_[(static_cast<std::size_t>(y) * width_ + x) * 4];
                unsigned c[4];
                for (int k = 0; k < 4; ++k)
                    c[k] = static_cast<unsigned>(std::clamp(v[k] + 0.5f, 0.0f, 255.0f));
                out.setPixel(x, y, c[0] | c[1] << 8 | c[2] << 16 | c[3] << 24);
            }
        }
        return out;
    }

private:
    struct Span {
        int source;
        float weight;
    };
    int width_;
    int height_;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    bool any_ = false;
    std::vector<Span> spans_;
    std::vector<std::size_t> firsts_;
    std::vector<float> across_;
    std::vector<float> sums_;
};

namespace {

// libjpeg's working memory (a progressive picture keeps all its
// coefficients: 15 MB for five megapixels); beyond it the decoder fails
// instead of allocating.
constexpr long kJpegMemoryLimit = 96L * 1024 * 1024;
// A progressive picture of a camera has about ten scans; thousands of empty
// ones only burn time (each walks all the coefficients).
constexpr int kMaxJpegScans = 100;
// The largest ancillary PNG chunk read into memory.
constexpr std::size_t kPngChunkLimit = 8 * 1024 * 1024;

bool tooLarge(std::uint64_t width, std::uint64_t height)
{
    return width == 0 || height == 0 || width * height > kMaxDecodedPixels;
}

// ---- JPEG ----

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool endOfData = false; // the data ran out (libjpeg goes on with grey)
};

void jpegFail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegQuiet(j_common_ptr info, int level)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    if (level < 0 && error->manager.msg_code == JWRN_JPEG_EOF)
        error->endOfData = true;
}

void jpegNoOutput(j_common_ptr)
{
}

// Stops a picture with more scans than any camera writes.
void jpegScanLimit(j_common_ptr info)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > kMaxJpegScans)
        jpegFail(info);
}

struct JpegDecoder {
    jpeg_decompress_struct info {};
    JpegError error {};
    jpeg_progress_mgr progress {};
    // Outside the decoding function's frame, which an error longjmps to.
    std::vector<std::uint32_t> pixels;

    JpegDecoder(const std::uint8_t* data, std::size_t size)
    {
        info.err = jpeg_std_error(&error.manager);
        error.manager.error_exit = jpegFail;
        error.manager.emit_message = jpegQuiet;
        error.manager.output_message = jpegNoOutput;
        jpeg_create_decompress(&info);
        info.mem->max_memory_to_use = kJpegMemoryLimit;
        progress.progress_monitor = jpegScanLimit;
        info.progress = &progress;
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    }
    ~JpegDecoder() { jpeg_destroy_decompress(&info); }
};

// Header facts; false for a damaged header.
bool jpegHeader(JpegDecoder& d, int* width, int* height, bool* progressive)
{
    if (setjmp(d.error.jump))
        return false;
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    *width = static_cast<int>(d.info.image_width);
    *height = static_cast<int>(d.info.image_height);
    *progressive = d.info.progressive_mode != 0;
    return true;
}

void cmykRow(const JSAMPLE* src, std::uint32_t* dst, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x) {
        unsigned c = src[4 * x];
        unsigned m = src[4 * x + 1];
        unsigned y = src[4 * x + 2];
        unsigned k = src[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[x] = ui::rgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Decodes at n/8 into sink; false on an error or a size it refuses. Rows
// after the data ran out are not given (they would be grey).
bool jpegDecode(JpegDecoder& d, int scaleEighths, RowSink& sink)
{
    if (setjmp(d.error.jump))
        return sink.any();
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    d.info.scale_num = static_cast<unsigned>(scaleEighths);
    d.info.scale_denom = 8;
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_calc_output_dimensions(&d.info);
    if (!sink.begin(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height)))
        return false;
    // Adobe's CMYK pictures store the inks inverted.
    const bool inverted = d.info.saw_Adobe_marker != 0;
    jpeg_start_decompress(&d.info);
    // A progressive picture has read all its scans by now: a cut one shows
    // what they hold. A sequential one reads as it goes.
    d.error.endOfData = false;
    const unsigned width = d.info.output_width;
    std::vector<std::uint32_t>& pixels = d.pixels;
    pixels.assign(width, 0);
    JSAMPARRAY line = cmyk
        ? (*d.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.info), JPOOL_IMAGE, width * 4, 1)
        : nullptr;
    while (d.info.output_scanline < d.info.output_height) {
        const int y = static_cast<int>(d.info.output_scanline);
        if (cmyk) {
            jpeg_read_scanlines(&d.info, line, 1);
            cmykRow(line[0], pixels.data(), width, inverted);
        } else {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels.data());
            jpeg_read_scanlines(&d.info, &row, 1);
        }
        sink.row(y, pixels.data());
        if (d.error.endOfData)
            return true;
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// ---- PNG ----

struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
};

void pngRead(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->offset)
        png_error(png, "truncated");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

void pngQuiet(png_structp, png_const_charp)
{
}

void pngFail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

struct PngDecoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source;
    // Outside the decoding function's frame, which an error longjmps to.
    std::vector<std::uint32_t> pixels;

    PngDecoder(const std::uint8_t* data, std::size_t size)
        : source {data, size, 0}
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFail, pngQuiet);
        if (png)
            info = png_create_info_struct(png);
        if (info) {
            png_set_read_fn(png, &source, pngRead);
            png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
            png_set_chunk_malloc_max(png, kPngChunkLimit);
        }
    }
    ~PngDecoder() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    bool ready() const { return info != nullptr; }
};

// The size from IHDR; what follows it may be cut or damaged (the decode
// then gives what it can).
bool pngHeader(PngDecoder& d, int* width, int* height)
{
    if (!d.ready())
        return false;
    if (!setjmp(png_jmpbuf(d.png)))
        png_read_info(d.png, d.info);
    *width = static_cast<int>(png_get_image_width(d.png, d.info));
    *height = static_cast<int>(png_get_image_height(d.png, d.info));
    return *width > 0 && *height > 0;
}

// Rows that arrived before an error stay; false when none did. An
// interlaced picture is decoded in place (each pass adds to the rows), so
// it always goes whole.
bool pngDecode(PngDecoder& d, RowSink& sink, WholeSink* whole)
{
    if (!d.ready())
        return false;
    if (setjmp(png_jmpbuf(d.png)))
        return sink.any();
    png_read_info(d.png, d.info);
    const png_uint_32 width = png_get_image_width(d.png, d.info);
    const png_uint_32 height = png_get_image_height(d.png, d.info);
    if (tooLarge(width, height))
        return false;
    png_set_expand(d.png);
    png_set_strip_16(d.png);
    png_set_gray_to_rgb(d.png);
    png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    if (png_get_rowbytes(d.png, d.info) != static_cast<png_size_t>(width) * 4)
        return false;
    if (passes > 1 && !whole)
        return false;
    if (!sink.begin(static_cast<int>(width), static_cast<int>(height)))
        return false;
    std::vector<std::uint32_t>& pixels = d.pixels;
    pixels.assign(width, 0);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            if (passes > 1 && whole->any()) {
                png_read_row(d.png, reinterpret_cast<png_bytep>(whole->rowFor(static_cast<int>(y))), nullptr);
                continue;
            }
            png_read_row(d.png, reinterpret_cast<png_bytep>(pixels.data()), nullptr);
            sink.row(static_cast<int>(y), pixels.data());
        }
    }
    png_read_end(d.png, nullptr);
    return true;
}

// ---- GIF ----

struct GifSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
};

int gifRead(GifFileType* gif, GifByteType* out, int count)
{
    auto* source = static_cast<GifSource*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(
        count < 0 ? 0 : static_cast<std::size_t>(count), source->size - source->offset);
    std::memcpy(out, source->data + source->offset, n);
    source->offset += n;
    return static_cast<int>(n);
}

struct GifDecoder {
    GifSource source;
    GifFileType* gif = nullptr;

    GifDecoder(const std::uint8_t* data, std::size_t size)
        : source {data, size, 0}
    {
        int error = 0;
        gif = DGifOpen(&source, gifRead, &error);
    }
    ~GifDecoder()
    {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

// The first frame over a transparent screen; rows that arrived stay.
bool gifDecode(GifDecoder& d, RowSink& sink)
{
    GifFileType* gif = d.gif;
    if (!gif || tooLarge(gif->SWidth, gif->SHeight))
        return false;
    int transparent = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE)
            return false;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return false;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                transparent = (block[1] & 1) ? block[4] : -1;
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return false;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            return false;
        const GifImageDesc& frame = gif->Image;
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map || frame.Width <= 0 || frame.Height <= 0 || tooLarge(frame.Width, frame.Height))
            return false;
        if (!sink.begin(gif->SWidth, gif->SHeight))
            return false;
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(gif->SWidth), 0);
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        const int passes = frame.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int start = frame.Interlace ? kStart[pass] : 0;
            const int step = frame.Interlace ? kStep[pass] : 1;
            for (int y = start; y < frame.Height; y += step) {
                if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                    return sink.any();
                std::fill(pixels.begin(), pixels.end(), 0u);
                for (int x = 0; x < frame.Width; ++x) {
                    const int index = line[static_cast<std::size_t>(x)];
                    const int at = frame.Left + x;
                    if (index == transparent || index >= map->ColorCount || at < 0 || at >= gif->SWidth)
                        continue;
                    const GifColorType& c = map->Colors[index];
                    pixels[static_cast<std::size_t>(at)] = ui::rgb(c.Red, c.Green, c.Blue);
                }
                sink.row(frame.Top + y, pixels.data());
            }
        }
        return true;
    }
}

} // namespace

int jpegScaleFor(int width, int height, int targetWidth, int targetHeight)
{
    for (int n = 1; n < 8; ++n) {
        const long long w = (static_cast<long long>(width) * n + 7) / 8;
        const long long h = (static_cast<long long>(height) * n + 7) / 8;
        if (w >= targetWidth && h >= targetHeight)
            return n;
    }
    return 8;
}

std::unique_ptr<Image> Image::fromBuffer(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < 8)
        return nullptr;
    std::unique_ptr<Image> image(new Image);
    int width = 0;
    int height = 0;
    if (data[0] == 0xFF && data[1] == 0xD8) {
        image->format_ = ImageFormat::Jpeg;
        JpegDecoder d(data, size);
        if (!jpegHeader(d, &width, &height, &image->progressive_))
            return nullptr;
        // Its smallest decoding is an eighth on each side.
        if (tooLarge(
                (static_cast<std::uint64_t>(width) + 7) / 8, (static_cast<std::uint64_t>(height) + 7) / 8))
            return nullptr;
    } else if (png_sig_cmp(data, 0, 8) == 0) {
        image->format_ = ImageFormat::Png;
        PngDecoder d(data, size);
        if (!pngHeader(d, &width, &height) || tooLarge(width, height))
            return nullptr;
    } else if (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0) {
        image->format_ = ImageFormat::Gif;
        GifDecoder d(data, size);
        if (!d.gif || tooLarge(d.gif->SWidth, d.gif->SHeight))
            return nullptr;
        width = d.gif->SWidth;
        height = d.gif->SHeight;
    } else {
        return nullptr;
    }
    image->width_ = width;
    image->height_ = height;
    image->data_.assign(data, data + size);
    return image;
}

bool Image::decodeInto(int scaleEighths, RowSink& rows, WholeSink* whole) const
{
    switch (format_) {
    case ImageFormat::Jpeg: {
        JpegDecoder d(data_.data(), data_.size());
        return jpegDecode(d, scaleEighths, rows);
    }
    case ImageFormat::Png: {
        PngDecoder d(data_.data(), data_.size());
        return pngDecode(d, rows, whole);
    }
    case ImageFormat::Gif: {
        GifDecoder d(data_.data(), data_.size());
        return gifDecode(d, rows);
    }
    }
    return false;
}

std::optional<ui::Bitmap> Image::decode(int scaleEighths) const
{
    WholeSink whole;
    if (!decodeInto(scaleEighths, whole, &whole) || !whole.any())
        return std::nullopt;
    return whole.take();
}

std::optional<ui::Bitmap> Image::bitmap() const
{
    if (tooLarge(width_, height_))
        return std::nullopt;
    return decode(8);
}

std::optional<ui::Bitmap> Image::thumbnail(int width, int height) const
{
    if (width < 1 || height < 1 || tooLarge(width, height))
        return std::nullopt;
    const int scale = format_ == ImageFormat::Jpeg ? jpegScaleFor(width_, height_, width, height) : 8;
    // Rows go straight into the thumbnail; only an interlaced PNG, which
    // needs its rows between passes, is decoded whole first.
    ThumbnailSink small(width, height);
    if (decodeInto(scale, small, nullptr))
        return small.any() ? std::optional<ui::Bitmap>(small.take()) : std::nullopt;
    if (format_ != ImageFormat::Png || small.any())
        return std::nullopt;
    std::optional<ui::Bitmap> whole = decode(8);
    if (!whole)
        return std::nullopt;
    if (whole->width() == width && whole->height() == height)
        return whole;
    return resample(*whole, width, height);
}

ui::Bitmap resample(const ui::Bitmap& source, int width, int height)
{
    ui::Bitmap out(width, height, 0);
    if (source.empty() || out.empty())
        return out;
    const int sw = source.width();
    const int sh = source.height();
    // Horizontal pass into sums per channel, then vertical.
    std::vector<float> across(static_cast<std::size_t>(width) * sh * 4, 0.0f);
    auto spread = [](int from, int to, int index, auto&& add) {
        const double start = static_cast<double>(index) * from / to;
        const double end = static_cast<double>(index + 1) * from / to;
        const int first = static_cast<int>(start);
        const int last = std::min(from - 1, static_cast<int>(end - 1e-9));
        double total = 0;
        for (int s = first; s <= last; ++s) {
            const double w = std::min<double>(s + 1, end) - std::max<double>(s, start);
            if (w > 0) {
                add(s, w);
                total += w;
            }
        }
        return total;
    };
    for (int y = 0; y < sh; ++y) {
        const auto* row = source.row(y);
        for (int x = 0; x < width; ++x) {
            float* sum = &across[(static_cast<std::size_t>(y) * width + x) * 4];
            double acc[4] = {0, 0, 0, 0};
            const double total = spread(sw, width, x, [&](int s, double w) {
                const ui::Color c = row[s];
                acc[0] += ui::red(c) * w;
                acc[1] += ui::green(c) * w;
                acc[2] += ui::blue(c) * w;
                acc[3] += ui::alpha(c) * w;
            });
            for (int k = 0; k < 4; ++k)
                sum[k] = static_cast<float>(total > 0 ? acc[k] / total : 0);
        }
    }
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            double acc[4] = {0, 0, 0, 0};
            const double total = spread(sh, height, y, [&](int s, double w) {
                const float* v = &across[(static_cast<std::size_t>(s) * width + x) * 4];
                for (int k = 0; k < 4; ++k)
                    acc[k] += v[k] * w;
            });
            unsigned channel[4];
            for (int k = 0; k < 4; ++k)
                channel[k]
                    = static_cast<unsigned>(std::clamp(total > 0 ? acc[k] / total + 0.5 : 0.0, 0.0, 255.0));
            out.setPixel(x, y, channel[0] | channel[1] << 8 | channel[2] << 16 | channel[3] << 24);
        }
    }
    return out;
}

} // namespace tessel::media
