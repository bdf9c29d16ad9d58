#include "tests/support/JpegFixture.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

std::string testJpeg(int width, int height, int components, int quality,
    const std::function<void(unsigned y, unsigned char* row)>& fill)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * components);
    while (info.next_scanline < info.image_height) {
        fill(info.next_scanline, row.data());
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<char*>(out), size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}
