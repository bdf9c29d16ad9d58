#pragma once

#include <functional>
#include <string>

// A JPEG written with libjpeg, for pictures that ImageMagick's resource
// policy will not make (or a benchmark makes in-process): fill writes row y
// (width * components bytes; 1 grey, 3 RGB).
std::string testJpeg(int width, int height, int components, int quality,
    const std::function<void(unsigned y, unsigned char* row)>& fill);
