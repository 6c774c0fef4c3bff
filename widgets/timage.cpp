#include "widgets/timage.h"

#include <QPainter>

#include "geometry/placement.h"
#include "platform/qt/jpeg.h"

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::LoadFromFile(const std::string& path, QSize decodeBox) {
    QImage picture = platform::loadPicture(path, decodeBox);
    QSize own = picture.size();
    if (!decodeBox.isEmpty()) {
        const platform::JpegSize size = platform::jpegSize(path);
        if (size.width > 0 && size.height > 0)
            own = QSize(size.width, size.height);
    }
    SetPicture(picture, own);
}

void TImage::Assign(const TImage& other) {
    SetPicture(other.picture_, other.ownSize_);
}

void TImage::SetPicture(const QImage& picture, QSize ownSize) {
    picture_ = picture;
    ownSize_ = ownSize.isEmpty() ? picture.size() : ownSize;
    update();
}

void TImage::Clear() {
    SetPicture(QImage());
}

QRect TImage::DrawRect() const {
    if (picture_.isNull())
        return {};
    const geometry::Rect rect = geometry::PlacePicture(
        {ownSize_.width(), ownSize_.height()}, {width(), height()},
        {.center = Center, .proportional = Proportional, .stretch = Stretch});
    return QRect(rect.left, rect.top, rect.width, rect.height);
}

void TImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(DrawRect(), picture_);
}
