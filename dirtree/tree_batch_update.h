// The tree's batch update (begin/end update of the control), shared by the units that make up
// TMavDirTree21 (internal to the tree).
#pragma once

#include "dirtree/mav_dir_tree.h"

// Begin/end of a batch update: the tree draws again only when the outermost one ends.
class TMavDirTree21::BatchUpdate {
public:
    explicit BatchUpdate(TMavDirTree21* tree) : tree_(tree) {
        if (tree_->BatchDepth++ == 0)
            tree_->setUpdatesEnabled(false);
    }
    ~BatchUpdate() {
        if (--tree_->BatchDepth > 0)
            return;
        tree_->setUpdatesEnabled(true);
        // The folders to follow are told once, when the outermost batch has built the tree:
        // a rebuild would otherwise let go of every watch and take it again.
        if (tree_->WatchesOutdated)
            tree_->UpdateWatchedFolders();
    }
    BatchUpdate(const BatchUpdate&) = delete;
    BatchUpdate& operator=(const BatchUpdate&) = delete;

private:
    TMavDirTree21* tree_;
};
