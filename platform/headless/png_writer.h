// PNG files of bitmaps through libpng: 8 bits a channel, RGB for an opaque bitmap, RGBA (alpha
// not premultiplied, as PNG stores it) for a premultiplied one. Thread-safe.
#pragma once

#include <string>

#include "platform/headless/bitmap.h"

namespace platform {

// The PNG file of bitmap, in memory. Raises std::runtime_error for a null bitmap or when libpng
// fails.
std::string encodePng(const Bitmap& bitmap);

} // namespace platform
