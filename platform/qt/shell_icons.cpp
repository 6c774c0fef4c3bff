// The system image lists: one icon per kind of item (computer, folder, open folder, drive type,
// file extension), made the first time the kind is asked for and shared by every view. The
// thumbnail worker looks icons up from its own thread, so the look-up is locked and an icon first
// asked for there is drawn without the widget style (which belongs to the user-interface thread).
#include "platform/qt/shell.h"

#include <mutex>
#include <unordered_map>

#include <sys/stat.h>

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QThread>

#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "platform/qt/image_list.h"
#include "platform/qt/shell_internal.h"

namespace platform {

namespace {

enum class Kind { Computer, Folder, OpenFolder, Drive, File };

struct IconCache {
    // Guards indexByKey and the order in which both lists grow. Recursive: a view told of a new
    // icon (changed()) on this thread may look up another one at once.
    std::recursive_mutex mutex;
    ImageList small{16, 16};
    ImageList large{32, 32};
    std::unordered_map<std::string, int> indexByKey;
};

IconCache& cache() {
    static auto* instance = [] {
        auto* made = new IconCache; // process-wide, never destroyed
        // The lists belong to the user-interface thread even when a worker asked first.
        if (const QCoreApplication* application = QCoreApplication::instance()) {
            made->small.moveToThread(application->thread());
            made->large.moveToThread(application->thread());
        }
        return made;
    }();
    return *instance;
}

QImage fromStyle(QStyle::StandardPixmap which, int size) {
    const QCoreApplication* application = QCoreApplication::instance();
    if (qobject_cast<const QApplication*>(application) == nullptr ||
        QThread::currentThread() != application->thread())
        return {};
    const QIcon icon = QApplication::style()->standardIcon(which);
    return icon.pixmap(size, size).toImage();
}

// A page with a folded corner; pictures get a small landscape on it so they stand out in lists.
QImage drawPage(int size, bool picture) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    const qreal fold = 4 * s;
    QPainterPath page;
    page.moveTo(2.5 * s, 0.5 * s);
    page.lineTo(13.5 * s - fold, 0.5 * s);
    page.lineTo(13.5 * s, 0.5 * s + fold);
    page.lineTo(13.5 * s, 15.5 * s);
    page.lineTo(2.5 * s, 15.5 * s);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), std::max(1.0, s * 0.8)));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(13.5 * s - fold, 0.5 * s), QPointF(13.5 * s - fold, 0.5 * s + fold));
    p.drawLine(QPointF(13.5 * s - fold, 0.5 * s + fold), QPointF(13.5 * s, 0.5 * s + fold));
    if (picture) {
        const QRectF frame(3.5 * s, 6 * s, 9 * s, 7.5 * s);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 180, 235));
        p.drawRect(frame);
        p.setBrush(QColor(250, 200, 40));
        p.drawEllipse(QPointF(10.5 * s, 8 * s), 1.3 * s, 1.3 * s);
        QPainterPath hills;
        hills.moveTo(frame.bottomLeft());
        hills.lineTo(6.5 * s, 9 * s);
        hills.lineTo(8.5 * s, 11 * s);
        hills.lineTo(10 * s, 10 * s);
        hills.lineTo(frame.right(), 12 * s);
        hills.lineTo(frame.bottomRight());
        hills.closeSubpath();
        p.setBrush(QColor(60, 150, 70));
        p.drawPath(hills);
    }
    return image;
}

QImage makeIcon(Kind kind, unsigned driveType, bool picture, int size) {
    QImage image;
    switch (kind) {
    case Kind::Computer:
        image = fromStyle(QStyle::SP_ComputerIcon, size);
        break;
    case Kind::Folder:
        image = fromStyle(QStyle::SP_DirIcon, size);
        break;
    case Kind::OpenFolder:
        image = fromStyle(QStyle::SP_DirOpenIcon, size);
        break;
    case Kind::Drive:
        image = fromStyle(driveType == DRIVE_REMOTE      ? QStyle::SP_DriveNetIcon
                          : driveType == DRIVE_CDROM     ? QStyle::SP_DriveCDIcon
                          : driveType == DRIVE_REMOVABLE ? QStyle::SP_DriveFDIcon
                                                         : QStyle::SP_DriveHDIcon,
                          size);
        break;
    case Kind::File:
        image = picture ? QImage() : fromStyle(QStyle::SP_FileIcon, size);
        break;
    }
    if (image.isNull())
        image = drawPage(size, picture);
    return image;
}

int indexFor(const std::string& key, Kind kind, unsigned driveType = 0, bool picture = false) {
    IconCache& c = cache();
    std::lock_guard lock(c.mutex);
    if (const auto it = c.indexByKey.find(key); it != c.indexByKey.end())
        return it->second;
    // Both lists grow together, so an index means the same icon in either size.
    const int index = c.small.add(makeIcon(kind, driveType, picture, 16));
    c.large.add(makeIcon(kind, driveType, picture, 32));
    c.indexByKey.emplace(key, index);
    return index;
}

} // namespace

ImageList& systemImageList(IconSize size) {
    return size == IconSize::Small ? cache().small : cache().large;
}

int shellIconIndex(std::string_view path, IconSize, bool open) {
    if (path == kMyComputerPath)
        return indexFor("computer", Kind::Computer);
    if (const char letter = detail::driveRootLetter(path)) {
        const auto drive = driveInfo(letter);
        if (!drive)
            return -1;
        return indexFor("drive:" + std::to_string(drive->type), Kind::Drive, drive->type);
    }
    // The exact spelling first: a tree asks for two icons of every folder it lists, and the
    // resolution without regard to case would look the path up once more each time.
    // A share that does not answer gives no icon rather than a frozen window.
    const auto statHost = [](const std::string& host, struct stat& st) {
        const auto found = detail::boundedCall<std::optional<struct stat>>(host, [host] {
            struct stat result;
            if (::stat(host.c_str(), &result) == 0 || ::lstat(host.c_str(), &result) == 0)
                return std::optional(result);
            return std::optional<struct stat>();
        });
        if (!found || !*found)
            return false;
        st = **found;
        return true;
    };
    struct stat st;
    std::optional<std::string> host;
    if (auto exact = detail::exactHostPath(path); exact && statHost(exact->path, st))
        host = std::move(exact->path);
    else if (host = toHostPath(path); !host || !statHost(*host, st))
        return -1;
    if (S_ISDIR(st.st_mode))
        return open ? indexFor("folder:open", Kind::OpenFolder) : indexFor("folder", Kind::Folder);
    const std::string ext =
        detail::lowerExtension(std::string_view(*host).substr(host->rfind('/') + 1));
    return indexFor("file:" + ext, Kind::File, 0, detail::isPictureExtension(ext));
}

int shellIconIndexOfEntry(const FindData& entry, IconSize) {
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return indexFor("folder", Kind::Folder);
    const std::string ext = detail::lowerExtension(entry.name);
    return indexFor("file:" + ext, Kind::File, 0, detail::isPictureExtension(ext));
}

} // namespace platform
