// TMavDirTree21 following the disk and the drives: sub-folders made by other programs inside
// leaves and empty folders, changes that touch only the nodes they concern (and leave the tree as
// a rebuild would show it), GoToFolder to a folder made a moment ago, a burst of folders, pulled
// media and removed folders, keypad "*" beside links that lead back up, and a share mounted
// inside a local drive. The drive map is a set of temporary folders.
#include <memory>

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/mount_table.h"
#include "platform/qt/ui.h"
#include "tests/dirtree/tree_window.h"

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

// What the tree shows: every node in an open branch, indented, with its expand button and
// whether it is open.
void AddShape(QTreeWidgetItem* node, int depth, QStringList& lines) {
    lines.append(QString(depth * 2, QLatin1Char(' ')) + node->text(0) +
                 (ShowsButton(node) ? QStringLiteral(" [+]") : QString()) +
                 (node->isExpanded() ? QStringLiteral(" open") : QString()));
    if (!node->isExpanded())
        return;
    for (int i = 0; i < node->childCount(); ++i)
        AddShape(node->child(i), depth + 1, lines);
}

QStringList Shape(const TMavDirTree21& tree) {
    QStringList lines;
    if (QTreeWidgetItem* root = tree.Root())
        AddShape(root, 0, lines);
    return lines;
}

// Opens in a freshly built tree the branches that are open in another.
void OpenLike(QTreeWidgetItem* fresh, QTreeWidgetItem* model) {
    for (int i = 0; i < model->childCount(); ++i) {
        QTreeWidgetItem* child = model->child(i);
        if (!child->isExpanded())
            continue;
        QTreeWidgetItem* same = ChildNamed(fresh, child->text(0));
        if (!same)
            continue; // the shapes differ, which the comparison shows
        same->setExpanded(true);
        OpenLike(same, child);
    }
}

// The tree as a full rebuild shows it, with the same branches open.
QStringList RebuiltShape(const TMavDirTree21& tree) {
    TMavDirTree21 fresh;
    fresh.setFolderType(tree.FolderType());
    if (fresh.Root() && tree.Root()) {
        fresh.Root()->setExpanded(tree.Root()->isExpanded());
        OpenLike(fresh.Root(), tree.Root());
    }
    return Shape(fresh);
}

void MarkAll(QTreeWidgetItem* node, int role) {
    node->setData(0, role, true);
    for (int i = 0; i < node->childCount(); ++i)
        MarkAll(node->child(i), role);
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
        QVERIFY(ShowAsTheWindowsDo(*tree, dirChanges));
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
        QVERIFY(dirChanges.isEmpty()); // the selected folder is what it was

        // A folder opened and found empty is followed as well.
        tree->OpenPath("C:\\Photos\\2008\\January");
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("January"));
        dirChanges.clear();
        makeDir("c/Photos/2008/January/day 1");
        QTRY_VERIFY_WITH_TIMEOUT(ShowsButton(NodeAt(drive('C'), {"Photos", "2008", "January"})),
                                 Timeout);
        QVERIFY(dirChanges.isEmpty());
        QVERIFY(QDir(host("c/Empty/inside")).removeRecursively());
        QVERIFY(QDir(host("c/Photos/2009/inside")).removeRecursively());
        QVERIFY(QDir(host("c/Photos/2008/January/day 1")).removeRecursively());
    }

    void noticesChangeOnlyTheNodesTheyConcern() {
        for (const char* dir :
             {"c/calm/Albums/2019", "c/calm/Albums/2020/Spring", "c/calm/Albums/2020/Summer",
              "c/calm/Work/Drafts", "c/calm/Work/Notes", "c/calm/Leaf", "c/calm/Leaf2/only"})
            makeDir(QString::fromLatin1(dir));
        tree->resize(200, 150); // the tree scrolls
        tree->OpenPath("C:\\calm\\Albums\\2020\\Summer");
        QTreeWidgetItem* summer = tree->currentItem();
        QTreeWidgetItem* calm = NodeAt(drive('C'), {"calm"});
        NodeAt(calm, {"Work"})->setExpanded(true); // a branch the user opened
        const int markRole = Qt::UserRole + 50;    // stays on every node that is kept
        MarkAll(calm, markRole);
        QScrollBar* scroll = tree->verticalScrollBar();
        QVERIFY(scroll->maximum() > 2);
        scroll->setValue(2);
        dirChanges.clear();

        // Another program at work around the selected folder.
        makeDir("c/calm/Albums/2020/Autumn");       // beside it
        makeDir("c/calm/Albums/2020/Summer/Beach"); // inside it
        makeDir("c/calm/Leaf/inner");               // in a folder never opened
        makeDir("c/calm/Work/.cache");              // hidden: not shown
        QVERIFY(QDir().rename(host("c/calm/Work/Drafts"), host("c/calm/Work/Zeta")));
        QVERIFY(QDir().rmdir(host("c/calm/Albums/2019")));
        QVERIFY(QDir().rmdir(host("c/calm/Leaf2/only")));
        QTRY_VERIFY_WITH_TIMEOUT(
            NodeAt(calm, {"Work", "Zeta"}) && NodeAt(calm, {"Albums", "2020", "Autumn"}) &&
                NodeAt(summer, {"Beach"}) && ShowsButton(NodeAt(calm, {"Leaf"})) &&
                !ShowsButton(NodeAt(calm, {"Leaf2"})) && !NodeAt(calm, {"Albums", "2019"}),
            Timeout);
        QVERIFY(dirChanges.isEmpty());
        QCOMPARE(tree->currentItem(), summer);
        QVERIFY(summer->isSelected());
        QVERIFY(summer->data(0, markRole).toBool());
        QVERIFY(NodeAt(calm, {"Work"})->isExpanded());
        QVERIFY(NodeAt(calm, {"Work"})->data(0, markRole).toBool());
        QCOMPARE(scroll->value(), 2);
        QCOMPARE(Shape(*tree), RebuiltShape(*tree));

        // The selected folder itself is renamed: the nearest folder that is left, once.
        QVERIFY(QDir().rename(host("c/calm/Albums/2020/Summer"),
                              host("c/calm/Albums/2020/Summer 2020")));
        QTRY_COMPARE_WITH_TIMEOUT(dirChanges, QStringList({"C:\\calm\\Albums\\2020\\"}), Timeout);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("2020"));
        QVERIFY(tree->currentItem()->isSelected());
        QVERIFY(NodeAt(calm, {"Work"})->isExpanded());
        QCOMPARE(Shape(*tree), RebuiltShape(*tree));
        QVERIFY(QDir(host("c/calm")).removeRecursively());
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

    void aBurstOfFoldersKeepsTheWindowsListing() {
        tree->OpenPath("C:\\burst");
        QTreeWidgetItem* burst = tree->currentItem();
        dirChanges.clear();
        for (int i = 0; i < 100; ++i)
            QVERIFY(QDir().mkdir(host(QStringLiteral("c/burst/new %1").arg(i))));
        QTRY_COMPARE_WITH_TIMEOUT(burst->childCount(), 100, Timeout);
        QVERIFY(QDir().mkdir(host("c/burst/after")));
        QTRY_COMPARE_WITH_TIMEOUT(burst->childCount(), 101, Timeout);
        QCOMPARE(tree->currentItem(), burst);
        QVERIFY(dirChanges.isEmpty());
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
        const int markRole = Qt::UserRole + 50; // gone when the drive's node is made anew
        drive('G')->setData(0, markRole, true);
        platform::addDrive({'G', host("g").toStdString(), platform::DRIVE_REMOVABLE, "", true});
        QTRY_VERIFY_WITH_TIMEOUT(!drive('G')->data(0, markRole).toBool(), Timeout);
        QCOMPARE(dirChanges, QStringList({"My Computer"})); // the medium came elsewhere
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
