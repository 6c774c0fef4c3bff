// TMavDirTree21 following the disk and the drives: sub-folders made by other programs inside
// leaves and empty folders, GoToFolder to a folder made a moment ago, a burst of folders as one
// rebuild, pulled media and removed folders, keypad "*" beside links that lead back up, and a
// share mounted inside a local drive. The drive map is a set of temporary folders.
#include <memory>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/mount_table.h"
#include "platform/qt/ui.h"

namespace {

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& caption) {
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == caption)
            return node->child(i);
    }
    return nullptr;
}

// The node of a folder path below the drive node, or nullptr.
QTreeWidgetItem* NodeAt(QTreeWidgetItem* drive, const QStringList& names) {
    QTreeWidgetItem* node = drive;
    for (const QString& name : names)
        node = ChildNamed(node, name);
    return node;
}

bool ShowsButton(QTreeWidgetItem* node) {
    return node && (node->childCount() > 0 ||
                    node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator);
}

constexpr int Timeout = 5000;

} // namespace

class TreeFollowingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp;
    std::unique_ptr<TMavDirTree21> tree;
    QStringList dirChanges;

    QString host(const QString& relative) const { return temp.filePath(relative); }
    void makeDir(const QString& relative) { QVERIFY(QDir().mkpath(host(relative))); }
    QTreeWidgetItem* drive(QChar letter) const {
        QTreeWidgetItem* root = tree->Root();
        for (int i = 0; root && i < root->childCount(); ++i) {
            if (root->child(i)->text(0).mid(2, 1) == letter)
                return root->child(i);
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(temp.isValid());
        for (const char* dir : {"c/Photos/2008/January", "c/Photos/2009", "c/Empty", "c/burst",
                                "c/loop/a/b", "c/mnt/nas/Trips", "g/DCIM/100CANON"})
            makeDir(QString::fromLatin1(dir));
        QVERIFY(QFile::link(host("c/loop"), host("c/loop/self")));
        QVERIFY(QFile::link(host("c/loop/a"), host("c/loop/a/b/up")));
    }

    void init() {
        using platform::DriveInfo;
        platform::setDriveMap({
            DriveInfo{'C', host("c").toStdString(), platform::DRIVE_FIXED, "", true},
            DriveInfo{'G', host("g").toStdString(), platform::DRIVE_REMOVABLE, "", true},
        });
        platform::setMessageBoxAnswerer(
            [](const platform::MessageBoxCall&) { return platform::IDOK; });
        tree = std::make_unique<TMavDirTree21>();
        tree->setFolderType(FileTypeOf({ftReadOnly, ftDirectory, ftArchive, ftNormal}));
        tree->resize(400, 600);
        dirChanges.clear();
        tree->OnDirChange = [this](QObject*, const QString& path) {
            dirChanges.append(path);
        };
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
    }

    void cleanup() {
        tree.reset();
        platform::setMessageBoxAnswerer(nullptr);
        platform::detail::setMountSource({});
        platform::setDriveMap({});
    }

    void followsFoldersMadeInLeavesAndEmptyFolders() {
        tree->OpenPath("C:\\Photos");
        QTreeWidgetItem* c = drive('C');
        QVERIFY(!ShowsButton(ChildNamed(c, "Empty")));                  // shown, never opened
        QVERIFY(!ShowsButton(ChildNamed(tree->currentItem(), "2009"))); // a leaf
        dirChanges.clear();
        makeDir("c/Empty/inside");
        makeDir("c/Photos/2009/inside");
        QTRY_VERIFY_WITH_TIMEOUT(ShowsButton(NodeAt(drive('C'), {"Empty"})), Timeout);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsButton(NodeAt(drive('C'), {"Photos", "2009"})), Timeout);
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos\\"));
        QCOMPARE(dirChanges, QStringList({"C:\\Photos\\"})); // both in one rebuild

        // A folder opened and found empty is followed as well.
        tree->OpenPath("C:\\Photos\\2008\\January");
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("January"));
        dirChanges.clear();
        makeDir("c/Photos/2008/January/day 1");
        QTRY_COMPARE_WITH_TIMEOUT(dirChanges.size(), 1, Timeout);
        QVERIFY(ShowsButton(NodeAt(drive('C'), {"Photos", "2008", "January"})));
        QVERIFY(QDir(host("c/Empty/inside")).removeRecursively());
        QVERIFY(QDir(host("c/Photos/2009/inside")).removeRecursively());
        QVERIFY(QDir(host("c/Photos/2008/January/day 1")).removeRecursively());
    }

    void goToFolderFindsAFolderMadeAMomentAgo() {
        tree->OpenPath("C:\\Photos\\2009");
        QCOMPARE(tree->currentItem()->childCount(), 0);
        dirChanges.clear();
        // Made by another program; the tree goes there before it has heard of it.
        makeDir("c/Photos/2009/fresh");
        tree->GoToFolder("C:\\Photos\\2009\\fresh");
        QCOMPARE(dirChanges, QStringList({"C:\\Photos\\2009\\fresh\\"}));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("fresh"));
        QVERIFY(QDir().rmdir(host("c/Photos/2009/fresh")));
    }

    void aBurstOfFoldersIsOneRebuild() {
        tree->OpenPath("C:\\burst");
        dirChanges.clear();
        for (int i = 0; i < 100; ++i)
            QVERIFY(QDir().mkdir(host(QStringLiteral("c/burst/new %1").arg(i))));
        QTRY_COMPARE_WITH_TIMEOUT(tree->currentItem()->childCount(), 100, Timeout);
        // One more folder afterwards: had the burst been told more than once, the rebuilds would
        // show before this one's.
        QVERIFY(QDir().mkdir(host("c/burst/after")));
        QTRY_COMPARE_WITH_TIMEOUT(tree->currentItem()->childCount(), 101, Timeout);
        QCOMPARE(dirChanges, QStringList({"C:\\burst\\", "C:\\burst\\"}));
        QVERIFY(QDir(host("c/burst")).removeRecursively());
        QVERIFY(QDir().mkdir(host("c/burst")));
    }

    void theSelectionLeavesWhatIsGone() {
        // The folder shown is removed: the nearest folder above it.
        tree->OpenPath("G:\\DCIM\\100CANON");
        dirChanges.clear();
        QVERIFY(QDir().rmdir(host("g/DCIM/100CANON")));
        QTRY_COMPARE_WITH_TIMEOUT(dirChanges, QStringList({"G:\\DCIM\\"}), Timeout);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("DCIM"));
        makeDir("g/DCIM/100CANON");

        // The card's medium is pulled: the drive stays, its folders are gone.
        tree->OpenPath("G:\\DCIM\\100CANON");
        dirChanges.clear();
        platform::addDrive(
            {'G', host("g").toStdString(), platform::DRIVE_REMOVABLE, "", /*ready=*/false});
        QTRY_COMPARE_WITH_TIMEOUT(dirChanges, QStringList({"My Computer"}), Timeout);
        QCOMPARE(tree->SelectedPath(), QStringLiteral("My Computer"));
        QCOMPARE(tree->currentItem(), tree->Root());

        // The drive itself goes away while a folder of it is shown.
        const int markRole = Qt::UserRole + 50; // gone when the tree is rebuilt
        tree->Root()->setData(0, markRole, true);
        platform::addDrive({'G', host("g").toStdString(), platform::DRIVE_REMOVABLE, "", true});
        QTRY_VERIFY_WITH_TIMEOUT(!tree->Root()->data(0, markRole).toBool(), Timeout);
        tree->OpenPath("G:\\DCIM");
        dirChanges.clear();
        platform::removeDrive('G');
        QTRY_COMPARE_WITH_TIMEOUT(dirChanges, QStringList({"My Computer"}), Timeout);
        QVERIFY(!drive('G'));
        QCOMPARE(tree->currentItem(), tree->Root());
    }

    void keypadStarNeverOpensAFolderInsideItself() {
        tree->OpenPath("C:\\loop");
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_Asterisk, Qt::KeypadModifier);
        QVERIFY(tree->ExpandingAll());
        QTRY_VERIFY_WITH_TIMEOUT(!tree->ExpandingAll(), Timeout);
        QTreeWidgetItem* loop = NodeAt(drive('C'), {"loop"});
        QVERIFY(loop->isExpanded());
        QVERIFY(NodeAt(loop, {"a"})->isExpanded());
        QVERIFY(NodeAt(loop, {"a", "b"})->isExpanded());
        // Links back to a folder open above them stay closed.
        QVERIFY(!NodeAt(loop, {"self"})->isExpanded());
        QCOMPARE(NodeAt(loop, {"self"})->childCount(), 0);
        QVERIFY(!NodeAt(loop, {"a", "b", "up"})->isExpanded());

        // A key stops it before it has gone on.
        tree->OpenPath("C:\\");
        QTest::keyClick(tree.get(), Qt::Key_Asterisk, Qt::KeypadModifier);
        QVERIFY(tree->ExpandingAll());
        QTest::keyClick(tree.get(), Qt::Key_Escape);
        QVERIFY(!tree->ExpandingAll());
        QVERIFY(!NodeAt(drive('C'), {"Photos"})->isExpanded());
        // So does a click.
        QTest::keyClick(tree.get(), Qt::Key_Asterisk, Qt::KeypadModifier);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(1, 1));
        QVERIFY(!tree->ExpandingAll());
    }

    void aShareMountedInsideALocalDriveIsANetworkLocation() {
        const std::string share = host("c/mnt/nas").toStdString();
        platform::detail::setMountSource({[share] {
                                              return std::vector<platform::detail::MountEntry>{
                                                  {"/dev/sda1", "/", "ext4", 1, 8, 1},
                                                  {"server:/nas", share, "nfs4", 2, 0, 60}};
                                          },
                                          [](const platform::detail::MountEntry&) {
                                              return platform::detail::VolumeFacts{};
                                          }});
        platform::detail::invalidateHostDriveMap();
        makeDir("c/mnt/nas/Trips/empty");
        tree->OpenPath("C:\\mnt");
        // No look inside the share: its folders show a button until they are opened.
        QTreeWidgetItem* nas = ChildNamed(tree->currentItem(), "nas");
        QVERIFY(ShowsButton(nas));
        tree->OpenPath("C:\\mnt\\nas\\Trips");
        QTreeWidgetItem* empty = ChildNamed(tree->currentItem(), "empty");
        QVERIFY(empty);
        QVERIFY(ShowsButton(empty));
        empty->setExpanded(true);
        QVERIFY(!ShowsButton(empty));
        QVERIFY(QDir().rmdir(host("c/mnt/nas/Trips/empty")));
    }
};

QTEST_MAIN(TreeFollowingTest)
#include "tree_following_test.moc"
