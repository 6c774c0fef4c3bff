// Bitmaps (platform/headless/bitmap.h) as the toolkit's pictures, on the window's side: the
// conversion the windows make when a worker's bitmap reaches them, and the way back for pictures
// the toolkit drew (icons). Any thread.
#pragma once

#include <QImage>

#include "platform/headless/bitmap.h"

namespace platform {

// The bitmap as Format_RGB32 (Format_ARGB32_Premultiplied when premultiplied), taking its pixels
// over without copying them. Null for a null bitmap.
QImage toQImage(Bitmap bitmap);
// The picture as a bitmap: opaque pictures as they are, pictures with alpha premultiplied.
Bitmap toBitmap(const QImage& image);

} // namespace platform
