// TMavDirTree21 under the mouse and the keys: what lies under a point, clicks, and the navigation
// and command keys.
#include "dirtree/mav_dir_tree.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include "dirtree/expand_all.h"
#include "dirtree/shell_helpers.h"
#include "dirtree/tree_node.h"
#include "platform/core/drives.h"

namespace {

const QString MyComputerPath = QStringLiteral("My Computer");

bool IsNavigationKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left ||
           key == Qt::Key_Right || key == Qt::Key_Backspace;
}

} // namespace

THitTest TMavDirTree21::HitTest(const QPoint& point) const {
    QTreeWidgetItem* item = itemAt(point);
    if (!item)
        return htNowhere;
    // The cell of a node starts after its indentation; the expand button fills the last step of
    // the indentation, as the style draws it.
    const QRect cell = visualItemRect(item);
    if (point.x() < cell.left()) {
        const bool onButtonStep = point.x() >= cell.left() - indentation();
        return onButtonStep && HasChildrenFlag(item) ? htOnButton : htOnIndent;
    }
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    int x = cell.left();
    if (!item->data(0, Qt::DecorationRole).value<QIcon>().isNull()) {
        x += iconSize().width() + 2 * margin;
        if (point.x() < x)
            return htOnIcon;
    }
    const int labelWidth = fontMetrics().horizontalAdvance(item->text(0)) + 2 * margin;
    return point.x() < x + labelWidth ? htOnItem : htOnRight;
}

bool TMavDirTree21::IsDriveNotReady(QTreeWidgetItem* node, const QString& path) const {
    if (NodeLevel(node) != 1)
        return false;
    const unsigned type = platform::driveType(path.toStdString());
    if (type != platform::DRIVE_REMOVABLE && type != platform::DRIVE_CDROM)
        return false;
    return !IsDriveReady(path.at(0), true);
}

THitTest TMavDirTree21::HandlePress(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), point.x(), point.y());
    PrevPath = FSelectedPath;
    const THitTest hit = HitTest(point);
    if (hit != htOnItem && hit != htOnIcon)
        return hit;

    QTreeWidgetItem* node = itemAt(point);
    setCurrentItem(node);
    const QString path = TakeNodeAsSelected(node);

    if (IsDriveNotReady(node, path)) {
        OpenPath(PrevPath);
        FSelectedPath = PrevPath;
        return hit;
    }
    if (OnDirChange)
        OnDirChange(this, FSelectedPath);
    PrevPath = FSelectedPath;

    if (FDragDropEnabled && event->button() == Qt::LeftButton && CommandHooks.StartDrag)
        CommandHooks.StartDrag(event);
    return hit;
}

void TMavDirTree21::mousePressEvent(QMouseEvent* event) {
    ExpandAll->Stop(); // a click ends an expansion of everything below a node
    // Only the expand button keeps the control's own handling (expand or collapse); a press
    // anywhere else must not move the selection behind the tree's back.
    if (HandlePress(event) == htOnButton)
        QTreeWidget::mousePressEvent(event);
}

void TMavDirTree21::mouseMoveEvent(QMouseEvent* event) {
    // Dragging with a button down would otherwise select the nodes passed over.
    if (event->buttons() == Qt::NoButton)
        QTreeWidget::mouseMoveEvent(event);
}

void TMavDirTree21::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click counts as a press of its own; on a node it also opens
    // or closes the node.
    const THitTest hit = HandlePress(event);
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    if ((hit == htOnItem || hit == htOnIcon) && node == currentItem() && HasChildrenFlag(node))
        node->setExpanded(!node->isExpanded());
}

void TMavDirTree21::keyPressEvent(QKeyEvent* event) {
    // Any key ends an expansion of everything below a node; Escape does nothing more.
    if (ExpandAll->Running()) {
        ExpandAll->Stop();
        if (event->key() == Qt::Key_Escape)
            return;
    }
    if (event->key() == Qt::Key_Asterisk) {
        if (QTreeWidgetItem* node = currentItem())
            ExpandAll->Start(node);
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        QTreeWidgetItem* node = currentItem();
        if (node && node->parent())
            setCurrentItem(node->parent());
        return;
    }
    // Copy is a folder command of the tree; the control would put the caption on the clipboard.
    if (event->matches(QKeySequence::Copy))
        return;
    QTreeWidget::keyPressEvent(event);
}

// The focus frame alone (the control puts it on the first node when the tree gets the focus) does
// not make a node selected.
QTreeWidgetItem* TMavDirTree21::SelectedNode() const {
    QTreeWidgetItem* node = currentItem();
    return node && node->isSelected() ? node : nullptr;
}

QString TMavDirTree21::TakeNodeAsSelected(QTreeWidgetItem* node) {
    const bool isRoot = node == Root();
    QString path;
    if (isRoot && node->childCount() == 0)
        AddDrives();
    else
        path = GetNodePath(node);
    FSelectedPath = isRoot ? MyComputerPath : path;
    return path;
}

void TMavDirTree21::NavigationKeyUp() {
    QTreeWidgetItem* node = SelectedNode();
    if (!node)
        return;
    const QString path = TakeNodeAsSelected(node);
    if (IsDriveNotReady(node, path))
        return;
    if (OnDirChange)
        OnDirChange(this, FSelectedPath);
}

void TMavDirTree21::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        QTreeWidget::keyReleaseEvent(event);
        return;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers shift = event->modifiers() & ~Qt::KeypadModifier;
    if (IsNavigationKey(key)) {
        if (OnKeyUp)
            OnKeyUp(this, key, shift);
        NavigationKeyUp();
        return;
    }
    if (!SelectedNode())
        return;

    const auto run = [](const std::function<void()>& hook) {
        if (hook)
            hook();
    };
    const bool ctrl = shift.testFlag(Qt::ControlModifier);
    if (ctrl && key == Qt::Key_N) {
        run(CommandHooks.NewFolder);
    } else if (ctrl && (key == Qt::Key_C || key == Qt::Key_X)) {
        if (CommandHooks.ClipboardOp)
            CommandHooks.ClipboardOp(key == Qt::Key_C ? 0 : 2);
    } else if (ctrl && key == Qt::Key_V) {
        run(CommandHooks.Paste);
    } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && shift == Qt::AltModifier) {
        run(CommandHooks.Properties);
    } else if (key == Qt::Key_F2 && shift == Qt::NoModifier) {
        run(CommandHooks.Rename);
    } else if (key == Qt::Key_F5 && shift == Qt::NoModifier) {
        Reload();
        OpenPath(FSelectedPath);
    }
}
