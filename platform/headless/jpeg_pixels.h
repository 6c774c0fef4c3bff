// How libjpeg's samples become Bitmap pixels: the colour space whose samples are 0xFFRRGGBB words
// in memory, and CMYK turned into RGB.
#pragma once

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "platform/headless/bitmap.h"
#include "platform/jpeg/jpeg_guard.h"

namespace platform {

// A pixel 0xFFRRGGBB is, in memory order, B, G, R, X on a little-endian machine.
inline constexpr J_COLOR_SPACE kRgb32Space =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// One row of CMYK samples to pixels. Adobe writes CMYK inverted (a marker tells); others plain.
void cmykToRgb32(const JSAMPLE* cmyk, Rgb* out, unsigned width, bool inverted);

// Makes bitmap width x height for a guarded step's output, or ends the step with "Picture too
// large" when there is no memory for it.
void allocateOrFail(j_common_ptr cinfo, Bitmap& bitmap, JDIMENSION width, JDIMENSION height);

// Starts the decompressor, set up for kRgb32Space or (cmyk) CMYK output, and reads its rows into
// bitmap, made here at the output size. False when cancel was set, which is looked at every few
// rows; a stream that stopped early keeps the rows decoded so far.
bool decodeRgb32Rows(jpeg_decompress_struct& cinfo, Bitmap& bitmap, bool cmyk,
                     const std::atomic<bool>* cancel = nullptr);

} // namespace platform
