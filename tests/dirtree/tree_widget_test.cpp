// TMavDirTree21 as a window: building, clicks, keys, OpenPath and GoToFolder, the folder filter,
// network drives, not-ready drives and rebuilds after changes on disk. The drive map is a set of
// temporary folders: C: fixed, D: removable and E: CD without a medium, F: a network drive.
#include <memory>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "dirtree/languages.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/core/locale.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

namespace {

// The tree with its command hooks reachable, to see which keys lead into them.
class HookedTree : public TMavDirTree21 {
public:
    using TMavDirTree21::CommandHooks;
};

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& caption) {
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == caption)
            return node->child(i);
    }
    return nullptr;
}

QStringList ChildNames(QTreeWidgetItem* node) {
    QStringList names;
    for (int i = 0; node && i < node->childCount(); ++i)
        names.append(node->child(i)->text(0));
    return names;
}

bool ShowsButton(QTreeWidgetItem* node) {
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

} // namespace

class TreeWidgetTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp;
    std::unique_ptr<HookedTree> tree;
    QStringList dirChanges;
    QStringList pathsAtMouseDown;

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
    QPoint pointWith(QTreeWidgetItem* node, THitTest wanted) const {
        tree->scrollToItem(node);
        const QRect row = tree->visualItemRect(node);
        for (int x = 0; x < tree->viewport()->width(); ++x) {
            const QPoint point(x, row.center().y());
            if (tree->itemAt(point) == node && tree->HitTest(point) == wanted)
                return point;
        }
        return {-1, -1};
    }
    void click(QTreeWidgetItem* node, THitTest where = htOnItem) {
        const QPoint point = pointWith(node, where);
        QVERIFY2(point.x() >= 0, qPrintable(node->text(0)));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, point);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(temp.isValid());
        for (const char* dir :
             {"c/Photos/2008/January", "c/Photos/2009", "c/Empty", "c/.hidden/inner",
              "c/OnlyHidden/.secret", "c/zeta", "d", "e", "f/Share/OnlyHidden/.x", "f/Share/Sub"})
            makeDir(QString::fromLatin1(dir));
        using platform::DriveInfo;
        platform::setDriveMap({
            DriveInfo{'C', host("c").toStdString(), platform::DRIVE_FIXED, "", true},
            DriveInfo{'D', host("d").toStdString(), platform::DRIVE_REMOVABLE, "", false},
            DriveInfo{'E', host("e").toStdString(), platform::DRIVE_CDROM, "", false},
            DriveInfo{'F', host("f").toStdString(), platform::DRIVE_REMOTE, "", true},
        });
    }

    void init() {
        platform::setMessageBoxAnswerer(
            [](const platform::MessageBoxCall&) { return platform::IDOK; });
        platform::recordedMessageBoxes().clear();
        tree = std::make_unique<HookedTree>();
        // As the program's windows set it up.
        tree->setFolderType(FileTypeOf({ftReadOnly, ftDirectory, ftArchive, ftNormal}));
        tree->setDragDropEnabled(false);
        tree->setIndentation(19);
        tree->resize(400, 600);
        dirChanges.clear();
        pathsAtMouseDown.clear();
        tree->OnDirChange = [this](QObject* sender, const QString& path) {
            QCOMPARE(sender, tree.get());
            dirChanges.append(path);
        };
        tree->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            pathsAtMouseDown.append(tree->SelectedPath());
        };
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
    }

    void cleanup() {
        tree.reset();
        platform::removeDrive('G'); // in case a drive test stopped half-way
        platform::setMessageBoxAnswerer(nullptr);
        platform::setUserDefaultLangIdForTesting(0);
        CurrentLanguage = lnEnglish;
        LoadLanguageTexts();
    }

    void startsWithTheRootExpandedOverTheDrives() {
        QTreeWidgetItem* root = tree->Root();
        QVERIFY(root);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(root->text(0), QStringLiteral("My Computer"));
        QVERIFY(root->isExpanded());
        QCOMPARE(root->childCount(), 4);
        QCOMPARE(root->child(0)->text(0), QStringLiteral(" (C:)  Local Disk "));
        QStringList paths;
        for (int i = 0; i < root->childCount(); ++i) {
            paths.append(tree->GetNodePath(root->child(i)));
            QVERIFY(ShowsButton(root->child(i)));
            QCOMPARE(root->child(i)->childCount(), 0); // built on first expansion
        }
        QCOMPARE(paths, QStringList({"C:\\", "D:\\", "E:\\", "F:\\"}));
        QCOMPARE(tree->GetNodePath(root), QString());
        QCOMPARE(tree->GetNodePath(nullptr), QString());
        QVERIFY(tree->isHeaderHidden());
        QCOMPARE(tree->columnCount(), 1);

        // Published properties and their setter rules.
        QCOMPARE(tree->About(), QStringLiteral("Version 2.1.8.6"));
        tree->setAbout("x");
        QCOMPARE(tree->About(), QStringLiteral("Version 2.1.8.6"));
        QCOMPARE(tree->Language(), lnEnglish);
        QVERIFY(tree->PopUpMenuEnabled());
        QCOMPARE(tree->FileList(), nullptr);
        tree->setSelectedPath("C:\\Photos");
        tree->setSelectedPath("c:\\PHOTOS");
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos"));
        tree->setSelectedFile("a.jpg");
        tree->setSelectedFile("A.JPG");
        QCOMPARE(tree->SelectedFile(), QStringLiteral("a.jpg"));
        QVERIFY(dirChanges.isEmpty());
        // Reload leaves the root collapsed and raises nothing.
        tree->Reload();
        QVERIFY(!tree->Root()->isExpanded());
        QCOMPARE(tree->Root()->childCount(), 4);
        QVERIFY(dirChanges.isEmpty());
    }

    void clicksTurnNodesIntoPaths() {
        click(tree->Root());
        QCOMPARE(tree->SelectedPath(), QStringLiteral("My Computer"));
        click(drive('C'));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\"));
        drive('C')->setExpanded(true);
        QTreeWidgetItem* photos = ChildNamed(drive('C'), "Photos");
        QVERIFY(photos);
        click(photos, htOnIcon);
        click(photos);
        QCOMPARE(tree->currentItem(), photos);
        QCOMPARE(dirChanges, QStringList({"My Computer", "C:\\", "C:\\Photos", "C:\\Photos"}));
        // The user's mouse-down handler runs before the tree takes the new path.
        QCOMPARE(pathsAtMouseDown, QStringList({"", "My Computer", "C:\\", "C:\\Photos"}));
    }

    void pressesBesideTheLabelChangeNothing() {
        tree->OpenPath("C:\\Photos");
        dirChanges.clear();
        QTreeWidgetItem* selected = tree->currentItem();
        QTreeWidgetItem* f = drive('F');
        QVERIFY(!f->isExpanded());

        click(f, htOnButton);
        QVERIFY(f->isExpanded());
        QVERIFY(ChildNamed(f, "Share"));
        click(f, htOnButton);
        QVERIFY(!f->isExpanded());
        click(f, htOnRight);
        click(f, htOnIndent);
        const QRect last = tree->visualItemRect(drive('F'));
        const QPoint below(last.center().x(), last.bottom() + 40);
        QCOMPARE(tree->HitTest(below), htNowhere);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, below);

        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos\\"));
        QCOMPARE(tree->currentItem(), selected);
        QVERIFY(dirChanges.isEmpty());
        QCOMPARE(pathsAtMouseDown.size(), 5); // OnMouseDown still sees every press
    }

    void rootWithoutChildrenGetsTheDrivesOnClick() {
        tree->AddRootNode();
        QCOMPARE(tree->Root()->childCount(), 0);
        QVERIFY(!ShowsButton(tree->Root()));
        click(tree->Root());
        QCOMPARE(tree->Root()->childCount(), 4);
        QCOMPARE(dirChanges, QStringList({"My Computer"}));
    }

    void languageChangeRebuildsTheRootAlone() {
        platform::setUserDefaultLangIdForTesting(0x0407);
        tree->setLanguage(lnSysDefault);
        QCOMPARE(tree->Language(), lnGerman);
        QCOMPARE(CurrentLanguage, lnGerman);
        QCOMPARE(LanguageTexts.NewFolderName, QStringLiteral("Neuer Ordner"));
        QCOMPARE(tree->Root()->childCount(), 0);
        tree->OpenPath("C:\\Photos");
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Photos"));
        // The same language again re-creates nothing.
        tree->setLanguage(lnGerman);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Photos"));
        QVERIFY(tree->Root()->childCount() > 0);
    }

    void openPathAcceptsItsForms() {
        tree->OpenPath("c:\\photos\\2008");
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("2008"));
        QVERIFY(tree->currentItem()->isExpanded());
        QCOMPARE(tree->SelectedPath(), QStringLiteral("c:\\photos\\2008\\"));
        // Equal ignoring case: the old text stays, the event comes all the same.
        tree->OpenPath("C:\\Photos\\2008\\");
        QCOMPARE(tree->SelectedPath(), QStringLiteral("c:\\photos\\2008\\"));
        QCOMPARE(dirChanges, QStringList({"c:\\photos\\2008\\", "c:\\photos\\2008\\"}));
        // Other branches were collapsed on the way.
        tree->OpenPath("F:\\Share\\");
        QVERIFY(!drive('C')->isExpanded());
        QCOMPARE(tree->SelectedPath(), QStringLiteral("F:\\Share\\"));
        dirChanges.clear();

        for (const char* ignored : {"", "C", "C:\\Missing", "My Computer", "Q:\\", "D:\\"})
            tree->OpenPath(QString::fromLatin1(ignored));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("F:\\Share\\"));
        QVERIFY(dirChanges.isEmpty());

        // A folder the filter hides: the walk stops at the drive, quietly.
        tree->OpenPath("C:\\.hidden\\inner");
        QCOMPARE(tree->currentItem(), drive('C'));
        QVERIFY(drive('C')->isExpanded());
        QCOMPARE(tree->SelectedPath(), QStringLiteral("F:\\Share\\"));
        QVERIFY(dirChanges.isEmpty());
        QVERIFY(tree->updatesEnabled());
    }

    void onlyTheSelectedNodeShowsItsOpenPicture() {
        tree->OpenPath("C:\\Photos\\2008");
        QTreeWidgetItem* year = tree->currentItem();
        QTreeWidgetItem* photos = year->parent();
        QTreeWidgetItem* other = ChildNamed(photos, "2009");
        QVERIFY(photos->isExpanded() && !photos->isSelected());
        QVERIFY(!other->isExpanded());
        const qint64 closed = other->icon(0).cacheKey();
        QCOMPARE(photos->icon(0).cacheKey(), closed);
        QVERIFY(year->icon(0).cacheKey() != closed);
        click(other);
        QCOMPARE(year->icon(0).cacheKey(), closed);
        QVERIFY(other->icon(0).cacheKey() != closed);
    }

    void goToFolderOpensOnlyANewFolder() {
        tree->GoToFolder("C:\\Photos\\");
        tree->GoToFolder("c:\\photos\\");
        QCOMPARE(dirChanges, QStringList({"C:\\Photos\\"}));
        dirChanges.clear();
        // With or without its trailing backslash it is the folder the tree was last sent to.
        tree->GoToFolder("C:\\Photos");
        tree->GoToFolder("C:\\Photos");
        QVERIFY(dirChanges.isEmpty());
        tree->GoToFolder("C:\\Nowhere");
        tree->GoToFolder("");
        QVERIFY(dirChanges.isEmpty());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Photos"));
    }

    void listsVisibleFoldersSortedWithLookAhead() {
        // alpha holds pictures and no folder; beta a link to a folder and a file.
        makeDir("c/alpha");
        makeDir("c/beta");
        for (const char* file : {"c/alpha/a.jpg", "c/alpha/b.jpg", "c/beta/c.jpg", "c/top.jpg"})
            QVERIFY(QFile(host(QString::fromLatin1(file))).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(host("c/Photos"), host("c/beta/linked")));
        QTreeWidgetItem* c = drive('C');
        c->setExpanded(true);
        QCOMPARE(ChildNames(c),
                 QStringList({"alpha", "beta", "Empty", "OnlyHidden", "Photos", "zeta"}));
        QVERIFY(ShowsButton(ChildNamed(c, "Photos")));
        QVERIFY(ShowsButton(ChildNamed(c, "beta")));
        QVERIFY(!ShowsButton(ChildNamed(c, "alpha")));
        QVERIFY(!ShowsButton(ChildNamed(c, "Empty")));
        QVERIFY(!ShowsButton(ChildNamed(c, "OnlyHidden")));
        QVERIFY(QDir(host("c/alpha")).removeRecursively());
        QVERIFY(QDir(host("c/beta")).removeRecursively());
        QVERIFY(QFile::remove(host("c/top.jpg")));

        // The constructor's own FolderType shows hidden folders.
        tree->setFolderType(FileTypeOf({ftReadOnly, ftHidden, ftSystem, ftArchive}));
        QTreeWidgetItem* hidden = ChildNamed(c, "OnlyHidden");
        QVERIFY(!hidden->isExpanded());
        tree->Reload();
        tree->OpenPath("C:\\OnlyHidden");
        QCOMPARE(ChildNames(tree->currentItem()), QStringList({".secret"}));
    }

    void attributesDecideWhatIsListed() {
        makeDir("c/attr/hiddenByAttribute");
        makeDir("c/attr/archived");
        const std::string base = "C:\\attr\\";
        if (!platform::setFileAttributes(base + "hiddenByAttribute",
                                         platform::FILE_ATTRIBUTE_DIRECTORY |
                                             platform::FILE_ATTRIBUTE_HIDDEN) ||
            !platform::setFileAttributes(base + "archived", platform::FILE_ATTRIBUTE_DIRECTORY |
                                                                platform::FILE_ATTRIBUTE_ARCHIVE))
            QSKIP("extended attributes cannot be written in the temporary folder");
        tree->OpenPath("C:\\attr");
        QCOMPARE(ChildNames(tree->currentItem()), QStringList({"archived"}));
    }

    void networkFoldersShowButtonsUntilExpanded() {
        tree->OpenPath("F:\\Share");
        QTreeWidgetItem* share = tree->currentItem();
        QCOMPARE(ChildNames(share), QStringList({"OnlyHidden", "Sub"}));
        QTreeWidgetItem* onlyHidden = ChildNamed(share, "OnlyHidden");
        QVERIFY(ShowsButton(onlyHidden));
        QVERIFY(ShowsButton(ChildNamed(share, "Sub")));
        onlyHidden->setExpanded(true);
        QCOMPARE(onlyHidden->childCount(), 0);
        QVERIFY(!ShowsButton(onlyHidden));
    }

    void notReadyDrivesSendTheSelectionBack() {
        tree->OpenPath("C:\\Photos");
        dirChanges.clear();
        click(drive('E'));
        QCOMPARE(platform::recordedMessageBoxes().size(), std::size_t(1));
        const platform::MessageBoxCall& warning = platform::recordedMessageBoxes().front();
        QCOMPARE(warning.text, QStringLiteral("There is no disk in Drive or Drive is not ready"));
        QCOMPARE(warning.flags & platform::MB_ICONWARNING, unsigned(platform::MB_ICONWARNING));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos\\"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Photos"));
        QCOMPARE(dirChanges, QStringList({"C:\\Photos\\"}));

        // From the root there is nowhere to go back to: the drive stays selected, no event.
        click(tree->Root());
        dirChanges.clear();
        click(drive('D'));
        QCOMPARE(platform::recordedMessageBoxes().size(), std::size_t(2));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("My Computer"));
        QCOMPARE(tree->currentItem(), drive('D'));
        QVERIFY(dirChanges.isEmpty());
    }

    void navigationKeysActOnRelease() {
        QList<int> keysUp;
        tree->OnKeyUp = [&keysUp](QObject*, int key, Qt::KeyboardModifiers) {
            keysUp.append(key);
        };
        tree->OpenPath("C:\\Photos");
        dirChanges.clear();
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_Down);
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos\\2008"));
        QTest::keyClick(tree.get(), Qt::Key_Backspace);
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos"));
        QTest::keyClick(tree.get(), Qt::Key_Left); // collapses, stays
        QTest::keyClick(tree.get(), Qt::Key_Up);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("OnlyHidden"));
        QCOMPARE(dirChanges,
                 QStringList({"C:\\Photos\\2008", "C:\\Photos", "C:\\Photos", "C:\\OnlyHidden"}));
        QCOMPARE(keysUp, QList<int>({Qt::Key_Down, Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Up}));

        // A not-ready drive reached by key: the path stays at the drive, no event.
        dirChanges.clear();
        tree->setCurrentItem(drive('C'));
        drive('C')->setExpanded(false);
        QTest::keyClick(tree.get(), Qt::Key_Down);
        QCOMPARE(tree->SelectedPath(), QStringLiteral("D:\\"));
        QVERIFY(dirChanges.isEmpty());
        QCOMPARE(platform::recordedMessageBoxes().size(), std::size_t(1));

        // The root without drives gets them back.
        tree->AddRootNode();
        tree->setCurrentItem(tree->Root());
        QTest::keyClick(tree.get(), Qt::Key_Right);
        QCOMPARE(tree->Root()->childCount(), 4);
        QCOMPARE(dirChanges, QStringList({"My Computer"}));
    }

    void commandKeysReachTheirHooks() {
        QStringList calls;
        tree->CommandHooks.NewFolder = [&] {
            calls << "new";
        };
        tree->CommandHooks.ClipboardOp = [&](int op) {
            calls << QStringLiteral("clip%1").arg(op);
        };
        tree->CommandHooks.Paste = [&] {
            calls << "paste";
        };
        tree->CommandHooks.Properties = [&] {
            calls << "properties";
        };
        tree->CommandHooks.Rename = [&] {
            calls << "rename";
        };
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(calls.isEmpty()); // nothing selected yet

        tree->OpenPath("C:\\Photos");
        QTest::keyClick(tree.get(), Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(tree.get(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(tree.get(), Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(tree.get(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(tree.get(), Qt::Key_Return, Qt::AltModifier);
        QTest::keyClick(tree.get(), Qt::Key_Return, Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(tree.get(), Qt::Key_F2);
        QTest::keyClick(tree.get(), Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(calls, QStringList({"new", "clip0", "clip2", "paste", "properties", "rename"}));

        // F5 rebuilds and comes back to the folder.
        makeDir("c/Photos/2010");
        dirChanges.clear();
        QTest::keyClick(tree.get(), Qt::Key_F5);
        QCOMPARE(dirChanges, QStringList({"C:\\Photos\\"}));
        QCOMPARE(ChildNames(tree->currentItem()), QStringList({"2008", "2009", "2010"}));
        QVERIFY(QDir().rmdir(host("c/Photos/2010")));
    }

    void aMessageThatTellsNothingHasTheTreeLookEverywhere() {
        tree->OpenPath("C:\\Photos");
        QTreeWidgetItem* photos = tree->currentItem();
        dirChanges.clear();
        // A mark on the node shows whether the tree was rebuilt.
        const int markRole = Qt::UserRole + 50;
        photos->setData(0, markRole, true);

        platform::postMessage(tree.get(), TMavDirTree21::WM_SHELLNOTIFY, 0, platform::SHCNE_CREATE);
        platform::processMessages();
        QVERIFY(dirChanges.isEmpty());

        // A folder the message does not name is found; what the user has open stays so.
        tree->Root()->setExpanded(false);
        makeDir("c/Photos/2010");
        platform::postMessage(tree.get(), TMavDirTree21::WM_SHELLNOTIFY, 0, platform::SHCNE_MKDIR);
        QTRY_COMPARE_WITH_TIMEOUT(ChildNames(photos), QStringList({"2008", "2009", "2010"}), 5000);
        QVERIFY(photos->data(0, markRole).toBool());
        QCOMPARE(tree->currentItem(), photos);
        QVERIFY(!tree->Root()->isExpanded());
        QVERIFY(tree->updatesEnabled());
        QVERIFY(dirChanges.isEmpty());
        QVERIFY(QDir().rmdir(host("c/Photos/2010")));
    }

    void followsDrivesComingAndGoing() {
        makeDir("g/Cards");
        tree->OpenPath("C:\\Photos");
        dirChanges.clear();
        QList<bool> drawingDuringEvent;
        tree->OnDirChange = [&](QObject*, const QString& path) {
            dirChanges.append(path);
            drawingDuringEvent.append(tree->updatesEnabled());
        };
        platform::addDrive(
            platform::DriveInfo{'G', host("g").toStdString(), platform::DRIVE_FIXED, "", true});
        QTRY_COMPARE_WITH_TIMEOUT(tree->Root()->childCount(), 5, 5000);
        QVERIFY(dirChanges.isEmpty());
        QVERIFY(tree->updatesEnabled());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Photos"));
        tree->OpenPath("G:\\Cards");
        QCOMPARE(tree->SelectedPath(), QStringLiteral("G:\\Cards\\"));

        dirChanges.clear();
        drawingDuringEvent.clear();
        platform::removeDrive('G');
        QTRY_COMPARE_WITH_TIMEOUT(tree->Root()->childCount(), 4, 5000);
        QVERIFY(!drive('G'));
        QTRY_COMPARE_WITH_TIMEOUT(dirChanges, QStringList({"My Computer"}), 5000);
        QCOMPARE(drawingDuringEvent, QList<bool>({false})); // moved while the tree is locked
        QVERIFY(tree->updatesEnabled());
    }

    void followsFoldersMadeOnDisk() {
        tree->OpenPath("C:\\Photos\\");
        dirChanges.clear();
        makeDir("c/Photos/New one");
        QTRY_VERIFY_WITH_TIMEOUT(ChildNames(tree->currentItem()).contains("New one"), 5000);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Photos"));
        QVERIFY(dirChanges.isEmpty());

        QVERIFY(QDir().rmdir(host("c/Photos/New one")));
        QTRY_VERIFY_WITH_TIMEOUT(!ChildNames(tree->currentItem()).contains("New one"), 5000);
    }
};

QTEST_MAIN(TreeWidgetTest)
#include "tree_widget_test.moc"
