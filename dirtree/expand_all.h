// Keypad "*" on the tree: every folder below a node is expanded, a slice at a time so that the
// window goes on answering (a key or a click stops it). A folder that is already open above on the
// same branch (a link to itself or to one of its parents) is never expanded: that would go on
// without end. User-interface thread only; owned by its tree.
#pragma once

#include <unordered_map>
#include <vector>

#include <QObject>
#include <QTimer>

#include "platform/core/folder_walk.h"

class QTreeWidgetItem;
class TMavDirTree21;

class TExpandAllBelow : public QObject {
public:
    explicit TExpandAllBelow(TMavDirTree21* tree);

    void Start(QTreeWidgetItem* node);
    // Stops before the next folder; the tree calls it too before it removes nodes.
    void Stop();
    bool Running() const;

private:
    void Step();
    // The identity of a node's real folder, read once; nullopt for the root and for what cannot
    // be reached.
    std::optional<platform::FolderIdentity> IdentityOf(QTreeWidgetItem* node);
    bool RepeatsAnAncestor(QTreeWidgetItem* node, const platform::FolderIdentity& identity);

    TMavDirTree21* Tree;
    QTimer Timer;
    std::vector<QTreeWidgetItem*> Pending; // depth first, the next one last
    std::unordered_map<const QTreeWidgetItem*, std::optional<platform::FolderIdentity>> Identities;
};
