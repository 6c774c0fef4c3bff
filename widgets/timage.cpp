#include "widgets/timage.h"

#include <QPainter>

#include "geometry/orientation.h"
#include "geometry/placement.h"
#include "platform/qt/jpeg.h"

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::LoadFromFile(const std::string& path, QSize decodeBox) {
    const platform::LoadedPicture loaded = platform::readPicture(path, decodeBox);
    SetPicture(loaded.image, loaded.ownSize, loaded.orientation);
}

void TImage::Assign(const TImage& other) {
    SetPicture(other.picture_, other.ownSize_, other.orientation_);
}

void TImage::SetPicture(const QImage& picture, QSize ownSize, int orientation) {
    picture_ = picture;
    ownSize_ = ownSize.isEmpty() ? picture.size() : ownSize;
    orientation_ = orientation;
    update();
}

QSize TImage::UprightSize() const {
    const geometry::Size upright =
        geometry::UprightSize({ownSize_.width(), ownSize_.height()}, orientation_);
    return {upright.width, upright.height};
}

void TImage::Clear() {
    SetPicture(QImage());
}

QRect TImage::DrawRect() const {
    if (picture_.isNull())
        return {};
    const QSize upright = UprightSize();
    const geometry::Rect rect = geometry::PlacePicture(
        {upright.width(), upright.height()}, {width(), height()},
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
