// PNG files of bitmaps through libpng: 8 bits a channel, RGB for an opaque bitmap, RGBA (alpha
// not premultiplied, as PNG stores it) for a premultiplied one, and text chunks. Thread-safe.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/bitmap.h"

namespace platform {

// A text chunk: a keyword of 1 to 79 Latin-1 characters and its text.
struct PngText {
    std::string key;
    std::string text;
};

// The PNG file of bitmap, in memory, with texts as uncompressed text chunks before the picture.
// Raises std::runtime_error for a null bitmap or when libpng fails (a keyword it refuses).
std::string encodePng(const Bitmap& bitmap, const std::vector<PngText>& texts = {});

} // namespace platform
