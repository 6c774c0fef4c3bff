// Reading folders for a tree that shows them: the look-ahead that only asks whether a folder has
// a sub-folder, and the identity of the real folder behind a path, which tells a folder reached
// again through a link. Calls on a network file system give up after a bounded wait.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/files.h"

struct stat;

namespace platform {

// Whether folder (a program path) holds a sub-folder, or a link to one, that accept takes. The
// folder is read in the file system's own order and only up to the first such entry, so a folder
// of many thousand sub-folders answers as fast as a small one. accept is copied and may run on a
// helper thread. False when there is none or the folder cannot be read.
bool hasSubFolder(std::string_view folder, std::function<bool(const FindData&)> accept);

// The device and inode of the folder a path leads to, links followed: two paths with the same
// identity show the same folder. nullopt when it cannot be reached.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};
std::optional<FolderIdentity> folderIdentity(std::string_view path);

namespace detail {

// A network folder's find-file result, read in one go on a helper thread.
struct ListedFolder {
    std::vector<FindData> entries;
    uint32_t end = 0; // the code after the last entry (ERROR_NO_MORE_FILES, or why none came)
    std::vector<std::string> unnamable; // as FindFile::unnamableNames
};
// For a search pattern in a folder on a network file system, the whole search done with a
// bounded wait; nullopt for a local folder (and on the helper thread itself), which the caller
// then reads as usual.
std::optional<ListedFolder> listNetworkFolder(std::string_view pattern, FindScope scope);

// The attributes find-file reports for the entry at hostPath (st its stat result).
uint32_t entryAttributes(const std::string& hostPath, std::string_view name, const struct stat& st);

} // namespace detail

} // namespace platform
