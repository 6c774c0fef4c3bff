// The size of a folder tree on disk, counted the way the tree's "Tree Size" command reports it.
// Standard C++ only; callable from any thread.
//
// The walk stays on the folder's own file system (a volume mounted inside is another drive and
// is not counted), never follows a link (a link to a folder, even one that points back up the
// tree, is a name and not a second copy of the folder; a link to a file counts as nothing, the
// data lies where the link points), and counts a file with several names (hard links) once. Hidden
// and system entries count like any other. Folders that cannot be read are skipped.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

namespace platform {

// Shared between the walk and whoever watches it: the counts so far (updated as the walk goes)
// and the request to stop. The walk only reads stop.
struct TreeSizeProgress {
    std::atomic<uint64_t> files{0};
    std::atomic<uint64_t> bytes{0};
    std::atomic<bool> stop{false};
};

struct TreeSize {
    uint64_t bytes = 0;
    uint64_t files = 0;
    uint64_t folders = 0;           // sub-folders counted, the folder itself not included
    uint64_t otherFileSystems = 0;  // folders skipped because another volume is mounted there
    uint64_t unreadableFolders = 0; // folders whose entries could not be listed
    bool found = false;             // the folder exists and could be opened
    bool stopped = false;           // progress->stop was set: the counts are incomplete
};

// The total of the files under a program path such as "C:\Photos" or "D:\". An empty path gives
// an empty result; so does a path that names no folder (found is then false). With progress,
// whoever watches stops the walk, and a share that does not answer is waited for; without it, the
// look-up of a path on such a share gives up after the bounded wait (found false).
TreeSize folderTreeSize(std::string_view programPath, TreeSizeProgress* progress = nullptr);

} // namespace platform
