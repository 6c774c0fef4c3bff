// What the units of copy, move and delete share (internal to platform/core): pieces of host
// paths, the identity that tells a move an entry is still the one it copied, the mounted file
// system an entry belongs to, and the steps that put a finished file in place.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/copy_observer.h"

namespace platform::detail {

std::string parentOf(const std::string& path);
std::string baseName(const std::string& path);
std::string join(const std::string& folder, const std::string& name);
// The path of name below relative, a path below a copied item ("" for the item itself).
std::string below(const std::string& relative, const std::string& name);
// True when path lies below folder (folder itself is not inside).
bool isInside(const std::string& path, const std::string& folder);

// A descriptor closed on every way out of the scope that opened it.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// What says that an entry is still the one that was copied: the same inode of the same device,
// with the same type, size, modification and change times.
struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    mode_t type = 0;
    off_t size = 0;
    struct timespec mtime {};
    struct timespec ctime {};
};

Identity identityOf(const struct stat& st);
// The same inode with the same content: nobody wrote to it.
bool sameContent(const Identity& a, const Identity& b);

// The entries a copy made for a move, by their path below the copied item ("" for the item
// itself), each with the identity it had while it was copied.
using CopyRecord = std::map<std::string, Identity>;

// Which mounted file system an entry belongs to, and whether it is the root of a mount.
struct MountPlace {
    uint64_t id = 0;
    bool idKnown = false;
    dev_t dev = 0;
    bool mountRoot = false;
};

// False when the entry cannot be looked at.
bool mountPlaceOf(const std::string& path, MountPlace& place);
// A folder below a tree's root that another file system is mounted on (a bind mount of the same
// volume included). Whether a folder carries a mount point at or below it: mounts_below.h.
bool isOtherMount(const MountPlace& root, const MountPlace& entry);

// Renames without ever replacing; 0 or errno (EEXIST when destination is taken).
int renameNoReplace(const std::string& from, const std::string& to, bool isFolder);
// Makes the file's content appear under destination, never replacing an entry there.
int linkUnnamed(int fd, const std::string& destination);
// Flushes a folder's entries to the disk (after a durable copy put a name in it).
void syncFolder(const std::string& folder);

// copyTree for the first half of a move (record given) or for a copy.
uint32_t copyRecorded(const std::string& source, const std::string& destination, bool durable,
                      CopyRecord* record, CopyObserver* observer);

} // namespace platform::detail
