// The bitmaps of the thumbnail worker: the default image of a system icon, the fitting of a
// thumbnail of another size onto the window's square, and the thumbnail's border. Plain functions
// over Bitmaps, usable on any thread; the colours come from the window when the worker is made.
#pragma once

#include "platform/headless/bitmap.h"

// A width x height picture in the window colour with the icon drawn unscaled in its middle, and
// the border. A null icon leaves the square plain.
platform::Bitmap MakeDefaultIconBitmap(const platform::Bitmap& icon, int width, int height,
                                       platform::Rgb windowColor, platform::Rgb borderColor);
// The thumbnail put unscaled in the middle of a width x height square of the window colour: a
// larger one is cut around its centre, a smaller one framed (160 x 90 on 120 x 120 is drawn at
// x -20, y 15).
void FitThumbnail(platform::Bitmap& thumbnail, int width, int height, platform::Rgb windowColor);
// A one-pixel frame around the whole picture in the button-face colour; a thumbnail of 4 or 8
// bits a pixel is widened to full colour first.
void DrawThumbnailBorder(platform::Bitmap& thumbnail, platform::Rgb borderColor);
