// ImageList: an ordered list of equally sized pictures addressed by index, as list and tree views
// use them. The shell's system image lists are process-wide instances shared by every view.
// Owned by the user-interface thread; its pictures may be read and added from any thread (the
// thumbnail worker draws system icons), so every access to them is locked. changed() is
// emitted on the thread that made the change.
#pragma once

#include <mutex>
#include <vector>

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPixmap>

namespace platform {

class ImageList : public QObject {
    Q_OBJECT
public:
    ImageList(int width, int height, QObject* parent = nullptr);

    int width() const;
    int height() const;
    // Changing the size empties the list.
    void setSize(int width, int height);

    int count() const;
    // Adds a picture (scaled to the list's size when it differs) and returns its index.
    int add(const QImage& image);
    // Adds a picture whose pixels of maskColor become transparent.
    int addMasked(const QImage& image, const QColor& maskColor);
    // Replaces the picture at index; false for an index out of range.
    bool replace(int index, const QImage& image);
    void clear();

    QImage image(int index) const;   // null for an index out of range
    QPixmap pixmap(int index) const; // user-interface thread only
    QIcon icon(int index) const;

Q_SIGNALS:
    void changed(int index); // -1 after clear() or setSize()

private:
    mutable std::mutex mutex_;
    int width_;
    int height_;
    std::vector<QImage> images_;
};

} // namespace platform
