// Expanding everything below a node, in slices, without following a folder into itself.
#include "dirtree/expand_all.h"

#include <QElapsedTimer>

#include "dirtree/mav_dir_tree.h"
#include "dirtree/shell_helpers.h"
#include "platform/core/drives.h"
#include "platform/qt/path_text.h"

namespace {

// One slice of expanding, after which the window's events run.
constexpr int SliceMs = 30;

} // namespace

TExpandAllBelow::TExpandAllBelow(TMavDirTree21* tree) : QObject(tree), Tree(tree) {
    Timer.setInterval(0);
    connect(&Timer, &QTimer::timeout, this, &TExpandAllBelow::Step);
}

void TExpandAllBelow::Start(QTreeWidgetItem* node) {
    Stop();
    if (!node)
        return;
    Pending.push_back(node);
    Timer.start();
}

void TExpandAllBelow::Stop() {
    Timer.stop();
    Pending.clear();
    Identities.clear();
}

bool TExpandAllBelow::Running() const {
    return Timer.isActive();
}

std::optional<platform::FolderIdentity> TExpandAllBelow::IdentityOf(QTreeWidgetItem* node) {
    const auto known = Identities.find(node);
    if (known != Identities.end())
        return known->second;
    std::optional<platform::FolderIdentity> identity;
    if (TMavDirTree21::NodeLevel(node) > 0)
        identity = platform::folderIdentity(platform::pathBytes(Tree->GetNodePath(node)));
    Identities.emplace(node, identity);
    return identity;
}

bool TExpandAllBelow::RepeatsAnAncestor(QTreeWidgetItem* node,
                                        const platform::FolderIdentity& identity) {
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) {
        if (IdentityOf(up) == identity)
            return true;
    }
    return false;
}

void TExpandAllBelow::Step() {
    QElapsedTimer slice;
    slice.start();
    while (!Pending.empty() && slice.elapsed() < SliceMs) {
        QTreeWidgetItem* node = Pending.back();
        Pending.pop_back();
        const int level = TMavDirTree21::NodeLevel(node);
        if (level == 0 && node->childCount() == 0)
            Tree->AddDrives();
        if (level == 1) {
            // A drive without a medium is passed over, without the warning a click would give.
            const QString root = Tree->GetNodePath(node);
            const auto drive = platform::driveInfo(root.at(0).toLatin1());
            if (!drive || !drive->ready || !IsDriveReady(root.at(0), false))
                continue;
        }
        if (level > 0) {
            const auto identity = IdentityOf(node);
            if (!identity || RepeatsAnAncestor(node, *identity))
                continue;
        }
        node->setExpanded(true); // builds the children
        for (int i = node->childCount() - 1; i >= 0; --i)
            Pending.push_back(node->child(i));
    }
    if (Pending.empty())
        Stop();
}
