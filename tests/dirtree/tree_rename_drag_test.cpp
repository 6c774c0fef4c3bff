// In-place rename of the tree's folders (a new folder's name included) and drag-and-drop on a tree
// with DragDropEnabled on: the checks, the questions and where the keyboard goes afterwards.
#include <QDir>

#include "dirtree/folder_commands.h"
#include "platform/qt/shell.h"
#include "tests/dirtree/tree_commands_fixture.h"

class TreeRenameDragTest : public TreeCommandsFixture {
    Q_OBJECT

private Q_SLOTS:
    void newFolderEditsItsNameWithoutTheQuestion() {
        open("C:\\Empty");
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(exists("c/Empty/New Folder"));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Empty\\New Folder\\"));
        QVERIFY(tree->Editing());
        QLineEdit* editor = tree->Editor();
        QVERIFY(editor);
        editor->setText("Holiday");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(exists("c/Empty/Holiday"), 5000);
        QVERIFY(!exists("c/Empty/New Folder"));
        QVERIFY(boxes().empty());
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Empty\\Holiday\\"));

        // A later rename asks again.
        QTest::keyClick(tree.get(), Qt::Key_F2);
        QVERIFY(tree->Editing());
        tree->Editor()->setText("Trip");
        QTest::keyClick(tree->Editor(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(exists("c/Empty/Trip"), 5000);
        QCOMPARE(boxes().size(), std::size_t(1));
        QCOMPARE(boxes().front().text,
                 QStringLiteral("Do you want to rename the selected folder\r\r    From  : Holiday\r"
                                "    To     : Trip"));
    }

    void aSecondNewFolderFailsSilently() {
        QTreeWidgetItem* empty = open("C:\\Empty");
        QVERIFY(tree->CreateFolder(empty, QString()));
        QVERIFY(tree->Editing());
        QTest::keyClick(tree->Editor(), Qt::Key_Escape); // the name is kept
        QVERIFY(!tree->Editing());
        dirChanges.clear();
        QVERIFY(!tree->CreateFolder(open("C:\\Empty"), QString()));
        QVERIFY(boxes().empty());
        QVERIFY(!tree->Editing());

        // The edit given up ended the spared question: a rename now asks it.
        QTreeWidgetItem* folder = ChildNamed(open("C:\\Empty"), "New Folder");
        QVERIFY(folder);
        tree->RenameNode(folder, "Kept");
        QCOMPARE(boxes().size(), std::size_t(1));
        QVERIFY(exists("c/Empty/Kept"));

        QVERIFY(!tree->CreateFolder(tree->Root(), "x"));
        QCOMPARE(boxes().back().text, QStringLiteral("ERROR - Can't add drives"));
        const int beeps = platform::beepCount();
        QVERIFY(!tree->CreateFolder(open("C:\\Empty"), "a+b"));
        QCOMPARE(boxes().back().text, QStringLiteral("Folder Name contains invalid characters"));
        QCOMPARE(platform::beepCount(), beeps + 1);
        QVERIFY(!exists("c/Empty/a+b"));
    }

    void renameChecksTheNameAndAsks() {
        QTreeWidgetItem* folder = open("C:\\Photos\\2009");
        for (const char* name : {"a,b", "a+b"}) {
            boxes().clear();
            const int beeps = platform::beepCount();
            tree->RenameNode(folder, QString::fromLatin1(name));
            QCOMPARE(platform::beepCount(), beeps + 1);
            QCOMPARE(boxes().size(), std::size_t(1));
            QCOMPARE(boxes().front().text,
                     QStringLiteral("Error - Invalid Directory Name\r") + QLatin1String(name));
        }
        boxes().clear();
        const int beeps = platform::beepCount();
        tree->RenameNode(folder, QString());
        QCOMPARE(platform::beepCount(), beeps + 1);
        QVERIFY(boxes().empty());
        QVERIFY(exists("c/Photos/2009"));

        // Declined: nothing changes.
        yesNoAnswer = platform::IDNO;
        dirChanges.clear();
        tree->RenameNode(folder, "Later");
        QCOMPARE(boxes().size(), std::size_t(1));
        QVERIFY(!exists("c/Photos/Later"));
        QVERIFY(dirChanges.isEmpty());

        // Enter without a change still asks, and the shell renames to the same path.
        yesNoAnswer = platform::IDYES;
        boxes().clear();
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_F2);
        QVERIFY(tree->Editing());
        QCOMPARE(tree->Editor()->text(), QStringLiteral("2009"));
        QTest::keyClick(tree->Editor(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(boxes().size(), std::size_t(1), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(dirChanges.contains("C:\\Photos\\2009\\"), 5000);
        QVERIFY(exists("c/Photos/2009"));
    }

    void onlyFoldersCanBeEdited() {
        tree->setFocus();
        for (QTreeWidgetItem* node : {tree->Root(), drive('C')}) {
            tree->setCurrentItem(node);
            QTest::keyClick(tree.get(), Qt::Key_F2);
            QVERIFY(!tree->Editing());
        }
        QTreeWidgetItem* folder = open("C:\\Photos");
        QVERIFY(tree->CanEdit(folder));
        tree->setReadOnly(true);
        QVERIFY(!tree->CanEdit(folder));
        tree->setReadOnly(false);
        tree->OnEditing = [](QObject*, QTreeWidgetItem*, bool& allow) {
            allow = false;
        };
        menu()->Item(tagEditNode)->trigger();
        QVERIFY(!tree->Editing());
    }

    void aFolderChangeWaitsForTheEditToEnd() {
        QTreeWidgetItem* year = open("C:\\Photos\\2008");
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_F2);
        QVERIFY(tree->Editing());
        dirChanges.clear();
        // The edited folder goes away meanwhile: removing its node now would end the edit.
        QVERIFY(QDir().rename(host("c/Photos/2008"), host("c/Photos/2007")));
        platform::postMessage(tree.get(), TMavDirTree21::WM_SHELLNOTIFY, 0, platform::SHCNE_MKDIR);
        platform::processMessages();
        QVERIFY(tree->Editing());
        QCOMPARE(tree->currentItem(), year);
        QTest::keyClick(tree->Editor(), Qt::Key_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(dirChanges, QStringList({"C:\\Photos\\"}), 5000);
        QTreeWidgetItem* photos = tree->currentItem();
        QCOMPARE(photos->childCount(), 2);
        QCOMPARE(photos->child(0)->text(0), QStringLiteral("2007"));
    }

    void anEmptyNameKeepsTheKeyboardOnTheTree() {
        tree->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tree.get()));
        open("C:\\Photos");
        tree->setFocus();
        // A new folder's name is edited while the disk tells of the folder.
        ShellMessageCounter messages(tree.get());
        QTest::keyClick(tree.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(tree->Editing());
        QTRY_VERIFY_WITH_TIMEOUT(messages.Count > 0, 5000);
        tree->Editor()->clear();
        QTest::keyClick(tree->Editor(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!tree->Editing(), 5000);
        QCoreApplication::processEvents(); // the rename the edit asked for, and the change
        QVERIFY(exists("c/Photos/New Folder"));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos\\New Folder\\"));
        // Arrows and F2 reach the tree without a click.
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(tree.get()),
                                  5000);
        QTreeWidgetItem* photos = tree->currentItem()->parent();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(tree->currentItem(), ChildNamed(photos, "2009"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QVERIFY(tree->Editing());
        // A window system that leaves the keyboard nowhere when the editor goes: the tree takes
        // it back.
        tree->Editor()->clear();
        tree->Editor()->clearFocus();
        QTest::keyClick(tree->Editor(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(tree.get()),
                                  5000);
    }

    void dragStartFixesTheOperation() {
        tree->setDragDropEnabled(true);
        QTreeWidgetItem* photos = open("C:\\Photos");
        QTreeWidgetItem* year = ChildNamed(photos, "2009");
        const QPoint yearPoint = labelOf(tree.get(), year);
        QTest::mousePress(tree->viewport(), Qt::LeftButton, Qt::ControlModifier, yearPoint);
        QCOMPARE(DragOp, int(doCopy));
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, yearPoint);
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Photos\\2009"));

        // Ctrl is no longer held at the drop: the drag still copies.
        tree->TreeDragDrop(tree.get(), labelOf(tree.get(), ChildNamed(drive('C'), "Empty")));
        QVERIFY(exists("c/Empty/2009"));
        QVERIFY(exists("c/Photos/2009"));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\Empty\\"));

        year = ChildNamed(open("C:\\Photos"), "2009");
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, labelOf(tree.get(), year));
        QCOMPARE(DragOp, int(doMove));
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, labelOf(tree.get(), year));
        tree->TreeDragDrop(tree.get(), labelOf(tree.get(), ChildNamed(drive('C'), "zeta")));
        QVERIFY(exists("c/zeta/2009"));
        QVERIFY(!exists("c/Photos/2009"));
        QVERIFY(boxes().empty());
    }

    void dragOverAndDropRefuseTheFolderItself() {
        tree->setDragDropEnabled(true);
        QTreeWidgetItem* photos = open("C:\\Photos");
        const QPoint photosPoint = labelOf(tree.get(), photos);
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, photosPoint);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, photosPoint);
        QVERIFY(!tree->TreeDragOver(tree.get(), photosPoint));
        QTreeWidgetItem* year = ChildNamed(tree->currentItem(), "2008");
        QVERIFY(tree->TreeDragOver(tree.get(), labelOf(tree.get(), year)));
        QObject stranger;
        QVERIFY(!tree->TreeDragOver(&stranger, labelOf(tree.get(), year)));

        // Into itself or its own sub-folder: refused before anything is touched.
        for (const char* target : {"C:\\Photos", "C:\\Photos\\2008"}) {
            boxes().clear();
            tree->TreeDragDrop(tree.get(), labelOf(tree.get(), open(QString::fromLatin1(target))));
            QCOMPARE(boxes().size(), std::size_t(1));
            QCOMPARE(boxes().front().text, QStringLiteral("File operation failed"));
        }
        year = open("C:\\Photos\\2008");
        QVERIFY(exists("c/Photos/2008"));
        QVERIFY(!exists("c/Photos/2008/Photos"));

        // Blank space below the last node runs only the user's drop handler.
        int userDrops = 0;
        tree->OnDragDrop = [&](QObject*, QObject*, int, int) {
            ++userDrops;
        };
        const QRect last = tree->visualItemRect(drive('F'));
        const QPoint blank(last.center().x(), last.bottom() + 40);
        QVERIFY(!tree->TreeDragOver(tree.get(), blank));
        tree->TreeDragDrop(tree.get(), blank);
        QCOMPARE(userDrops, 1);
        QVERIFY(exists("c/Photos"));

        // Switched off, the user's answer stands.
        tree->setDragDropEnabled(false);
        QVERIFY(!tree->TreeDragOver(tree.get(), labelOf(tree.get(), year)));
        tree->OnDragOver = [](QObject*, QObject*, int, int, bool&) {
        };
        QVERIFY(tree->TreeDragOver(&stranger, labelOf(tree.get(), year)));
    }

    void aPressThatMayStartADragKeepsWhatCutPicked() {
        tree->setDragDropEnabled(true);
        open("C:\\Photos\\2009");
        tree->SetClipboardOp(coCut);
        // A click on another folder may begin a drag; the folder cut is still the one to move.
        const QPoint zetaPoint = labelOf(tree.get(), ChildNamed(drive('C'), "zeta"));
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, zetaPoint);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, zetaPoint);
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\zeta"));
        open("C:\\Empty");
        tree->PasteFolder();
        QVERIFY(exists("c/Empty/2009"));
        QVERIFY(!exists("c/Photos/2009"));
        QVERIFY(exists("c/zeta"));
        QVERIFY(boxes().empty());

        // A drag that starts with a press still takes the folder pressed.
        const QPoint zetaNow = labelOf(tree.get(), ChildNamed(drive('C'), "zeta"));
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, zetaNow);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, zetaNow);
        tree->TreeDragDrop(tree.get(), labelOf(tree.get(), ChildNamed(drive('C'), "Empty")));
        QVERIFY(exists("c/Empty/zeta"));
        QVERIFY(exists("c/Empty/2009"));
    }

    void aDropFromAnotherTreeTakesThatTreesFolder() {
        tree->setDragDropEnabled(true);
        // This tree last picked up Photos\2008 ...
        QTreeWidgetItem* year = ChildNamed(open("C:\\Photos"), "2008");
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, labelOf(tree.get(), year));
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, labelOf(tree.get(), year));
        // ... while the drag comes from the other tree, which picked up zeta.
        TestTree other;
        other.setFolderType(tree->FolderType());
        other.resize(400, 600);
        other.show();
        other.OpenPath("C:\\zeta");
        QTreeWidgetItem* zeta = other.currentItem();
        QTest::mousePress(other.viewport(), Qt::LeftButton, {}, labelOf(&other, zeta));
        QTest::mouseRelease(other.viewport(), Qt::LeftButton, {}, labelOf(&other, zeta));

        tree->TreeDragDrop(&other, labelOf(tree.get(), ChildNamed(drive('C'), "Empty")));
        QVERIFY(exists("c/Empty/zeta"));
        QVERIFY(!exists("c/zeta"));
        QVERIFY(exists("c/Photos/2008"));
        QVERIFY(!exists("c/Empty/2008"));
    }
};

int main(int argc, char** argv) {
    return RunTreeCommandsTest<TreeRenameDragTest>(argc, argv);
}
#include "tree_rename_drag_test.moc"
