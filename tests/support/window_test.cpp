#include "tests/support/window_test.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <QDir>
#include <QImage>
#include <QTest>
#include <QTreeWidgetItem>

#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/ui.h"

namespace lumo::test {

WindowTest::WindowTest() : savedCacheHome_(qgetenv("XDG_CACHE_HOME")) {
    platform::setDriveMap({{'C', root_.path().toStdString(), platform::DRIVE_FIXED, "", true}});
    answerAll(platform::IDOK);
    qputenv("XDG_CACHE_HOME", cache_.path().toUtf8());
}

WindowTest::~WindowTest() {
    if (savedCacheHome_.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", savedCacheHome_);
    platform::setMessageBoxAnswerer(nullptr);
    platform::setDriveMap({});
    // The toolkit's own clean-up passes over names that are not UTF-8, which some tests make.
    std::error_code ignored;
    std::filesystem::remove_all(root_.path().toStdString(), ignored);
}

void WindowTest::answerAll(int answer) {
    platform::recordedMessageBoxes().clear();
    platform::setMessageBoxAnswerer([answer](const platform::MessageBoxCall&) { return answer; });
}

void writePlainJpeg(const QString& hostPath, int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    platform::saveJpeg(image, platform::fromHostPath(hostPath.toStdString()));
}

QTreeWidgetItem* findNode(QTreeWidgetItem* parent, const QString& caption) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == caption)
            return parent->child(i);
    return nullptr;
}

QTreeWidgetItem* driveCNode(TMavDirTree21* tree, const QString& relative) {
    QTreeWidgetItem* root = tree->Root();
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; root && i < root->childCount(); ++i) {
        if (root->child(i)->text(0).mid(2, 1) == QLatin1String("C"))
            node = root->child(i);
    }
    for (const QString& name : relative.split('/')) {
        if (!node)
            break;
        node = findNode(node, name);
    }
    return node;
}

bool WindowTest::makeAndRemoveFolders(TMavDirTree21* tree, const QStringList& folders,
                                      int timeoutMs) const {
    for (const QString& folder : folders) {
        if (!QDir(root_.path()).mkpath(folder) ||
            !QTest::qWaitFor([&] { return driveCNode(tree, folder) != nullptr; }, timeoutMs) ||
            !QDir(root_.path()).rmdir(folder) ||
            !QTest::qWaitFor([&] { return driveCNode(tree, folder) == nullptr; }, timeoutMs))
            return false;
    }
    return true;
}

void pressOnLabel(TMavDirTree21* tree, QTreeWidgetItem* node) {
    tree->scrollToItem(node);
    // Half the caption's width into the label, which starts after the icon and its margins; in a
    // narrow tree the label runs on beyond the right edge, and the press stays inside.
    const QRect rect = tree->visualItemRect(node);
    const bool icon = !node->icon(0).isNull();
    const int x = rect.left() + (icon ? tree->iconSize().width() + 6 : 0) +
                  tree->fontMetrics().horizontalAdvance(node->text(0)) / 2;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      QPoint(std::min(x, rect.right() - 4), rect.center().y()));
}

} // namespace lumo::test
