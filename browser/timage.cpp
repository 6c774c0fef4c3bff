#include "browser/timage.h"

#include <QPainter>

#include "platform/jpeg.h"

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
    QSize size = ownSize_;
    const QSize box = this->size();
    const bool larger = size.width() > box.width() || size.height() > box.height();
    if (Stretch || larger) {
        if (Proportional)
            size.scale(box, Qt::KeepAspectRatio);
        else if (Stretch)
            size = box;
    }
    QPoint topLeft(0, 0);
    if (Center)
        topLeft = QPoint((box.width() - size.width()) / 2, (box.height() - size.height()) / 2);
    return QRect(topLeft, size);
}

void TImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(DrawRect(), picture_);
}
