// TMavDirTree21's folder commands: new folder, delete, cut/copy/paste, tree size, folder contents,
// network drives and properties, and the context menu and keys that reach them. The rules they
// follow are the plain functions of folder_commands.h.
#include "dirtree/mav_dir_tree.h"

#include "dirtree/folder_commands.h"
#include "dirtree/folder_contents_window.h"
#include "dirtree/net_path_dlg.h"
#include "dirtree/popup_menu.h"
#include "dirtree/shell_helpers.h"
#include "dirtree/tree_batch_update.h"
#include "dirtree/tree_size_count.h"
#include "platform/core/files.h"
#include "platform/qt/network.h"
#include "platform/qt/path_text.h"
#include "platform/qt/ui.h"

namespace {

const QString MyComputerPath = QStringLiteral("My Computer");

void ErrorBox(QWidget* owner, const QString& text) {
    platform::messageBox(owner, text, QString(), platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace

TMavDirTree21PopUp* TMavDirTree21::PopupMenu() const {
    return Menu;
}

bool TMavDirTree21::PasteArmed() const {
    return FPasteArmed;
}

QTreeWidgetItem* TMavDirTree21::NodeAt(const QPersistentModelIndex& index) const {
    return index.isValid() ? itemFromIndex(index) : nullptr;
}

void TMavDirTree21::BuildMenu() {
    // The old menu may be the one whose item runs this (a language change from a command), so it
    // goes when control is back in the event loop.
    if (Menu)
        Menu->deleteLater();
    Menu = new TMavDirTree21PopUp(this, CurrentLanguage);
}

bool TMavDirTree21::CreateFolder(QTreeWidgetItem* node, const QString& name) {
    if (!node)
        node = SelectedNode();
    if (!node)
        return false;
    if (node == Root()) {
        ErrorBox(this, LanguageTexts.ErrorPrefix + LanguageTexts.CantAddDrives);
        return false;
    }
    QString folderName = name;
    if (folderName.isEmpty()) {
        folderName = LanguageTexts.NewFolderName;
        SuppressRenameConfirm = true;
    }
    const QString parentFolder = AddSlash(GetNodePath(node));
    const QString newPath = AddSlash(parentFolder + folderName);
    if (HasAnyChar(InvalidFolderNameChars, folderName)) {
        platform::messageBeep(platform::MB_ICONHAND);
        ErrorBox(this, LanguageTexts.InvalidChars);
        SuppressRenameConfirm = false;
        return false;
    }
    bool created = false;
    {
        BatchUpdate batch(this);
        created = platform::createDirectory(platform::pathBytes(newPath));
        if (created) {
            Reload();
            OpenPath(newPath);
        }
    }
    // The suppressed question belongs to the edit that follows a creation; without one it ends.
    if (created && folderName == LanguageTexts.NewFolderName)
        EditNode(SelectedNode());
    if (state() != QAbstractItemView::EditingState)
        SuppressRenameConfirm = false;
    return created;
}

bool TMavDirTree21::DeleteFolder(QTreeWidgetItem* node) {
    if (!node || NodeLevel(node) < 2)
        return false;
    platform::HourglassCursor hourglass;
    const QString path = GetNodePath(node);
    if (path.isEmpty())
        return false;
    if (!platform::directoryExists(platform::pathBytes(path))) {
        platform::messageBeep(platform::MB_ICONHAND);
        ErrorBox(this, path + LanguageTexts.NotFound);
        return false;
    }
    // The shell's confirmation lets other events run: the node may be rebuilt meanwhile.
    const QPersistentModelIndex index(indexFromItem(node));
    if (!ShellFileOp(OpTable[opDelete], DelSlash(path), QString()))
        return false;
    if (QTreeWidgetItem* deleted = NodeAt(index)) {
        setCurrentItem(deleted->parent());
        delete deleted;
    }
    return true;
}

void TMavDirTree21::SetClipboardOp(int op) {
    ClipOp = coNone;
    if (SelectedNode() && !FSelectedPath.isEmpty()) {
        ClipSourcePath = FSelectedPath;
        ClipOp = op;
        FPasteArmed = true;
    }
}

void TMavDirTree21::PasteFolder() {
    if (SelectedNode() && !FSelectedPath.isEmpty() && !ClipSourcePath.isEmpty() &&
        (ClipOp == coCopy || ClipOp == coCut)) {
        DropTargetPath = AddSlash(FSelectedPath);
        // A folder never goes into itself or one of its own sub-folders.
        const bool done = !PutsFolderInsideItself(ClipSourcePath, DropTargetPath) &&
                          ShellFileOp(OpTable[size_t(ClipOp)], ClipSourcePath, DropTargetPath);
        if (done) {
            Reload();
            OpenPath(DropTargetPath);
        } else {
            ErrorBox(this, LanguageTexts.FileOpFailed);
        }
    }
    FPasteArmed = false;
}

double TMavDirTree21::ShowTreeSize() {
    QTreeWidgetItem* node = SelectedNode();
    const QString path = GetNodePath(node);
    const int level = node ? NodeLevel(node) : 0;
    std::optional<double> total;
    {
        // No batch update: the tree must keep drawing while a long count shows its progress.
        platform::HourglassCursor hourglass;
        total = CountFolderTreeSize(path, this);
    }
    if (!total)
        return -1;
    platform::messageBox(this,
                         TreeSizeMessage(TreeSizeHeading(level, path, LanguageTexts), *total,
                                         LanguageTexts, ReportLocale()),
                         QString(), platform::MB_OK | platform::MB_ICONINFORMATION);
    return *total;
}

void TMavDirTree21::ShowFolderContentsWindow() {
    QTreeWidgetItem* node = SelectedNode();
    const QString folder = FSelectedPath;
    const QString caption = FolderContentsCaption(node ? NodeLevel(node) : 0, folder);
    if (QTreeWidgetItem* root = Root())
        CollapseAll(root);
    new TFolderContentsWindow(this, folder, caption, [this, folder](const QString& chosenFile) {
        FolderContentsClosed(folder, chosenFile);
    });
}

void TMavDirTree21::FolderContentsClosed(const QString& folder, const QString& chosenFile) {
    setSelectedFile(QString());
    if (!chosenFile.isEmpty()) {
        setSelectedFile(chosenFile);
        if (OnFileChange)
            OnFileChange(this, FSelectedFile);
    }
    OpenPath(folder);
}

void TMavDirTree21::ConnectNetDrive() {
    TNetPathDlg dialog(this);
    if (!dialog.Execute())
        return;
    if (AddNetConnection(dialog.DriveText, dialog.NetPath, true, dialog.Reconnect) != 0)
        return;
    Reload();
    QTreeWidgetItem* root = Root();
    if (!root)
        return;
    root->setExpanded(true);
    // The dialog offers only letters after the highest drive, so the new drive comes last.
    if (QTreeWidgetItem* drive = root->child(root->childCount() - 1)) {
        setCurrentItem(drive);
        setSelectedPath(GetNodePath(drive));
    }
}

void TMavDirTree21::DisconnectNetDrive() {
    if (platform::wnetDisconnectDialog(platform::activeWindow()) != 0)
        return;
    Reload();
    QTreeWidgetItem* root = Root();
    if (!root)
        return;
    if (!root->isExpanded())
        root->setExpanded(true);
    setCurrentItem(root);
    setSelectedPath(MyComputerPath);
}

void TMavDirTree21::ShowFolderProperties() {
    if (SelectedNode() && !FSelectedPath.isEmpty())
        ShowPropertiesDialog(FSelectedPath);
}

void TMavDirTree21::InstallFolderCommands() {
    CommandHooks.NewFolder = [this] {
        CreateFolder(nullptr, QString());
    };
    CommandHooks.ClipboardOp = [this](int op) {
        SetClipboardOp(op);
    };
    CommandHooks.Paste = [this] {
        PasteFolder();
    };
    CommandHooks.Properties = [this] {
        ShowFolderProperties();
    };
    CommandHooks.Rename = [this] {
        EditNode(SelectedNode());
    };
    CommandHooks.BuildMenu = [this] {
        BuildMenu();
    };
    CommandHooks.StartDrag = [this](QMouseEvent* event) {
        StartDrag(event);
    };
    InstallEventFilters();
}
