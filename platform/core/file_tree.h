// Host-side building blocks of copy, move and delete that never replace or lose data (internal).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/copy_observer.h"

namespace platform::detail {

// The Windows code for errno after a call on hostPath; a missing parent folder gives
// ERROR_PATH_NOT_FOUND rather than ERROR_FILE_NOT_FOUND.
uint32_t errorForPath(const std::string& hostPath, int err);

// The names in a host folder other than "." and "..", in the order the folder gives them.
// Returns 0, or errno when the folder cannot be read.
int listEntryNames(const std::string& folder, std::vector<std::string>& names);

// Creates a new, empty file under a unique hidden name in folder (".lumo-<tag>-<start of hint>-…")
// and returns its open descriptor, or -1 with errno set; path receives the name.
int makeTemporaryFile(const std::string& folder, std::string_view tag, std::string_view hint,
                      std::string& path);
// True for a name this program gives its temporaries (".lumo-tmp-…-XXXXXX", "replace", "jpeg").
bool isOwnTemporaryName(std::string_view name);
// Removes this program's temporaries in folder that are older than a day: what a copy killed
// half-way left behind. Called whenever a copy makes a named temporary in a folder.
void removeOldTemporaries(const std::string& folder);

// Copies a file or a whole folder to destination, which must not exist (ERROR_FILE_EXISTS).
// A file is written into an unnamed file of the destination folder and linked into place when
// complete (where the file system cannot, under a temporary name renamed into place); a folder or
// a link is built under a temporary name and renamed. Nothing ever replaces an entry; a copy that
// fails leaves nothing, and a file copy killed half-way leaves no name behind (what a killed folder
// copy leaves goes with removeOldTemporaries). A file written to while it is copied fails the
// copy (ERROR_SHARING_VIOLATION). A copy of a link to a file copies the file's content; links
// inside a folder stay links. A folder is never copied into itself (also not through a link or a
// bind mount: ERROR_INVALID_PARAMETER), and another file system mounted inside it fails the copy
// (ERROR_NOT_SAME_DEVICE). durable: the copy is the first half of a move (data flushed to the
// disk, the item copied as it is, links included). observer, when given, follows the bytes and
// entries copied and may stop the copy (ERROR_CANCELLED: the entries completed stay, the one under
// way is removed; a stopped copy of one item leaves nothing). Returns 0 or a Windows code.
uint32_t copyTree(const std::string& source, const std::string& destination, bool durable,
                  CopyObserver* observer = nullptr);
// Renames, or across file systems copies and then removes the source; never replaces
// (ERROR_ALREADY_EXISTS). The source is removed only where it is still exactly what was copied
// (device, inode, type, size, modification and change times): a file replaced or written to in
// the meantime stays (ERROR_SHARING_VIOLATION, the copy stays at destination too), and a folder
// keeps every entry added or changed since its copy, with the folders holding them
// (ERROR_DIR_NOT_EMPTY; the copy is complete at destination). A copy stopped by the observer
// leaves the source as it was. Nor is a file removed that another program may still write: one
// open for writing when its copy starts, or opened for writing before the copy is complete,
// fails the move (ERROR_SHARING_VIOLATION; another user's file, whose writers cannot be known,
// ERROR_ACCESS_DENIED), and one opened for writing after its copy stays as above. The kernel's
// read leases tell; on a network file system, which cannot tell of writers on other machines,
// only the unchanged content does. A rename on one file system is never refused for a writer.
// A stop asked for while the source is being removed keeps what is left of it (ERROR_CANCELLED,
// the copy complete at destination).
uint32_t moveTree(const std::string& source, const std::string& destination,
                  CopyObserver* observer = nullptr);
// Moves a file or a link onto an existing file, which it replaces: a rename on one file system;
// across file systems a copy is made beside target and put in its place, and the source is then
// removed only when it is still exactly what was copied and nobody writes it, as moveTree
// decides (ERROR_SHARING_VIOLATION otherwise; a copy that fails leaves target as it was).
// A stop asked for before the copy takes target's place leaves target and the source as they were.
uint32_t moveOnto(const std::string& source, const std::string& target,
                  CopyObserver* observer = nullptr);
// Deletes a file or a folder with everything in it. A folder that is a mount point or holds one
// is refused whole (ERROR_ACCESS_DENIED): another file system is never emptied with a folder.
// observer, when given, is asked before each entry and stops the delete (ERROR_CANCELLED): what
// was removed before stays removed, the rest stays.
uint32_t removeTree(const std::string& path, const CopyObserver* observer = nullptr);

} // namespace platform::detail
