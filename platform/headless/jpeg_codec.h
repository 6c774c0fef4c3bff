// JPEG pictures as Bitmaps through libjpeg-turbo: decoding, at full size or DCT-reduced towards a
// box, and encoding as a colour baseline JPEG. Greyscale and CMYK pictures come out as RGB, every
// picture upright.
// Thread-safe (no shared state).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/headless/bitmap.h"
#include "platform/jpeg/jpeg_error.h"

namespace platform {

// Where the JPEG is read from: bytes in memory, or an open file from its current position (read
// as it is decoded, never whole).
struct JpegInput {
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::FILE* file = nullptr;
};

// What the header of a decoded picture told: its own size as stored, and the EXIF orientation
// (upright.h) its pixels were turned by, 1 when it has none.
struct JpegHeader {
    int width = 0;
    int height = 0;
    int orientation = 1;
};

// Decodes the picture, drawn upright as its EXIF orientation says. With fitWidth and fitHeight
// above 0 (a box for the upright picture) the decoder uses the largest DCT reduction (1/2, 1/4,
// 1/8) that still leaves the picture at least as large as that box in one dimension of the fit.
// A picture larger than MaxDecodedBytes is refused before anything is allocated for it; a stream
// that ends early keeps the rows decoded so far. header, when given, gets what the header told.
// Raises EJpegError(errorPrefix + the problem).
Bitmap decodeJpegBitmap(const JpegInput& input, int fitWidth = 0, int fitHeight = 0,
                        const std::string& errorPrefix = {}, JpegHeader* header = nullptr);
// A colour baseline JPEG of quality 1..100 (clamped). Raises EJpegError for a null bitmap.
std::string encodeJpegBitmap(const Bitmap& bitmap, int quality = 90);

} // namespace platform
