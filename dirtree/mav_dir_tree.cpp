// TMavDirTree21: building the nodes, turning them into paths, the mouse and the keys, and
// following the shell's change notifications.
#include "dirtree/mav_dir_tree.h"

#include <algorithm>
#include <stdexcept>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include "dirtree/shell_helpers.h"
#include "dirtree/tree_paths.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/image_list.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace {

// Nodes keep the indexes of their two pictures in the system small image list and whether their
// children have been built.
constexpr int ImageIndexRole = Qt::UserRole;
constexpr int SelectedIndexRole = Qt::UserRole + 1;
constexpr int BuiltRole = Qt::UserRole + 2;

const QString MyComputerPath = QStringLiteral("My Computer");

std::string ToPlatform(const QString& path) {
    return path.toStdString();
}

bool SameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsNavigationKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left ||
           key == Qt::Key_Right || key == Qt::Key_Backspace;
}

// Has-children: an expand button whether or not children exist yet.
bool HasChildrenFlag(const QTreeWidgetItem* node) {
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void SetHasChildren(QTreeWidgetItem* node, bool value) {
    node->setChildIndicatorPolicy(value ? QTreeWidgetItem::ShowIndicator
                                        : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

} // namespace

// A node shows its selected picture (the open folder) while it is selected or expanded, and sorts
// by caption without regard to case, as the control's own child sort does.
class TTreeNode : public QTreeWidgetItem {
public:
    TTreeNode(const QString& caption, int imageIndex, int selectedIndex) {
        setText(0, caption);
        setData(0, ImageIndexRole, imageIndex);
        setData(0, SelectedIndexRole, selectedIndex);
        SetHasChildren(this, false);
    }

    QVariant data(int column, int role) const override {
        if (column != 0 || role != Qt::DecorationRole)
            return QTreeWidgetItem::data(column, role);
        const auto* tree = qobject_cast<const TMavDirTree21*>(treeWidget());
        if (!tree)
            return {};
        const bool open = isSelected() || isExpanded();
        const int index =
            QTreeWidgetItem::data(0, open ? SelectedIndexRole : ImageIndexRole).toInt();
        return tree->NodeIcon(index);
    }

    bool operator<(const QTreeWidgetItem& other) const override {
        return text(0).compare(other.text(0), Qt::CaseInsensitive) < 0;
    }
};

// Begin/end of a batch update: the tree draws again only when the outermost one ends.
class TMavDirTree21::BatchUpdate {
public:
    explicit BatchUpdate(TMavDirTree21* tree) : tree_(tree) {
        if (tree_->BatchDepth++ == 0)
            tree_->setUpdatesEnabled(false);
    }
    ~BatchUpdate() {
        if (--tree_->BatchDepth == 0)
            tree_->setUpdatesEnabled(true);
    }
    BatchUpdate(const BatchUpdate&) = delete;
    BatchUpdate& operator=(const BatchUpdate&) = delete;

private:
    TMavDirTree21* tree_;
};

TMavDirTree21::TMavDirTree21(QWidget* parent)
    : QTreeWidget(parent), FFolderType(FileTypeOf({ftReadOnly, ftHidden, ftSystem, ftArchive})),
      Images(&platform::systemImageList(platform::IconSize::Small)) {
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    setIconSize(QSize(Images->width(), Images->height()));
    resize(180, 120);

    connect(this, &QTreeWidget::itemExpanded, this, &TMavDirTree21::TreeExpanding);
    connect(Images, &platform::ImageList::changed, this, [this] {
        IconCache.clear();
        viewport()->update();
    });

    setLanguage(lnEnglish);

    NotifyRegistration = platform::changeNotifyRegister(this, ShellNotifyEvents, WM_SHELLNOTIFY);
    if (NotifyRegistration == 0)
        throw std::runtime_error("Unable to register SHChangeNotify");

    Reload();
    if (QTreeWidgetItem* root = Root())
        root->setExpanded(true);
}

TMavDirTree21::~TMavDirTree21() {
    platform::changeNotifyDeregister(NotifyRegistration);
}

// ---- Published properties -------------------------------------------------------------------

TFileType TMavDirTree21::FolderType() const {
    return FFolderType;
}

void TMavDirTree21::setFolderType(TFileType value) {
    FFolderType = value;
}

TMavFilelistView28* TMavDirTree21::FileList() const {
    return FFileList;
}

void TMavDirTree21::setFileList(TMavFilelistView28* value) {
    FFileList = value;
}

TLanguage TMavDirTree21::Language() const {
    return FLanguage;
}

void TMavDirTree21::setLanguage(TLanguage value) {
    const TLanguage resolved = ResolveLanguage(value);
    if (resolved == FLanguage)
        return;
    FLanguage = resolved;
    CurrentLanguage = resolved;
    LoadLanguageTexts();
    if (CommandHooks.BuildMenu)
        CommandHooks.BuildMenu();
    setPopUpMenuEnabled(true);
    // The control's window is made anew for the new texts, which leaves the root alone; the drives
    // come back with the next click on the root, key on the root or OpenPath.
    AddRootNode();
}

bool TMavDirTree21::PopUpMenuEnabled() const {
    return FPopUpMenuEnabled;
}

void TMavDirTree21::setPopUpMenuEnabled(bool value) {
    FPopUpMenuEnabled = value;
    setContextMenuPolicy(value ? Qt::DefaultContextMenu : Qt::NoContextMenu);
}

QString TMavDirTree21::SelectedPath() const {
    return FSelectedPath;
}

void TMavDirTree21::setSelectedPath(const QString& value) {
    if (!SameText(value, FSelectedPath))
        FSelectedPath = value;
}

QString TMavDirTree21::SelectedFile() const {
    return FSelectedFile;
}

void TMavDirTree21::setSelectedFile(const QString& value) {
    if (!SameText(value, FSelectedFile))
        FSelectedFile = value;
}

QString TMavDirTree21::About() const {
    return QStringLiteral("Version 2.1.8.6");
}

void TMavDirTree21::setAbout(const QString&) {}

bool TMavDirTree21::DragDropEnabled() const {
    return FDragDropEnabled;
}

void TMavDirTree21::setDragDropEnabled(bool value) {
    FDragDropEnabled = value;
}

// ---- Building ---------------------------------------------------------------------------------

QTreeWidgetItem* TMavDirTree21::Root() const {
    return topLevelItem(0);
}

int TMavDirTree21::NodeLevel(const QTreeWidgetItem* node) {
    int level = 0;
    for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent())
        ++level;
    return level;
}

QIcon TMavDirTree21::NodeIcon(int imageIndex) const {
    if (imageIndex < 0)
        return {};
    auto cached = IconCache.constFind(imageIndex);
    if (cached != IconCache.constEnd())
        return *cached;
    const QIcon icon = Images->icon(imageIndex);
    IconCache.insert(imageIndex, icon);
    return icon;
}

void TMavDirTree21::Reload() {
    BatchUpdate batch(this);
    clear();
    AddRootNode();
    AddDrives();
}

void TMavDirTree21::AddRootNode() {
    BatchUpdate batch(this);
    clear();
    const QString caption = platform::shellDisplayName(platform::kMyComputerPath);
    const int icon = platform::shellIconIndex(platform::kMyComputerPath, platform::IconSize::Small);
    if (!caption.isEmpty() && icon >= 0)
        addTopLevelItem(new TTreeNode(caption, icon, icon));
    UpdateWatchedFolders();
}

void TMavDirTree21::AddDrives() {
    QTreeWidgetItem* root = Root();
    if (!root)
        return;
    BatchUpdate batch(this);
    const uint32_t mask = platform::logicalDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if (!(mask & (1u << bit)))
            continue;
        const QChar letter(char16_t(u'A' + bit));
        const QString rootPath = QString(letter) + QStringLiteral(":\\");
        const QString caption =
            DriveCaption(letter, platform::shellDisplayName(ToPlatform(rootPath)));
        auto* drive = new TTreeNode(caption, GetIconIndex(rootPath), GetOpenIconIndex(rootPath));
        SetHasChildren(drive, true);
        root->addChild(drive);
        NetDriveFlags[bit] = platform::driveType(ToPlatform(rootPath)) == platform::DRIVE_REMOTE;
    }
}

bool TMavDirTree21::HasSubFolders(const QString& folder) const {
    const uint32_t mask = FolderFilterMask(FFolderType);
    platform::FindFile find(ToPlatform(AddSlash(folder) + QStringLiteral("*.*")));
    platform::FindData entry;
    while (find.next(entry)) {
        if (FolderPassesFilter(entry.attributes, QString::fromStdString(entry.name), mask))
            return true;
    }
    return false;
}

void TMavDirTree21::AddFolders(const QString& path, QTreeWidgetItem* node) {
    if (!node)
        return;
    const uint32_t mask = FolderFilterMask(FFolderType);
    const QString directory = AddSlash(path);
    const QChar letter = path.isEmpty() ? QChar() : path.at(0).toUpper();
    const int drive = letter.unicode() - u'A';
    const bool network = drive >= 0 && drive < 26 && NetDriveFlags[drive];

    QList<QTreeWidgetItem*> children;
    platform::FindFile find(ToPlatform(directory + QStringLiteral("*.*")));
    platform::FindData entry;
    while (find.next(entry)) {
        const QString name = QString::fromStdString(entry.name);
        if (!FolderPassesFilter(entry.attributes, name, mask))
            continue;
        const QString folder = directory + name;
        auto* child = new TTreeNode(name, GetIconIndex(folder), GetOpenIconIndex(folder));
        // On a network drive a look inside every folder would mean a second network enumeration
        // per folder, so each one gets an expand button instead.
        SetHasChildren(child, network || HasSubFolders(folder));
        children.append(child);
    }
    node->addChildren(children);
}

void TMavDirTree21::TreeExpanding(QTreeWidgetItem* node) {
    if (node->childCount() > 0 || !HasChildrenFlag(node))
        return;
    platform::HourglassCursor hourglass;
    BatchUpdate batch(this);
    SetHasChildren(node, false);
    node->setData(0, BuiltRole, true);
    AddFolders(GetNodePath(node), node);
    node->sortChildren(0, Qt::AscendingOrder);
    UpdateWatchedFolders();
}

// The shell is asked to report changes in exactly the folders whose children the tree shows.
void TMavDirTree21::UpdateWatchedFolders() {
    if (NotifyRegistration == 0)
        return; // still being constructed
    std::vector<std::string> folders;
    std::vector<QTreeWidgetItem*> pending;
    if (QTreeWidgetItem* root = Root())
        pending.push_back(root);
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        if (node->data(0, BuiltRole).toBool())
            folders.push_back(ToPlatform(AddSlash(GetNodePath(node))));
        for (int i = 0; i < node->childCount(); ++i) {
            QTreeWidgetItem* child = node->child(i);
            if (child->childCount() > 0 || child->data(0, BuiltRole).toBool())
                pending.push_back(child);
        }
    }
    platform::changeNotifyWatch(NotifyRegistration, folders);
}

// ---- Paths ------------------------------------------------------------------------------------

QString TMavDirTree21::GetNodePath(QTreeWidgetItem* node) const {
    QStringList captions;
    for (QTreeWidgetItem* n = node; n; n = n->parent())
        captions.prepend(n->text(0));
    return NodePathOf(captions);
}

void TMavDirTree21::CollapseAll(QTreeWidgetItem* node) {
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        if (child->childCount() > 0)
            CollapseAll(child);
    }
    node->setExpanded(false);
}

void TMavDirTree21::OpenPath(const QString& path) {
    if (path.size() <= 1 || !platform::directoryExists(ToPlatform(path)))
        return;
    const QString target = AddSlash(path);
    QTreeWidgetItem* current = Root();
    if (!current)
        return;
    {
        BatchUpdate batch(this);
        if (current->childCount() == 0)
            AddDrives();
        if (current->isExpanded())
            CollapseAll(current);

        const QStringList parts = PathParts(target);
        int level = 1;
        for (const QString& part : parts) {
            QTreeWidgetItem* match = nullptr;
            for (int i = 0; i < current->childCount() && !match; ++i) {
                QTreeWidgetItem* child = current->child(i);
                if (SameText(part, NodeMatchKey(level, child->text(0))))
                    match = child;
            }
            ++level;
            if (!match)
                return; // a part without a node (a folder the filter hides): stop quietly
            // Selecting a node shows it, as the control does: its parent opens.
            current->setExpanded(true);
            setCurrentItem(match);
            match->setExpanded(true);
            current = match;
        }
        scrollToItem(current);
    }
    if (!SameText(FSelectedPath, target))
        FSelectedPath = target;
    if (OnDirChange)
        OnDirChange(this, FSelectedPath);
}

void TMavDirTree21::GoToFolder(const QString& path) {
    if (path.isEmpty() || SameText(path, LastFolder))
        return;
    const QString folder = AddSlash(path);
    if (!platform::directoryExists(ToPlatform(folder)))
        return;
    LastFolder = folder;
    OpenPath(folder);
}

// ---- Mouse and keys ---------------------------------------------------------------------------

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
    const unsigned type = platform::driveType(ToPlatform(path));
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
    const bool isRoot = node == Root();
    QString path;
    if (isRoot && node->childCount() == 0)
        AddDrives();
    else
        path = GetNodePath(node);
    FSelectedPath = isRoot ? MyComputerPath : path;

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

void TMavDirTree21::NavigationKeyUp() {
    QTreeWidgetItem* node = SelectedNode();
    if (!node)
        return;
    const bool isRoot = node == Root();
    QString path;
    if (isRoot && node->childCount() == 0)
        AddDrives();
    else
        path = GetNodePath(node);
    FSelectedPath = isRoot ? MyComputerPath : path;
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

// ---- Change notifications ---------------------------------------------------------------------

void TMavDirTree21::ShellNotify(unsigned event) {
    constexpr unsigned handled[] = {
        platform::SHCNE_MKDIR,        platform::SHCNE_RMDIR,        platform::SHCNE_MEDIAINSERTED,
        platform::SHCNE_MEDIAREMOVED, platform::SHCNE_DRIVEREMOVED, platform::SHCNE_DRIVEADD,
        platform::SHCNE_RENAMEFOLDER,
    };
    if (std::find(std::begin(handled), std::end(handled), event) == std::end(handled))
        return;
    BatchUpdate lock(this);
    const QString remembered = FSelectedPath;
    Reload();
    if (QTreeWidgetItem* root = Root(); root && !root->isExpanded())
        root->setExpanded(true);
    if (!remembered.isEmpty())
        OpenPath(remembered);
}

bool TMavDirTree21::event(QEvent* event) {
    if (event->type() == platform::MessageEvent::eventType()) {
        const auto* message = static_cast<platform::MessageEvent*>(event);
        if (message->msg == WM_SHELLNOTIFY) {
            ShellNotify(static_cast<unsigned>(message->lParam));
            return true;
        }
    }
    return QTreeWidget::event(event);
}
