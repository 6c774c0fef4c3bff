// Mount points at and below a folder, from the kernel's mount table of this process.
#include "platform/core/mounts_below.h"

#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/core/mount_table.h"

namespace platform::detail {

namespace {

// The host path with its folders resolved by the kernel (links, "..") and its last name kept, as
// the mount table names mount points.
std::string resolvedPath(const std::string& hostPath) {
    const size_t slash = hostPath.rfind('/');
    if (slash == std::string::npos)
        return hostPath;
    const std::string parent = slash == 0 ? "/" : hostPath.substr(0, slash);
    char resolved[PATH_MAX];
    if (::realpath(parent.c_str(), resolved) == nullptr)
        return hostPath;
    const std::string folder = resolved;
    return (folder == "/" ? "" : folder) + hostPath.substr(slash);
}

bool atOrBelow(const std::string& path, const std::string& folder) {
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || folder == "/" || path[folder.size()] == '/');
}

} // namespace

bool carriesMountedVolume(const std::string& hostPath) {
    struct statx sx {};
    if (::statx(AT_FDCWD, hostPath.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &sx) != 0 ||
        !S_ISDIR(sx.stx_mode))
        return false;
    if ((sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
        (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0)
        return true;
    const std::string folder = resolvedPath(hostPath);
    for (const MountEntry& mount : readMachineMounts()) {
        if (atOrBelow(mount.mountPoint, folder))
            return true;
    }
    return false;
}

} // namespace platform::detail
