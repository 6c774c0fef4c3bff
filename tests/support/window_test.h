// What the window tests share: a base for their test objects that maps drive C: onto a temporary
// folder and answers message boxes for the test's life, pictures written there, and presses on
// the folder tree's nodes as a user makes them.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QTreeWidgetItem;
class TMavDirTree21;

namespace lumo::test {

class WindowTest : public QObject {
public:
    // Maps C:, and no other drive, onto a fresh temporary folder; message boxes answer "OK" and
    // are recorded instead of shown; the desktop's thumbnail cache of windows made from now on is
    // in another temporary folder (cacheFolder()), outside drive C:.
    WindowTest();
    // Forgets the drive map and the answerer, and removes the folders with all they hold.
    ~WindowTest() override;

protected:
    // The host path of a file or folder given relative to C:\ ("Pics/a.jpg").
    QString host(const QString& relative) const { return root_.filePath(relative); }
    // From now on every message box is answered with answer and recorded; the record starts empty.
    static void answerAll(int answer);
    // As another program would: makes each folder (given relative to C:\, "Busy/inside") and
    // removes it again, each time waiting until tree has followed both; false when it did not
    // within timeoutMs.
    bool makeAndRemoveFolders(TMavDirTree21* tree, const QStringList& folders,
                              int timeoutMs = 5000) const;
    // The host folder of the thumbnail cache the windows use.
    QString cacheFolder() const { return cache_.filePath(QStringLiteral("thumbnails")); }

    QTemporaryDir root_;
    QTemporaryDir cache_;
    QByteArray savedCacheHome_;
};

// A JPEG without EXIF, of one colour, written by the program's own encoder. The EXIF reader's
// marker search reads two bytes at a time to the end of such a file; the default picture ends on
// a whole pair, so the reader finds no EXIF block rather than failing on a read past the end.
void writePlainJpeg(const QString& hostPath, int width = 64, int height = 48,
                    QColor colour = QColor(200, 120, 40));

// The child of parent with this caption; null when there is none.
QTreeWidgetItem* findNode(QTreeWidgetItem* parent, const QString& caption);
// The node of a folder of drive C: in tree ("Busy/Pics"), or nullptr.
QTreeWidgetItem* driveCNode(TMavDirTree21* tree, const QString& relative);
// A click on the node's label, as the user makes it (the tree's OnMouseDown comes first).
void pressOnLabel(TMavDirTree21* tree, QTreeWidgetItem* node);

} // namespace lumo::test
