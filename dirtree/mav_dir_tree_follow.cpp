// TMavDirTree21 following the disk and the drives: each change notice updates only the nodes it
// names (a folder made, removed or renamed, a drive or medium come or gone), so the branches the
// user opened, the selection and the scroll position stay. The windows hear of it (OnDirChange)
// only when the selected folder itself had to change.
#include "dirtree/mav_dir_tree.h"

#include <map>
#include <utility>

#include <QMetaObject>

#include "dirtree/expand_all.h"
#include "dirtree/shell_helpers.h"
#include "dirtree/tree_batch_update.h"
#include "dirtree/tree_node.h"
#include "dirtree/tree_paths.h"
#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

namespace {

const QString MyComputerPath = QStringLiteral("My Computer");

constexpr unsigned DriveEvents = platform::SHCNE_MEDIAINSERTED | platform::SHCNE_MEDIAREMOVED |
                                 platform::SHCNE_DRIVEREMOVED | platform::SHCNE_DRIVEADD;
// Events after which a drive's node is made anew: what it held is another medium, or gone.
constexpr unsigned NewContentEvents =
    platform::SHCNE_MEDIAINSERTED | platform::SHCNE_MEDIAREMOVED | platform::SHCNE_DRIVEREMOVED;

bool IsFollowedEvent(unsigned event) {
    switch (event) {
    case platform::SHCNE_MKDIR:
    case platform::SHCNE_RMDIR:
    case platform::SHCNE_MEDIAINSERTED:
    case platform::SHCNE_MEDIAREMOVED:
    case platform::SHCNE_DRIVEREMOVED:
    case platform::SHCNE_DRIVEADD:
    case platform::SHCNE_RENAMEFOLDER:
        return true;
    default:
        return false;
    }
}

bool SameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The folder above a path: "C:\a\b\" and "C:\a\b" give "C:\a\", "C:\a" gives "C:\"; a drive
// root gives nothing.
QString ParentFolder(const QString& path) {
    const QString folder = DelSlash(path);
    const qsizetype cut = folder.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0 || folder.size() <= 2)
        return {};
    return folder.left(cut + 1);
}

bool IsBuilt(const QTreeWidgetItem* node) {
    return node->childCount() > 0 || node->data(0, BuiltRole).toBool();
}

// The drive letter's bit (0 for A:) of a drive node, -1 for anything else.
int DriveBit(const QTreeWidgetItem* drive) {
    const QString key = NodeMatchKey(1, drive->text(0));
    return key.isEmpty() ? -1 : key.at(0).toUpper().unicode() - u'A';
}

// The drive node of a letter's bit, or nullptr.
QTreeWidgetItem* DriveNode(QTreeWidgetItem* root, int bit) {
    for (int i = 0; i < root->childCount(); ++i) {
        if (DriveBit(root->child(i)) == bit)
            return root->child(i);
    }
    return nullptr;
}

// The child folder of this name, found through the children's order (by caption, without regard
// to case), so that a folder of many thousand sub-folders is not looked through: the exact name,
// else, when caseless, one that differs only in case.
QTreeWidgetItem* FolderChild(QTreeWidgetItem* node, const QString& name, bool caseless) {
    const QString caption = platform::displayText(platform::pathBytes(name));
    const auto order = [&caption](const QTreeWidgetItem* child) {
        return child->text(0).compare(caption, Qt::CaseInsensitive);
    };
    int low = 0;
    int high = node->childCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (order(node->child(middle)) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    QTreeWidgetItem* differentCase = nullptr;
    for (int i = low; i < node->childCount() && order(node->child(i)) == 0; ++i) {
        QTreeWidgetItem* child = node->child(i);
        const QString childName = NodePathName(child);
        if (childName == name)
            return child;
        if (caseless && !differentCase && SameText(childName, name))
            differentCase = child;
    }
    return differentCase;
}

} // namespace

void TMavDirTree21::NoteShellMessage(unsigned long wParam, unsigned event) {
    // A message that tells nothing of what changed (wParam 0) has the tree look at everything.
    if (wParam == 0 && IsFollowedEvent(event))
        UntoldChange = true;
}

bool TMavDirTree21::event(QEvent* event) {
    if (event->type() == platform::MessageEvent::eventType()) {
        const auto* message = static_cast<platform::MessageEvent*>(event);
        if (message->msg == WM_SHELLNOTIFY) {
            NoteShellMessage(message->wParam, static_cast<unsigned>(message->lParam));
            // Messages that arrive together (one for each folder of a burst) are followed at
            // once, after the last of them.
            if (!ShellNotifyPending) {
                ShellNotifyPending = true;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        ShellNotifyPending = false;
                        ShellNotify();
                    },
                    Qt::QueuedConnection);
            }
            return true;
        }
    }
    return QTreeWidget::event(event);
}

void TMavDirTree21::ShellNotify() {
    const std::vector<platform::ChangeNotice> notices =
        platform::changeNotifyTake(NotifyRegistration);
    bool everything = std::exchange(UntoldChange, false);
    std::map<int, unsigned> drives; // the events of each drive letter's bit
    std::vector<const platform::ChangeNotice*> folders;
    for (const platform::ChangeNotice& notice : notices) {
        if (!IsFollowedEvent(notice.event))
            continue;
        if (notice.folder.empty()) {
            everything = true;
        } else if (notice.event & DriveEvents) {
            const int bit = QChar(notice.folder.front()).toUpper().unicode() - u'A';
            if (bit >= 0 && bit < 26)
                drives[bit] |= notice.event;
        } else {
            folders.push_back(&notice);
        }
    }
    if (!everything && drives.empty() && folders.empty())
        return;

    BatchUpdate lock(this);
    const QString remembered = FSelectedPath;
    const QPersistentModelIndex selected(currentIndex());
    const bool hadSelection = selected.isValid();
    for (const auto& [bit, events] : drives)
        FollowDrive(bit, events);
    if (everything) {
        LookAgainEverywhere();
    } else {
        // The folders that come are followed too; those that go let go of their watches
        // themselves. Working out every folder to follow again would cost more than the change
        // itself beside a folder of many thousand sub-folders.
        std::vector<std::string> added;
        for (const platform::ChangeNotice* notice : folders) {
            const QString shown =
                FollowFolder(platform::pathText(notice->folder), platform::pathText(notice->name));
            if (!shown.isEmpty())
                added.push_back(platform::pathBytes(AddSlash(shown)));
        }
        platform::changeNotifyWatchMore(NotifyRegistration, added);
    }
    // Only a selected node that went away (its folder removed, renamed or moved, its drive or
    // medium gone or replaced) moves the selection and tells the windows.
    if (hadSelection && !selected.isValid() && !remembered.isEmpty())
        ReopenSelection(remembered);
}

QTreeWidgetItem* TMavDirTree21::FindShownNode(const QString& path) const {
    QTreeWidgetItem* root = Root();
    const QStringList parts = PathParts(AddSlash(path));
    if (!root || parts.isEmpty() || parts.front().size() != 3)
        return nullptr;
    QTreeWidgetItem* node = DriveNode(root, parts.front().at(0).toUpper().unicode() - u'A');
    for (qsizetype i = 1; node && i < parts.size(); ++i)
        node = FolderChild(node, DelSlash(parts.at(i)), true);
    return node;
}

QString TMavDirTree21::FollowFolder(const QString& folder, const QString& name) {
    QTreeWidgetItem* node = FindShownNode(folder);
    if (!node || node == Root())
        return {};
    const QString path = GetNodePath(node);
    const bool isFolder = NodeLevel(node) >= 2;
    if (name.isEmpty()) {
        // The folder itself is to be looked at again: it may be gone.
        if (isFolder && !platform::directoryExists(platform::pathBytes(path)))
            RemoveNode(node);
        else if (IsBuilt(node))
            MergeChildren(node);
        else if (isFolder)
            UpdateExpandButton(node, path);
        return {};
    }
    if (!IsBuilt(node)) {
        if (isFolder)
            UpdateExpandButton(node, path);
        return {};
    }
    const QString directory = AddSlash(path);
    const uint32_t attributes = platform::getFileAttributes(platform::pathBytes(directory + name));
    const bool listed = attributes != platform::INVALID_FILE_ATTRIBUTES &&
                        FolderPassesFilter(attributes, name, FolderFilterMask(FFolderType));
    QTreeWidgetItem* child = FolderChild(node, name, false);
    if (listed && !child) {
        InsertChildSorted(
            node, MakeFolderNode(directory, platform::pathBytes(name), IsNetworkFolder(path)));
        return directory + name;
    }
    if (!listed && child)
        RemoveNode(child);
    return {};
}

void TMavDirTree21::UpdateExpandButton(QTreeWidgetItem* node, const QString& path) {
    SetHasChildren(node, IsNetworkFolder(path) || HasSubFolders(path));
    // A folder the user opened while it was empty shows what it holds now.
    if (node->isExpanded())
        TreeExpanding(node);
}

void TMavDirTree21::InsertChildSorted(QTreeWidgetItem* parent, QTreeWidgetItem* child) {
    // After the children that sort before it or equal to it, as the control's stable sort of a
    // listing would place it.
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (*child < *parent->child(middle))
            high = middle;
        else
            low = middle + 1;
    }
    parent->insertChild(low, child);
}

void TMavDirTree21::RemoveNode(QTreeWidgetItem* node) {
    ExpandAll->Stop(); // it may hold the node or one below it
    delete node;
}

void TMavDirTree21::MergeChildren(QTreeWidgetItem* node) {
    BatchUpdate batch(this);
    const QString path = GetNodePath(node);
    const QString directory = AddSlash(path);
    const bool network = IsNetworkFolder(path);
    QHash<QString, QTreeWidgetItem*> shown;
    for (int i = 0; i < node->childCount(); ++i)
        shown.insert(NodePathName(node->child(i)), node->child(i));
    QList<QTreeWidgetItem*> added;
    for (const std::string& name : ListFolders(directory)) {
        const auto kept = shown.constFind(platform::pathText(name));
        if (kept == shown.constEnd()) {
            added.append(MakeFolderNode(directory, name, network));
            continue;
        }
        // A folder kept as it was, unless its expand button has changed since it was shown.
        if (!IsBuilt(*kept))
            UpdateExpandButton(*kept, directory + kept.key());
        shown.erase(kept);
    }
    for (QTreeWidgetItem* gone : std::as_const(shown))
        RemoveNode(gone);
    node->addChildren(added);
    SortChildren(node);
    UpdateWatchedFolders();
}

void TMavDirTree21::FollowDrive(int bit, unsigned events) {
    QTreeWidgetItem* root = Root();
    // Without drive nodes (only the root after a language change) the drives come with the next
    // click on the root.
    if (!root || root->childCount() == 0)
        return;
    QTreeWidgetItem* shown = DriveNode(root, bit);
    int position = 0;
    while (position < root->childCount() && DriveBit(root->child(position)) < bit)
        ++position;
    if (!(platform::logicalDrives() & (1u << bit))) {
        if (shown)
            RemoveNode(shown);
        return;
    }
    if (shown && !(events & NewContentEvents))
        return; // a drive that the tree shows already
    const bool wasOpen = shown && shown->isExpanded();
    if (shown)
        RemoveNode(shown);
    QTreeWidgetItem* drive = MakeDriveNode(bit);
    root->insertChild(position, drive);
    const QString rootPath = GetNodePath(drive);
    if (wasOpen && platform::directoryExists(platform::pathBytes(rootPath)))
        drive->setExpanded(true);
    UpdateWatchedFolders();
}

void TMavDirTree21::LookAgainEverywhere() {
    QTreeWidgetItem* root = Root();
    if (!root || root->childCount() == 0)
        return;
    const uint32_t mask = platform::logicalDrives();
    std::array<bool, 26> shown{};
    for (int i = 0; i < root->childCount(); ++i) {
        if (const int bit = DriveBit(root->child(i)); bit >= 0 && bit < 26)
            shown[size_t(bit)] = true;
    }
    for (int bit = 0; bit < 26; ++bit) {
        if (shown[size_t(bit)] != bool(mask & (1u << bit)))
            FollowDrive(bit, 0);
    }
    // Top down, so that a folder gone takes its branch with it before the branch is read.
    std::vector<QTreeWidgetItem*> pending;
    for (int i = root->childCount() - 1; i >= 0; --i)
        pending.push_back(root->child(i));
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        if (!IsBuilt(node))
            continue;
        MergeChildren(node);
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.push_back(node->child(i));
    }
}

void TMavDirTree21::ReopenSelection(const QString& remembered) {
    QTreeWidgetItem* root = Root();
    if (!root)
        return;
    // The folder is gone (its medium pulled, its drive removed, the folder removed or renamed):
    // the windows must not go on showing what is no longer there. The nearest folder above it
    // that still exists is selected; the branches the user opened stay open.
    if (remembered != MyComputerPath) {
        for (QString folder = remembered; !folder.isEmpty(); folder = ParentFolder(folder)) {
            if (!platform::directoryExists(platform::pathBytes(folder)))
                continue;
            const QString target = AddSlash(folder);
            if (!SelectPathNode(target))
                continue;
            if (!SameText(FSelectedPath, target))
                FSelectedPath = target;
            if (OnDirChange)
                OnDirChange(this, FSelectedPath);
            return;
        }
    }
    setCurrentItem(root);
    FSelectedPath = MyComputerPath;
    if (OnDirChange)
        OnDirChange(this, FSelectedPath);
}
