// TMavDirTree21's in-place rename: which nodes may be edited, starting the editor, and the rename
// a finished edit asks for.
#include "dirtree/mav_dir_tree.h"

#include "dirtree/folder_commands.h"
#include "dirtree/shell_helpers.h"
#include "dirtree/tree_batch_update.h"
#include "platform/qt/ui.h"

bool TMavDirTree21::ReadOnly() const {
    return FReadOnly;
}

void TMavDirTree21::setReadOnly(bool value) {
    FReadOnly = value;
}

bool TMavDirTree21::CanEdit(QTreeWidgetItem* node) {
    if (!node || !NodeCanBeEdited(NodeLevel(node), FReadOnly))
        return false;
    bool allowEdit = true;
    if (OnEditing)
        OnEditing(this, node, allowEdit);
    return allowEdit;
}

void TMavDirTree21::EditNode(QTreeWidgetItem* node) {
    if (!CanEdit(node))
        return;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    EditCommitted = false;
    editItem(node, 0);
}

void TMavDirTree21::RenameNode(QTreeWidgetItem* node, const QString& newName) {
    if (!node || NodeLevel(node) < 2)
        return;
    // The question is spared for the one rename attempt that follows a new default-named folder.
    const bool askFirst = !SuppressRenameConfirm;
    SuppressRenameConfirm = false;
    if (!IsValidFolderName(newName)) {
        platform::messageBeep(platform::MB_ICONHAND);
        if (!newName.isEmpty())
            platform::messageBox(this, InvalidNameText(newName, LanguageTexts), QString(),
                                 platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    QString oldPath = GetNodePath(node);
    if (oldPath.isEmpty())
        return;
    BatchUpdate batch(this);
    oldPath = DelSlash(oldPath);
    const QString newPath = RenamedPath(oldPath, newName);
    if (askFirst &&
        platform::messageBox(this, RenameQuestionText(oldPath, newPath, LanguageTexts), QString(),
                             platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    platform::HourglassCursor hourglass;
    if (ShellFileOp(OpTable[opRename], oldPath, newPath)) {
        Reload();
        OpenPath(newPath);
    }
}
