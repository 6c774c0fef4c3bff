// Default icon squares, fitting and border of thumbnails.
#include "thumbs/extraction/thumbnail_bitmaps.h"

#include <QPainter>

#include "geometry/placement.h"

namespace {

// Pictures of few colours (the 4- and 8-bit colour depths) cannot be painted on; they are
// widened first, keeping their colours.
void MakePaintable(QImage& picture) {
    if (picture.format() == QImage::Format_Indexed8 || picture.format() == QImage::Format_Mono ||
        picture.format() == QImage::Format_MonoLSB)
        picture = picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QImage MakeDefaultIconBitmap(const QImage& icon, int width, int height, QColor windowColor,
                             QColor borderColor) {
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(windowColor);
    if (!icon.isNull()) {
        QPainter painter(&bitmap);
        painter.drawImage(geometry::CentreOffset(icon.width(), width),
                          geometry::CentreOffset(icon.height(), height), icon);
    }
    DrawThumbnailBorder(bitmap, borderColor);
    return bitmap;
}

void FitThumbnail(QImage& thumbnail, int width, int height, QColor windowColor) {
    const QImage copy = thumbnail;
    QImage fitted(width, height, QImage::Format_RGB32);
    fitted.fill(windowColor);
    {
        QPainter painter(&fitted);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(geometry::CentreOffset(copy.width(), width),
                          geometry::CentreOffset(copy.height(), height), copy);
    }
    thumbnail = std::move(fitted);
}

void DrawThumbnailBorder(QImage& thumbnail, QColor borderColor) {
    if (thumbnail.isNull())
        return;
    MakePaintable(thumbnail);
    QPainter painter(&thumbnail);
    painter.setPen(QPen(borderColor, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, thumbnail.width() - 1, thumbnail.height() - 1);
}
