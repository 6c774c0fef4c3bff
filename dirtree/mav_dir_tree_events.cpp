// The Qt events behind TMavDirTree21's folder commands: the context menu, the mouse and drag
// events of drag-and-drop, and the start and end of a caption edit (whose commit becomes a rename
// and during which following the disk waits, so that a folder change does not end the edit).
#include "dirtree/mav_dir_tree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

#include "dirtree/popup_menu.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

// Watches the tree and its viewport on the tree's behalf.
class TMavDirTree21::TCommandEvents : public QObject {
public:
    explicit TCommandEvents(TMavDirTree21* tree) : QObject(tree), Tree(tree) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == Tree)
            return TreeEvent(event);
        return ViewportEvent(event);
    }

private:
    // A rebuild of the tree while a caption is edited would take the edited node away.
    bool TreeEvent(QEvent* event) {
        if (event->type() != platform::MessageEvent::eventType() ||
            Tree->state() != QAbstractItemView::EditingState)
            return false;
        const auto* message = static_cast<platform::MessageEvent*>(event);
        if (message->msg != WM_SHELLNOTIFY)
            return false;
        Tree->NoteShellMessage(message->wParam, static_cast<unsigned>(message->lParam));
        Tree->DeferredShellNotify = true;
        return true;
    }

    bool ViewportEvent(QEvent* event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                Tree->LeftButtonDown = true;
            return false;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                Tree->LeftButtonDown = false;
                Tree->DragPending = false;
            }
            return false;
        case QEvent::MouseMove: {
            auto* move = static_cast<QMouseEvent*>(event);
            if (Tree->DragPending && move->buttons().testFlag(Qt::LeftButton))
                Tree->BeginDragIfMoved(move->position().toPoint());
            return false;
        }
        case QEvent::DragEnter: {
            // Every point is judged as the drag moves; entering only needs a source to judge.
            auto* enter = static_cast<QDragEnterEvent*>(event);
            if (qobject_cast<TMavDirTree21*>(enter->source()) || Tree->OnDragOver)
                enter->acceptProposedAction();
            else
                enter->ignore();
            return true;
        }
        case QEvent::DragMove: {
            auto* move = static_cast<QDragMoveEvent*>(event);
            if (Tree->TreeDragOver(move->source(), move->position().toPoint()))
                move->acceptProposedAction();
            else
                move->ignore();
            return true;
        }
        case QEvent::DragLeave:
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            Tree->TreeDragDrop(drop->source(), drop->position().toPoint());
            return true;
        }
        case QEvent::ContextMenu:
            if (Tree->PopUpMenuEnabled() && Tree->Menu)
                Tree->Menu->Popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        default:
            return false;
        }
    }

    TMavDirTree21* Tree;
};

// Hands a finished caption edit to the rename instead of writing it into the node: the caption
// keeps its old text, and a successful rename rebuilds the tree.
class TMavDirTree21::TRenameDelegate : public QStyledItemDelegate {
public:
    explicit TRenameDelegate(TMavDirTree21* tree) : QStyledItemDelegate(tree), Tree(tree) {
        connect(this, &QAbstractItemDelegate::closeEditor, tree,
                [tree](QWidget*, QAbstractItemDelegate::EndEditHint) { EditEnded(tree); });
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        const auto* line = qobject_cast<const QLineEdit*>(editor);
        const QString text = line ? line->text() : QString();
        Tree->EditCommitted = true;
        // The rename runs once the editor has gone: it may rebuild the whole tree.
        const QPersistentModelIndex node(index);
        QPointer<TMavDirTree21> tree(Tree);
        QTimer::singleShot(0, Tree, [tree, node, text] {
            if (!tree)
                return;
            if (QTreeWidgetItem* item = tree->NodeAt(node))
                tree->RenameNode(item, text);
            else
                tree->SuppressRenameConfirm = false;
        });
    }

private:
    static void EditEnded(TMavDirTree21* tree) {
        // An edit given up (Escape) was the rename attempt the question was spared for.
        if (!tree->EditCommitted)
            tree->SuppressRenameConfirm = false;
        tree->EditCommitted = false;
        if (tree->DeferredShellNotify) {
            tree->DeferredShellNotify = false;
            // What changed waits in the change service, or was noted when the message came.
            platform::postMessage(tree, WM_SHELLNOTIFY, 1, platform::SHCNE_MKDIR);
        }
        // The keyboard goes back to the tree with the end of the edit, whatever the rename did:
        // left with the editor that is going away, or with no widget at all, arrows and F2 would
        // need a click first.
        QTimer::singleShot(0, tree, [tree] {
            const QWidget* focus = QApplication::focusWidget();
            if (tree->isVisible() && tree->state() != QAbstractItemView::EditingState &&
                (focus == nullptr || tree->isAncestorOf(focus)))
                tree->setFocus(Qt::OtherFocusReason);
        });
    }

    TMavDirTree21* Tree;
};

void TMavDirTree21::InstallEventFilters() {
    auto* events = new TCommandEvents(this);
    installEventFilter(events);
    viewport()->installEventFilter(events);
    setItemDelegate(new TRenameDelegate(this));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}
