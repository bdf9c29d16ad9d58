#include "platform/ui/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace tessel::ui {

namespace {

void pngFail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void pngQuiet(png_structp, png_const_charp)
{
}

bool encode(std::FILE* file, const Bitmap& bitmap, std::vector<png_byte>* row)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFail, pngQuiet);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.width()),
        static_cast<png_uint_32>(bitmap.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < bitmap.height(); ++y) {
        const Color* src = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x) {
            (*row)[3 * x] = static_cast<png_byte>(red(src[x]));
            (*row)[3 * x + 1] = static_cast<png_byte>(green(src[x]));
            (*row)[3 * x + 2] = static_cast<png_byte>(blue(src[x]));
        }
        png_write_row(png, row->data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(const std::string& path, const Bitmap& bitmap)
{
    if (bitmap.empty())
        return false;
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return false;
    std::vector<png_byte> row(static_cast<std::size_t>(bitmap.width()) * 3);
    bool ok = encode(file, bitmap, &row);
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace tessel::ui
