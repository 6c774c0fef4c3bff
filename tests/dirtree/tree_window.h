// A tree set up as the program's windows set theirs up, for the tree's window tests.
#pragma once

#include <QStringList>
#include <QTest>

#include "dirtree/mav_dir_tree.h"

// Gives tree the windows' folder filter and size, records every OnDirChange in changes (emptied
// first) and shows it; false when it was not shown.
inline bool ShowAsTheWindowsDo(TMavDirTree21& tree, QStringList& changes) {
    tree.setFolderType(FileTypeOf({ftReadOnly, ftDirectory, ftArchive, ftNormal}));
    tree.resize(400, 600);
    changes.clear();
    tree.OnDirChange = [&changes](QObject*, const QString& path) {
        changes.append(path);
    };
    tree.show();
    return QTest::qWaitForWindowExposed(&tree);
}
