// The bitmaps of the thumbnail worker: the default image of a system icon, the fitting of a
// thumbnail of another size onto the window's square, and the thumbnail's border. Plain functions
// over QImage, usable on any thread; the colours come from the window when the worker is made.
#pragma once

#include <QColor>
#include <QImage>

// A width x height picture in the window colour with the icon drawn unscaled in its middle, and
// the border. An empty icon leaves the square plain.
QImage MakeDefaultIconBitmap(const QImage& icon, int width, int height, QColor windowColor,
                             QColor borderColor);
// The thumbnail put unscaled in the middle of a width x height square of the window colour: a
// larger one is cut around its centre, a smaller one framed (160 x 90 on 120 x 120 is drawn at
// x -20, y 15).
void FitThumbnail(QImage& thumbnail, int width, int height, QColor windowColor);
// A one-pixel frame around the whole picture in the button-face colour.
void DrawThumbnailBorder(QImage& thumbnail, QColor borderColor);
