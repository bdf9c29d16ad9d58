#pragma once

#include "platform/ui/Bitmap.h"

#include <string>

// Writes a bitmap as an RGB PNG (libpng), whole under a name beside the
// target, then renamed over it; false, with nothing left behind, on failure.
namespace tessel::ui {

bool writePng(const std::string& path, const Bitmap& bitmap);

} // namespace tessel::ui
