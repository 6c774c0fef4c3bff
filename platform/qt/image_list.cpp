// ImageList: equally sized pictures addressed by index.
#include "platform/qt/image_list.h"

namespace platform {

ImageList::ImageList(int width, int height, QObject* parent)
    : QObject(parent), width_(width), height_(height) {}

int ImageList::width() const {
    std::lock_guard lock(mutex_);
    return width_;
}

int ImageList::height() const {
    std::lock_guard lock(mutex_);
    return height_;
}

void ImageList::setSize(int width, int height) {
    {
        std::lock_guard lock(mutex_);
        width_ = width;
        height_ = height;
        images_.clear();
    }
    Q_EMIT changed(-1);
}

int ImageList::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(images_.size());
}

namespace {
QImage fitted(const QImage& image, int width, int height) {
    QImage result =
        image.size() == QSize(width, height)
            ? image
            : image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (result.format() != QImage::Format_ARGB32_Premultiplied)
        result = result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return result;
}
} // namespace

int ImageList::add(const QImage& image) {
    int index;
    {
        std::lock_guard lock(mutex_);
        images_.push_back(fitted(image, width_, height_));
        index = static_cast<int>(images_.size()) - 1;
    }
    Q_EMIT changed(index);
    return index;
}

int ImageList::addMasked(const QImage& image, const QColor& maskColor) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = maskColor.rgb() | 0xFF000000u;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] | 0xFF000000u) == key && qAlpha(line[x]) == 255)
                line[x] = 0;
        }
    }
    return add(masked);
}

bool ImageList::replace(int index, const QImage& image) {
    {
        std::lock_guard lock(mutex_);
        if (index < 0 || index >= static_cast<int>(images_.size()))
            return false;
        images_[static_cast<size_t>(index)] = fitted(image, width_, height_);
    }
    Q_EMIT changed(index);
    return true;
}

void ImageList::clear() {
    {
        std::lock_guard lock(mutex_);
        images_.clear();
    }
    Q_EMIT changed(-1);
}

QImage ImageList::image(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(images_.size()))
        return {};
    return images_[static_cast<size_t>(index)];
}

QPixmap ImageList::pixmap(int index) const {
    return QPixmap::fromImage(image(index));
}

QIcon ImageList::icon(int index) const {
    const QPixmap picture = pixmap(index);
    return picture.isNull() ? QIcon() : QIcon(picture);
}

} // namespace platform
