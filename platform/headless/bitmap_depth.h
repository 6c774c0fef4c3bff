// Colour depths of thumbnails: a picture reduced to the colours a screen of 4, 8, 16 or 24 bits a
// pixel shows, stored as full colours in a Bitmap that records the depth. The reductions are those
// of the desktop's image library: 4 bits take the nearest of the 16 classic colours, 8 bits the
// picture's own colours when there are no more than 256, else a 6 x 6 x 6 colour cube with error
// diffusion, 16 bits keep 5, 6 and 5 bits of red, green and blue.
#pragma once

#include <cstdint>

#include "platform/headless/bitmap.h"

namespace platform {

// picture (opaque, 32 bits) in depth 4, 8, 16 or 24; any other depth gives it in 32 bits.
Bitmap inColourDepth(const Bitmap& picture, uint32_t depth);
// How a bitmap of depth shows colour when it is painted: 16 bits keep 5, 6 and 5 bits.
Rgb shownInDepth(Rgb colour, int depth);

} // namespace platform
