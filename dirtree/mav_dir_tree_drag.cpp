// TMavDirTree21's drag-and-drop of folders: the drag start after a left press, the answer while a
// drag passes over the tree, and the drop that moves or copies the dragged folder into the target.
#include "dirtree/mav_dir_tree.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

#include "dirtree/folder_commands.h"
#include "dirtree/shell_helpers.h"
#include "dirtree/tree_batch_update.h"
#include "platform/qt/ui.h"

namespace {

// The drag's data: the dragged folder's path, for whoever looks; the receiving tree asks the
// source tree itself.
const QString FolderMimeType = QStringLiteral("application/x-lumograph-folder");

// Beyond the system's drag threshold the mouse must move this much further before a drag starts.
constexpr int ExtraDragDistance = 8;

} // namespace

void TMavDirTree21::StartDrag(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const THitTest hit = HitTest(point);
    QTreeWidgetItem* node = itemAt(point);
    DragSourceNode = node ? QPersistentModelIndex(indexFromItem(node)) : QPersistentModelIndex();
    DragPending = false;
    if (hit != htOnItem && hit != htOnIcon) {
        if (QTreeWidgetItem* selected = currentItem())
            selected->setSelected(false);
        return;
    }
    DragSourcePath = GetNodePath(node);
    setCurrentItem(node);
    setFocus();
    platform::processMessages();
    // A release already handled above means a click, not a drag.
    if (!LeftButtonDown)
        return;
    DragOp = event->modifiers().testFlag(Qt::ControlModifier) ? doCopy : doMove;
    DragPending = true;
    DragStartPoint = point;
}

void TMavDirTree21::BeginDragIfMoved(const QPoint& point) {
    if (!DragPending || (point - DragStartPoint).manhattanLength() <=
                            QApplication::startDragDistance() + ExtraDragDistance)
        return;
    DragPending = false;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(FolderMimeType, DragSourcePath.toUtf8());
    drag->setMimeData(data);
    drag->exec(DragOp == doCopy ? Qt::CopyAction : Qt::MoveAction);
    // The drag took the button's release for itself.
    LeftButtonDown = false;
}

bool TMavDirTree21::TreeDragOver(QObject* source, const QPoint& point) {
    bool accept = false;
    if (OnDragOver) {
        accept = true;
        OnDragOver(this, source, point.x(), point.y(), accept);
    }
    if (!FDragDropEnabled)
        return accept;
    const auto* sourceTree = qobject_cast<const TMavDirTree21*>(source);
    if (!sourceTree)
        return false;
    QTreeWidgetItem* target = itemAt(point);
    return target && target != sourceTree->NodeAt(sourceTree->DragSourceNode);
}

void TMavDirTree21::TreeDragDrop(QObject* source, const QPoint& point) {
    if (!FDragDropEnabled || !SelectedNode())
        return;
    DropTargetPath.clear();
    const THitTest hit = HitTest(point);
    QTreeWidgetItem* target = itemAt(point);
    if (hit != htOnItem && hit != htOnIcon && hit != htOnRight) {
        if (OnDragDrop)
            OnDragDrop(this, source, point.x(), point.y());
        return;
    }
    if (!target || FReadOnly)
        return;
    DropTargetPath = AddSlash(GetNodePath(target));
    const auto* sourceTree = qobject_cast<const TMavDirTree21*>(source);
    if (!sourceTree)
        return;
    // The folder is the one picked up in the tree the drag came from, which may be another tree.
    const QString sourcePath = sourceTree->DragSourcePath;
    const QString targetPath = DropTargetPath;
    const auto rebuild = [this, targetPath] {
        platform::processMessages();
        Reload();
        OpenPath(targetPath);
    };
    platform::processMessages();
    bool done = false;
    try {
        BatchUpdate batch(this);
        done = !PutsFolderInsideItself(sourcePath, targetPath) &&
               ShellFileOp(OpTable[size_t(DragOp)], sourcePath, targetPath);
    } catch (...) {
        rebuild();
        throw;
    }
    if (!done)
        platform::messageBox(this, LanguageTexts.FileOpFailed, QString(),
                             platform::MB_OK | platform::MB_ICONERROR);
    rebuild();
    if (done && OnDragDrop)
        OnDragDrop(this, source, point.x(), point.y());
}
