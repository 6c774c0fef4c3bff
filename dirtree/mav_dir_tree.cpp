// TMavDirTree21: its properties, building the nodes and turning paths into nodes and back. The
// mouse and the keys are in mav_dir_tree_input.cpp, following the disk in
// mav_dir_tree_follow.cpp.
#include "dirtree/mav_dir_tree.h"

#include <stdexcept>
#include <unordered_set>

#include <QMetaObject>

#include "dirtree/expand_all.h"
#include "dirtree/shell_helpers.h"
#include "dirtree/tree_batch_update.h"
#include "dirtree/tree_node.h"
#include "dirtree/tree_paths.h"
#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/core/folder_walk.h"
#include "platform/qt/image_list.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

namespace {

// The tree's paths are pathText of their bytes (a folder name need not be UTF-8).
std::string ToPlatform(const QString& path) {
    return platform::pathBytes(path);
}

bool SameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const QString MyComputerPath = QStringLiteral("My Computer");

} // namespace

TMavDirTree21::TMavDirTree21(QWidget* parent)
    : QTreeWidget(parent), FFolderType(FileTypeOf({ftReadOnly, ftHidden, ftSystem, ftArchive})),
      Images(&platform::systemImageList(platform::IconSize::Small)),
      ExpandAll(new TExpandAllBelow(this)) {
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
    // The selected folder is always followed; keys held down move the selection many times
    // before the folders to follow are worked out once.
    connect(this, &QTreeWidget::currentItemChanged, this, [this] {
        if (WatchUpdateQueued)
            return;
        WatchUpdateQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                WatchUpdateQueued = false;
                UpdateWatchedFolders();
            },
            Qt::QueuedConnection);
    });
    connect(Images, &platform::ImageList::changed, this, [this] {
        IconCache.clear();
        viewport()->update();
    });

    InstallFolderCommands();
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

bool TMavDirTree21::ExpandingAll() const {
    return ExpandAll->Running();
}

void TMavDirTree21::AddRootNode() {
    BatchUpdate batch(this);
    ExpandAll->Stop();
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
        if (mask & (1u << bit))
            root->addChild(MakeDriveNode(bit));
    }
}

QTreeWidgetItem* TMavDirTree21::MakeDriveNode(int bit) {
    const QChar letter(char16_t(u'A' + bit));
    const QString rootPath = QString(letter) + QStringLiteral(":\\");
    const QString caption = DriveCaption(letter, platform::shellDisplayName(ToPlatform(rootPath)));
    auto* drive = new TTreeNode(caption, GetIconIndex(rootPath), GetOpenIconIndex(rootPath));
    SetHasChildren(drive, true);
    NetDriveFlags[bit] = platform::driveType(ToPlatform(rootPath)) == platform::DRIVE_REMOTE;
    return drive;
}

bool TMavDirTree21::IsNetworkFolder(const QString& path) const {
    const int drive = path.isEmpty() ? -1 : path.at(0).toUpper().unicode() - u'A';
    // A share mounted inside a local drive (a home folder on NFS, an sshfs mount) is as much a
    // network location as a network drive.
    return (drive >= 0 && drive < 26 && NetDriveFlags[drive]) ||
           platform::isNetworkPath(ToPlatform(path));
}

QTreeWidgetItem* TMavDirTree21::MakeFolderNode(const QString& directory, const std::string& name,
                                               bool network) const {
    const QString folder = directory + platform::pathText(name);
    auto* node = new TTreeNode(QString(), GetIconIndex(folder), GetOpenIconIndex(folder));
    SetNodeName(node, name);
    // On a network drive a look inside every folder would mean a second network enumeration per
    // folder, so each one gets an expand button instead; so does a share mounted here.
    SetHasChildren(node,
                   network || platform::isNetworkPath(ToPlatform(folder)) || HasSubFolders(folder));
    return node;
}

bool TMavDirTree21::HasSubFolders(const QString& folder) const {
    const uint32_t mask = FolderFilterMask(FFolderType);
    // Only folders can pass the filter, and the first one that does is the answer: the folder is
    // read no further, however many sub-folders it holds.
    return platform::hasSubFolder(ToPlatform(folder), [mask](const platform::FindData& entry) {
        return FolderPassesFilter(entry.attributes, platform::pathText(entry.name), mask);
    });
}

void TMavDirTree21::AddFolders(const QString& path, QTreeWidgetItem* node) {
    if (!node)
        return;
    const QString directory = AddSlash(path);
    const bool network = IsNetworkFolder(path);
    QList<QTreeWidgetItem*> children;
    for (const std::string& name : ListFolders(directory))
        children.append(MakeFolderNode(directory, name, network));
    node->addChildren(children);
}

std::vector<std::string> TMavDirTree21::ListFolders(const QString& directory) const {
    const uint32_t mask = FolderFilterMask(FFolderType);
    std::vector<std::string> names;
    platform::FindFile find(ToPlatform(directory + QStringLiteral("*.*")),
                            platform::FindScope::SubFolders);
    platform::FindData entry;
    while (find.next(entry)) {
        if (FolderPassesFilter(entry.attributes, platform::pathText(entry.name), mask))
            names.push_back(std::move(entry.name));
    }
    return names;
}

// The control's child sort, skipped when the children already come in its order (the folder
// listing gives names in that order): sorting a folder of many thousand names costs more than
// the listing itself.
void TMavDirTree21::SortChildren(QTreeWidgetItem* node) {
    for (int i = 1; i < node->childCount(); ++i) {
        if (*node->child(i) < *node->child(i - 1)) {
            node->sortChildren(0, Qt::AscendingOrder);
            return;
        }
    }
}

void TMavDirTree21::TreeExpanding(QTreeWidgetItem* node) {
    if (node->childCount() > 0 || !HasChildrenFlag(node))
        return;
    platform::HourglassCursor hourglass;
    BatchUpdate batch(this);
    SetHasChildren(node, false);
    node->setData(0, BuiltRole, true);
    AddFolders(GetNodePath(node), node);
    SortChildren(node);
    UpdateWatchedFolders();
}

// The shell is asked to report changes in every folder the tree shows, leaves and empty folders
// included, so that a sub-folder made inside any of them is seen. When there are more than the
// shell follows, the most important come first: the selected folder and the folders above it,
// then the folders whose children are listed, then the folders shown in open branches, then the
// rest. A folder not followed is still read afresh when it is opened.
void TMavDirTree21::UpdateWatchedFolders() {
    if (NotifyRegistration == 0)
        return; // still being constructed
    if (BatchDepth > 0) {
        WatchesOutdated = true;
        return;
    }
    WatchesOutdated = false;
    const size_t capacity = platform::changeNotifyWatchCapacity();
    std::vector<std::string> folders;
    std::unordered_set<std::string> listed;
    const auto add = [&](const QString& path) {
        if (folders.size() < capacity && !path.isEmpty()) {
            std::string folder = ToPlatform(AddSlash(path));
            if (listed.insert(folder).second)
                folders.push_back(std::move(folder));
        }
    };
    if (FSelectedPath.size() > 1 && FSelectedPath != MyComputerPath)
        add(FSelectedPath);
    for (QTreeWidgetItem* node = currentItem(); node && node->parent(); node = node->parent())
        add(GetNodePath(node));

    // Breadth first with each node's path, so that no path is made twice from its captions.
    struct Shown {
        QTreeWidgetItem* node;
        QString path;
        bool visible;
    };
    std::vector<Shown> built, openLeaves, hidden;
    std::vector<Shown> level;
    if (QTreeWidgetItem* root = Root()) {
        for (int i = 0; i < root->childCount(); ++i)
            level.push_back({root->child(i), GetNodePath(root->child(i)), root->isExpanded()});
    }
    while (!level.empty() && folders.size() < capacity) {
        std::vector<Shown> next;
        for (const Shown& shown : level) {
            const bool isBuilt = shown.node->data(0, BuiltRole).toBool();
            (isBuilt ? built : shown.visible ? openLeaves : hidden).push_back(shown);
            // A node without children is never asked whether it is open: after a sort the
            // control finds each node's row by a search through its siblings.
            const bool open =
                shown.visible && shown.node->childCount() > 0 && shown.node->isExpanded();
            for (int i = 0; i < shown.node->childCount(); ++i) {
                QTreeWidgetItem* child = shown.node->child(i);
                next.push_back({child, AddSlash(shown.path) + child->text(0), open});
            }
        }
        level = std::move(next);
        for (const Shown& shown : built)
            add(shown.path);
        built.clear();
    }
    for (const Shown& shown : openLeaves)
        add(shown.path);
    for (const Shown& shown : hidden)
        add(shown.path);
    platform::changeNotifyWatch(NotifyRegistration, folders);
}

// ---- Paths ------------------------------------------------------------------------------------

QString TMavDirTree21::GetNodePath(QTreeWidgetItem* node) const {
    QStringList captions;
    for (QTreeWidgetItem* n = node; n; n = n->parent())
        captions.prepend(NodePathName(n));
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
    QTreeWidgetItem* root = Root();
    if (!root)
        return;
    {
        BatchUpdate batch(this);
        if (root->childCount() == 0)
            AddDrives();
        if (root->isExpanded())
            CollapseAll(root);
        if (!SelectPathNode(target))
            return; // a part without a node (a folder the filter hides): stop quietly
    }
    if (!SameText(FSelectedPath, target))
        FSelectedPath = target;
    if (OnDirChange)
        OnDirChange(this, FSelectedPath);
}

bool TMavDirTree21::SelectPathNode(const QString& target) {
    BatchUpdate batch(this);
    QTreeWidgetItem* current = Root();
    int level = 1;
    for (const QString& part : PathParts(target)) {
        const auto find = [&] {
            for (int i = 0; i < current->childCount(); ++i) {
                QTreeWidgetItem* child = current->child(i);
                if (SameText(part, NodeMatchKey(level, NodePathName(child))))
                    return child;
            }
            return static_cast<QTreeWidgetItem*>(nullptr);
        };
        QTreeWidgetItem* match = find();
        // The folder exists, so a node whose children were listed (or looked for) before it was
        // made is read again once.
        if (!match && level > 1) {
            MergeChildren(current);
            match = find();
        }
        ++level;
        if (!match)
            return false;
        // Selecting a node shows it, as the control does: its parent opens.
        current->setExpanded(true);
        setCurrentItem(match);
        match->setExpanded(true);
        current = match;
    }
    scrollToItem(current);
    return true;
}

void TMavDirTree21::GoToFolder(const QString& path) {
    // Remembered with its trailing backslash, so a path given with or without one is the same.
    const QString folder = AddSlash(path);
    if (path.isEmpty() || SameText(folder, LastFolder))
        return;
    if (!platform::directoryExists(ToPlatform(folder)))
        return;
    LastFolder = folder;
    OpenPath(folder);
}
