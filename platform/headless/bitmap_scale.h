// Smooth scaling of bitmaps: each output pixel is the average of the source area it covers,
// weighted by how much of each source pixel lies in it (a box filter in 14-bit fixed point), and
// an enlarged side is interpolated between neighbours. The arithmetic is that of the desktop's
// image library, so a thumbnail scaled here has the pixels the window's own scaling would give.
#pragma once

#include "platform/headless/bitmap.h"

namespace platform {

// picture (opaque) scaled to width x height; null for an empty size or a null picture.
Bitmap smoothScaled(const Bitmap& picture, int width, int height);

} // namespace platform
