// The tree's context menu and folder commands as a window: menu states and captions,
// cut/copy/paste, delete, tree size, folder contents, network drives and the properties sheets.
#include <functional>
#include <optional>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "dirtree/folder_commands.h"
#include "dirtree/folder_contents_window.h"
#include "dirtree/languages.h"
#include "dirtree/net_path_dlg.h"
#include "dirtree/tree_size_count.h"
#include "platform/core/drives.h"
#include "platform/qt/network.h"
#include "platform/qt/shell.h"
#include "tests/dirtree/tree_commands_fixture.h"
#include "tests/support/guard_skip.h"
#include "tests/support/own_mounts.h"

namespace {

QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QString EnabledMarks(const TMavDirTree21PopUp* menu) {
    QString marks;
    for (int tag = tagAddNode; tag <= tagItemProperty; ++tag)
        marks += menu->Item(tag)->isEnabled() ? QLatin1Char('x') : QLatin1Char('.');
    return marks;
}

// Runs once the next modal dialog is up (a dialog's Execute does not return until it closes).
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
    });
}

} // namespace

class TreeFolderCommandsTest : public TreeCommandsFixture {
    Q_OBJECT

private Q_SLOTS:
    void menuHasElevenItemsAndFollowsTheSelection() {
        QCOMPARE(MenuTexts(menu()), QStringList({"&New Folder", "&Rename Folder", "&Delete Folder",
                                                 "-", "Cu&t", "&Copy", "&Paste", "-", "Tree &Size",
                                                 "&Folder Contents", "-", "&Map Network Drive ...",
                                                 "Dis&Connect Network Drive", "-", "&Property"}));
        for (int tag = tagAddNode; tag <= tagItemProperty; ++tag) {
            QAction* item = menu()->Item(tag);
            QCOMPARE(item->objectName(),
                     QLatin1String(TMavDirTree21PopUp::ItemNames[size_t(tag - 1)]));
            QVERIFY(!item->icon().isNull());
            QVERIFY(!item->isCheckable());
        }

        // The states are set each time the menu opens, for the node selected then.
        tree->setCurrentItem(tree->Root());
        menu()->Popup(QPoint(100, 100));
        QCOMPARE(EnabledMarks(menu()), QStringLiteral("........xx."));
        QCOMPARE(menu()->pos(), QPoint(110, 110));
        menu()->hide();
        tree->setCurrentItem(drive('C'));
        menu()->Popup(QPoint(100, 100));
        QCOMPARE(EnabledMarks(menu()), QStringLiteral("x.....xxxxx"));
        menu()->hide();
        open("C:\\Photos");
        tree->SetClipboardOp(coCopy);
        QVERIFY(!menu()->Item(tagPasteNode)->isEnabled()); // not updated until the menu opens
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(200, 150));
        QApplication::sendEvent(tree->viewport(), &request);
        QVERIFY(menu()->isVisible());
        QCOMPARE(menu()->pos(), QPoint(210, 160));
        QCOMPARE(EnabledMarks(menu()), QStringLiteral("xxxxxxxxxxx"));
        menu()->hide();

        // Without the menu switched on, a request opens nothing.
        tree->setPopUpMenuEnabled(false);
        QApplication::sendEvent(tree->viewport(), &request);
        QVERIFY(!menu()->isVisible());
    }

    void menuItemClickNeedsANameAndATag() {
        open("C:\\Photos\\2008");
        QObject nameless;
        nameless.setProperty("tag", int(tagCopyNode));
        menu()->MenuItemClick(&nameless);
        QObject untagged;
        untagged.setObjectName("CopyNode");
        menu()->MenuItemClick(&untagged);
        menu()->MenuItemClick(nullptr);
        QCOMPARE(ClipOp, int(coNone));
        menu()->Item(tagCopyNode)->trigger();
        QCOMPARE(ClipOp, int(coCopy));
        QVERIFY(tree->PasteArmed());
    }

    void languageChangeRebuildsTheMenu() {
        TMavDirTree21PopUp* english = menu();
        tree->setLanguage(lnGerman);
        QVERIFY(menu() != english);
        QCOMPARE(menu()->Item(tagAddNode)->text(), MenuCaptionsFor(lnGerman)[0]);
        QCOMPARE(menu()->Item(tagItemProperty)->text(), MenuCaptionsFor(lnGerman)[10]);
        QVERIFY(tree->PopUpMenuEnabled());
    }

    void pasteGreysOutWhileCtrlVRepeatsIt() {
        open("C:\\Photos\\2009");
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(tree->PasteArmed());
        open("C:\\Empty");
        dirChanges.clear();
        menu()->Item(tagPasteNode)->trigger();
        QVERIFY(exists("c/Empty/2009"));
        QVERIFY(exists("c/Photos/2009"));
        QCOMPARE(dirChanges.value(0), QStringLiteral("C:\\Empty\\"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Empty"));
        menu()->Popup(QPoint(0, 0));
        QVERIFY(!menu()->Item(tagPasteNode)->isEnabled());
        menu()->hide();

        open("C:\\zeta");
        QTest::keyClick(tree.get(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(exists("c/zeta/2009"));
        QVERIFY(boxes().empty());
    }

    void cutAndPasteMovesCopyOntoADriveCopiesIntoItsRoot() {
        open("C:\\Photos\\2009");
        tree->SetClipboardOp(coCut);
        open("C:\\Empty");
        tree->PasteFolder();
        QVERIFY(exists("c/Empty/2009"));
        QVERIFY(!exists("c/Photos/2009"));

        open("C:\\Empty\\2009");
        tree->SetClipboardOp(coCopy);
        tree->setCurrentItem(drive('C'));
        tree->setSelectedPath("C:\\");
        tree->PasteFolder();
        QVERIFY(exists("c/2009"));
        QVERIFY(exists("c/Empty/2009"));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("C:\\"));

        // A paste that fails says so in the tree's own words.
        QVERIFY(QDir(host("c/Empty/2009")).removeRecursively());
        tree->PasteFolder();
        QCOMPARE(boxes().back().text, QStringLiteral("File operation failed"));
        QVERIFY(!tree->PasteArmed());
    }

    void nothingGoesIntoItself() {
        makeFile("c/Photos/2008/a.jpg", 10);
        open("C:\\Photos");
        tree->SetClipboardOp(coCut);
        for (const char* target : {"C:\\Photos\\2008", "C:\\Photos"}) {
            boxes().clear();
            open(QString::fromLatin1(target));
            tree->PasteFolder();
            QCOMPARE(boxes().size(), std::size_t(1)); // no shell box before the tree's own
            QCOMPARE(boxes().front().text, QStringLiteral("File operation failed"));
        }
        tree->SetClipboardOp(coCopy);
        open("C:\\Photos\\2008");
        tree->PasteFolder();
        QCOMPARE(QDir(host("c/Photos/2008")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList({"a.jpg"}));
        QVERIFY(exists("c/Photos/2009"));
    }

    void deleteSendsTheFolderToTheTrash() {
        makeDir("c/zeta/old");
        QTreeWidgetItem* old = open("C:\\zeta\\old");
        QTreeWidgetItem* zeta = old->parent();
        dirChanges.clear();
        const QString selected = tree->SelectedPath();
        QVERIFY(tree->DeleteFolder(old));
        QVERIFY(!exists("c/zeta/old"));
        QCOMPARE(boxes().size(), std::size_t(1)); // the shell's own question
        QCOMPARE(tree->currentItem(), zeta);
        QCOMPARE(zeta->childCount(), 0);
        QCOMPARE(tree->SelectedPath(), selected);
        QVERIFY(dirChanges.isEmpty());

        makeDir("c/zeta/gone");
        tree->Reload();
        QTreeWidgetItem* gone = open("C:\\zeta\\gone");
        QCOMPARE(gone->text(0), QStringLiteral("gone"));
        QVERIFY(QDir().rmdir(host("c/zeta/gone")));
        boxes().clear();
        const int beeps = platform::beepCount();
        QVERIFY(!tree->DeleteFolder(gone));
        QCOMPARE(platform::beepCount(), beeps + 1);
        QCOMPARE(boxes().front().text, QStringLiteral("C:\\zeta\\gonenot found"));
        QVERIFY(!tree->DeleteFolder(drive('C')));
        QVERIFY(!tree->DeleteFolder(tree->Root()));
        QVERIFY(exists("c/zeta"));
    }

    void treeSizeReportsKnownTrees() {
        makeDir("c/Sized/Zero");
        makeDir("c/Sized/Small/inner");
        makeFile("c/Sized/Small/inner/a.jpg", 300);
        makeFile("c/Sized/Small/b.jpg", 200);
        QVERIFY(QFile::link(host("c/Sized/Small"), host("c/Sized/Small/inner/loop")));
        makeDir("c/Sized/Small/card");
        const lumo::test::ScopedMount card(host("c/Sized/Small/card").toStdString());
        if (!card.mounted() && lumo::test::GuardSkipsFail())
            QFAIL("needs a mount namespace of its own (unshare) for the volume inside the tree");
        if (card.mounted())
            makeFile("c/Sized/Small/card/on-card.jpg", 5000);
        else
            qInfo("no mount namespace of its own: the volume inside the tree is left out");
        makeDir("c/Sized/Big");
        makeFile("c/Sized/Big/huge.bin", 200000000);

        const struct {
            const char* path;
            double total;
            const char* text;
        } cases[] = {
            {"C:\\Sized\\Zero", 0,
             "Folder \"Zero\"\rand all its Sub-Folders \r =  0 Bytes\r"
             "     (i.e. 0.00 KB )"},
            {"C:\\Sized\\Small", 500,
             "Folder \"Small\"\rand all its Sub-Folders \r =  500 Bytes\r"
             "     (i.e. 1.00 KB )"},
            {"C:\\Sized\\Big", 200000000,
             "Folder \"Big\"\rand all its Sub-Folders \r"
             " =  200,000,000 Bytes\r     (i.e. 190.73 MB )"},
        };
        for (const auto& c : cases) {
            boxes().clear();
            open(QString::fromLatin1(c.path));
            QCOMPARE(tree->ShowTreeSize(), c.total);
            QCOMPARE(boxes().size(), std::size_t(1));
            QCOMPARE(boxes().front().text,
                     QStringLiteral("===== TREE SIZE =====\r\r") + QLatin1String(c.text));
            QCOMPARE(boxes().front().flags,
                     unsigned(platform::MB_OK | platform::MB_ICONINFORMATION));
        }

        tree->setCurrentItem(drive('F'));
        QCOMPARE(tree->ShowTreeSize(), 0.0);
        QVERIFY(boxes().back().text.contains("\r\rDrive F:\\\r"));
    }

    void escapeStopsALongCountAndReportsNothing() {
        // A walk that goes on until it is told to stop.
        const TTreeSizeWalk endless = [](std::string_view, platform::TreeSizeProgress* progress) {
            while (!progress->stop.load())
                progress->files.fetch_add(1);
            platform::TreeSize size;
            size.stopped = true;
            return size;
        };
        bool sawProgress = false;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QProgressDialog*>(modal);
            QVERIFY(dialog);
            sawProgress = dialog->labelText().startsWith("Counting the files of C:\\Photos");
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        const std::optional<double> total =
            CountFolderTreeSize("C:\\Photos", tree.get(), std::chrono::milliseconds(0), endless);
        QVERIFY(!total);
        QVERIFY(sawProgress);

        makeFile("c/Photos/2008/a.jpg", 1234);
        QCOMPARE(CountFolderTreeSize("C:\\Photos", tree.get(), std::chrono::milliseconds(0)),
                 std::optional<double>(1234));
    }

    void folderContentsListsFilesAndHandsOneBack() {
        makeFile("c/Photos/b.txt", 1);
        makeFile("c/Photos/a.jpg", 1);
        open("C:\\Photos");
        QStringList fileChanges;
        tree->OnFileChange = [&](QObject*, const QString& file) {
            fileChanges.append(file);
        };
        tree->ShowFolderContentsWindow();
        auto* window = tree->findChild<TFolderContentsWindow*>();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(), tree->rect());
        QCOMPARE(window->windowTitle(), QStringLiteral("Files in \" ..\\Photos \""));
        QVERIFY(!drive('C')->isExpanded());
        QCOMPARE(window->ListView->count(), 2);
        QCOMPARE(window->ListView->item(0)->text(), QStringLiteral("a.jpg"));
        QCOMPARE(window->ListView->item(1)->text(), QStringLiteral("b.txt"));
        QCOMPARE(window->ListView->currentRow(), 0);
        QVERIFY(window->ListView->selectedItems().isEmpty());

        QList<platform::ShellExecuteCall> launched;
        platform::setShellExecuteAnswerer([&](const platform::ShellExecuteCall& call) {
            launched.append(call);
            return intptr_t(42);
        });
        QListWidgetItem* b = window->ListView->item(1);
        b->setSelected(true);
        Q_EMIT window->ListView->itemDoubleClicked(b);
        QCOMPARE(launched.size(), 1);
        QCOMPARE(launched.front().verb, QStringLiteral("Open"));
        QCOMPARE(QString::fromStdString(launched.front().file),
                 QStringLiteral("C:\\Photos\\b.txt"));
        QCOMPARE(QString::fromStdString(launched.front().directory),
                 QStringLiteral("C:\\Photos\\"));
        QVERIFY(window->isVisible());

        dirChanges.clear();
        QTest::mouseClick(window->BtnOK, Qt::LeftButton);
        QCOMPARE(fileChanges, QStringList({"C:\\Photos\\b.txt"}));
        QCOMPARE(tree->SelectedFile(), QStringLiteral("C:\\Photos\\b.txt"));
        QCOMPARE(dirChanges, QStringList({"C:\\Photos\\"}));
        QTRY_VERIFY_WITH_TIMEOUT(!tree->findChild<TFolderContentsWindow*>(), 5000);

        // OK without a selection clears the file and tells nobody.
        tree->setCurrentItem(drive('C'));
        tree->setSelectedPath("C:\\");
        tree->ShowFolderContentsWindow();
        window = tree->findChild<TFolderContentsWindow*>();
        QCOMPARE(window->windowTitle(), QStringLiteral("Files in \" C:\\ \""));
        QTest::mouseClick(window->BtnOK, Qt::LeftButton);
        QCOMPARE(fileChanges.size(), 1);
        QCOMPARE(tree->SelectedFile(), QString());
    }

    void mapNetworkDriveDialog() {
        TNetPathDlg dialog(tree.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Map Network Drive"));
        QCOMPARE(dialog.size(), QSize(382, 160));
        QCOMPARE(dialog.DriveText, QStringLiteral("G:"));
        QCOMPARE(dialog.DriveBox->count(), 20);
        QCOMPARE(dialog.DriveBox->geometry(), QRect(60, 52, 189, 21));
        QCOMPARE(dialog.BtnCancel->geometry(), QRect(272, 116, 75, 23));
        QVERIFY(dialog.Label1->text().startsWith("Specify an avilable Drive Letter"));
        QVERIFY(dialog.ReconnectBox->isChecked());
        QVERIFY(dialog.BtnOK->isDefault());

        // Browsing to a share without a program path leaves the box as it was.
        std::optional<std::string> picked;
        platform::setFolderPickerAnswerer([&](const QString&) { return picked; });
        dialog.PathBox->setText("typed");
        dialog.BtnBrowse->click();
        QCOMPARE(dialog.PathBox->text(), QStringLiteral("typed"));
        picked = "C:\\Photos\\";
        dialog.BtnBrowse->click();
        QCOMPARE(dialog.PathBox->text(), QStringLiteral("C:\\Photos"));
        QCOMPARE(dialog.NetPath, QStringLiteral("C:\\Photos"));

        WhenModal([](QWidget* modal) {
            auto* shown = qobject_cast<TNetPathDlg*>(modal);
            QVERIFY(shown);
            shown->PathBox->setText("\\\\server\\share");
            shown->ReconnectBox->setChecked(false);
            shown->BtnOK->click();
        });
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.NetPath, QStringLiteral("\\\\server\\share"));
        QCOMPARE(dialog.DriveText, QStringLiteral("G:"));
        QVERIFY(!dialog.Reconnect);

        TNetPathDlg cancelled(tree.get());
        WhenModal([](QWidget* modal) {
            static_cast<TNetPathDlg*>(modal)->PathBox->setText("C:\\zeta");
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QVERIFY(!cancelled.Execute());
        QCOMPARE(cancelled.NetPath, QString());
    }

    void connectAndDisconnectANetworkDrive() {
        const QString share = host("c/zeta");
        WhenModal([share](QWidget* modal) {
            auto* dialog = qobject_cast<TNetPathDlg*>(modal);
            QVERIFY(dialog);
            dialog->PathBox->setText(share);
            dialog->ReconnectBox->setChecked(false);
            dialog->BtnOK->click();
        });
        dirChanges.clear();
        menu()->Item(tagConnectNetResource)->trigger();
        QVERIFY(dirChanges.isEmpty());
        QVERIFY(platform::driveInfo('G'));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("G:\\"));
        QCOMPARE(tree->currentItem(), drive('G'));
        QVERIFY(tree->Root()->isExpanded());

        platform::setDisconnectDialogAnswerer(
            [](const std::vector<platform::NetConnection>&) { return 'G'; });
        dirChanges.clear();
        ShellMessageCounter messages(tree.get());
        tree->DisconnectNetDrive();
        QVERIFY(dirChanges.isEmpty());
        QVERIFY(!platform::driveInfo('G'));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("My Computer"));
        QCOMPARE(tree->currentItem(), tree->Root());
        QVERIFY(!drive('G'));
        // The drive's going is told afterwards too; the root stays the selected node.
        QTRY_VERIFY_WITH_TIMEOUT(messages.Count > 0, 5000);
        QCoreApplication::processEvents(); // the change is followed once the messages are in
        QCOMPARE(tree->currentItem(), tree->Root());
        QVERIFY(tree->Root()->isSelected());
        QVERIFY(dirChanges.isEmpty());

        // Cancelled: nothing is connected, nothing changes.
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        tree->ConnectNetDrive();
        QVERIFY(!platform::driveInfo('G'));
        QCOMPARE(tree->SelectedPath(), QStringLiteral("My Computer"));
    }

    void altEnterShowsTheFolderProperties() {
        QWidget* sheet = showProperties("C:\\Photos");
        QVERIFY(sheet);
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Photos Properties"));
        sheet->close();
    }

    void escapeClosesThePropertiesSheets() {
        for (const char* path : {"C:\\Photos", "C:\\"}) {
            tree->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(tree.get()));
            QWidget* sheet = showProperties(QString::fromLatin1(path));
            QVERIFY(sheet);
            // The key goes where the user's keys go: to the window that has the focus.
            QTRY_VERIFY_WITH_TIMEOUT(sheet->isActiveWindow(), 5000);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QTRY_VERIFY_WITH_TIMEOUT(!sheet->isVisible(), 5000);
        }
    }
};

int main(int argc, char** argv) {
    return RunTreeCommandsTest<TreeFolderCommandsTest>(argc, argv);
}
#include "tree_folder_commands_test.moc"
