// Bitmaps and QImages.
#include "platform/qt/bitmap_image.h"

#include <cstring>
#include <vector>

namespace platform {

namespace {

void freePixels(void* pixels) {
    delete static_cast<std::vector<Rgb>*>(pixels);
}

} // namespace

QImage toQImage(Bitmap bitmap) {
    if (bitmap.isNull())
        return {};
    // The pixels move to the heap and live as long as the picture (and its shared copies) does.
    auto* pixels = new std::vector<Rgb>(std::move(bitmap.pixels));
    return QImage(reinterpret_cast<uchar*>(pixels->data()), bitmap.width, bitmap.height,
                  qsizetype(bitmap.width) * 4,
                  bitmap.premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
                  freePixels, pixels);
}

Bitmap toBitmap(const QImage& image) {
    if (image.isNull())
        return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage picture =
        image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    Bitmap bitmap(picture.width(), picture.height());
    bitmap.premultiplied = alpha;
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(bitmap.row(y), picture.constScanLine(y), size_t(picture.width()) * 4);
    return bitmap;
}

} // namespace platform
