// The tree's context menu and folder commands as a window: menu states and captions, new folder,
// delete, cut/copy/paste, tree size, folder contents, network drives, properties, in-place rename
// and drag-and-drop (on a tree with DragDropEnabled on). The drive map is a fresh set of temporary
// folders for each test; message boxes are answered and recorded. The test program runs in a mount
// namespace of its own, where it mounts volumes inside those folders.
#include <memory>
#include <optional>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "dirtree/folder_commands.h"
#include "dirtree/folder_contents_window.h"
#include "dirtree/languages.h"
#include "dirtree/mav_dir_tree.h"
#include "dirtree/net_path_dlg.h"
#include "dirtree/popup_menu.h"
#include "dirtree/tree_size_count.h"
#include "platform/core/drives.h"
#include "platform/qt/network.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"
#include "tests/support/guard_skip.h"
#include "tests/support/own_mounts.h"

namespace {

// The tree with the control's editing state visible, to see whether a caption is being edited.
class TestTree : public TMavDirTree21 {
public:
    using QAbstractItemView::state;
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    QLineEdit* Editor() const { return viewport()->findChild<QLineEdit*>(); }
};

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& caption) {
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == caption)
            return node->child(i);
    }
    return nullptr;
}

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

// Counts the change messages a tree is sent.
class ShellMessageCounter : public QObject {
public:
    explicit ShellMessageCounter(QWidget* tree) { tree->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == platform::MessageEvent::eventType() &&
            static_cast<platform::MessageEvent*>(event)->msg == TMavDirTree21::WM_SHELLNOTIFY)
            ++Count;
        return false;
    }
};

// Runs once the next modal dialog is up (a dialog's Execute does not return until it closes).
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
    });
}

} // namespace

class TreeCommandsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> temp;
    QTemporaryDir settings; // the trash and the saved network drives of these tests
    std::unique_ptr<TestTree> tree;
    QStringList dirChanges;
    int yesNoAnswer = platform::IDYES;

    QString host(const QString& relative) const { return temp->filePath(relative); }
    void makeDir(const QString& relative) { QVERIFY(QDir().mkpath(host(relative))); }
    void makeFile(const QString& relative, qint64 size) {
        QFile file(host(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size)); // sparse: the size counts, not the blocks
    }
    bool exists(const QString& relative) const { return QFileInfo::exists(host(relative)); }
    QTreeWidgetItem* drive(QChar letter) const {
        QTreeWidgetItem* root = tree->Root();
        for (int i = 0; root && i < root->childCount(); ++i) {
            if (root->child(i)->text(0).mid(2, 1) == letter)
                return root->child(i);
        }
        return nullptr;
    }
    // A point on a node's label, in viewport coordinates.
    QPoint labelOf(TMavDirTree21* on, QTreeWidgetItem* node) const {
        on->scrollToItem(node);
        const QRect row = on->visualItemRect(node);
        for (int x = row.left(); x < row.right(); ++x) {
            const QPoint point(x, row.center().y());
            if (on->HitTest(point) == htOnItem)
                return point;
        }
        return row.center();
    }
    QTreeWidgetItem* open(const QString& path) {
        tree->OpenPath(path);
        return tree->currentItem();
    }
    // Opens path and asks for its properties with Alt+Enter on the tree; the sheet shown, or null.
    QWidget* showProperties(const QString& path) {
        open(path);
        tree->setFocus();
        QTest::keyClick(tree.get(), Qt::Key_Return, Qt::AltModifier);
        QWidget* sheet = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("PropertiesSheet") && widget->isVisible())
                sheet = widget;
        }
        return sheet;
    }
    std::vector<platform::MessageBoxCall>& boxes() { return platform::recordedMessageBoxes(); }
    TMavDirTree21PopUp* menu() const { return tree->PopupMenu(); }

private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_DATA_HOME", QDir(settings.path()).filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", QDir(settings.path()).filePath("config").toUtf8());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void init() {
        temp = std::make_unique<QTemporaryDir>();
        QVERIFY(temp->isValid());
        for (const char* dir : {"c/Photos/2008", "c/Photos/2009", "c/Empty", "c/zeta", "f"})
            makeDir(QString::fromLatin1(dir));
        using platform::DriveInfo;
        platform::setDriveMap({
            DriveInfo{'C', host("c").toStdString(), platform::DRIVE_FIXED, "", true},
            DriveInfo{'F', host("f").toStdString(), platform::DRIVE_REMOTE, "", true},
        });
        yesNoAnswer = platform::IDYES;
        platform::setMessageBoxAnswerer([this](const platform::MessageBoxCall& call) {
            return (call.flags & 0xF) == platform::MB_YESNO ? yesNoAnswer : platform::IDOK;
        });
        boxes().clear();
        ClipOp = coNone;
        tree = std::make_unique<TestTree>();
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
        platform::setShellExecuteAnswerer(nullptr);
        platform::setFolderPickerAnswerer(nullptr);
        platform::setDisconnectDialogAnswerer(nullptr);
        platform::wnetCancelConnection("G:", true);
        CurrentLanguage = lnEnglish;
        LoadLanguageTexts();
    }

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
    lumo::test::EnterOwnMountNamespace(); // first, while the program has one thread
    QApplication application(argc, argv);
    TreeCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tree_commands_test.moc"
