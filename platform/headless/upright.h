// Pictures drawn upright: the EXIF orientation a libjpeg decode meets in the picture's header, and
// pixels turned and mirrored as an orientation says (geometry/orientation.h). Every decoder of the
// program turns its pictures here, so windows, thumbnails and sidecars show them alike. Any thread.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "platform/headless/bitmap.h"

namespace platform {

// Before jpeg_read_header: keeps the APP1 segments (the EXIF block) the header read passes.
void keepExifSegments(jpeg_decompress_struct& cinfo);
// After jpeg_read_header: the orientation of the first EXIF block kept; 1 without one.
int keptOrientation(const jpeg_decompress_struct& cinfo);

// Writes the upright picture of width x height stored pixels at source to target, whose rows hold
// the upright width. Strides count pixels.
void orientPixels(const Rgb* source, int width, int height, ptrdiff_t sourceStride, Rgb* target,
                  ptrdiff_t targetStride, int orientation);
// The bitmap drawn upright; orientation 1 (or any unknown value) gives it back as it is.
Bitmap orientBitmap(Bitmap bitmap, int orientation);

} // namespace platform
