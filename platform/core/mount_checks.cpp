// Which mounted file system an entry of a host tree belongs to: the walks of copy, move and
// delete never cross into another one.
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/core/file_tree_parts.h"

namespace platform::detail {

namespace {

// Mount points as the kernel lists them for this process, octal escapes undone.
std::vector<std::string> mountPoints() {
    std::ifstream in("/proc/self/mountinfo");
    std::vector<std::string> points;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        if (!(fields >> id >> parent >> device >> root >> point))
            continue;
        std::string decoded;
        for (size_t i = 0; i < point.size(); ++i) {
            if (point[i] == '\\' && i + 3 < point.size()) {
                const std::string octal = point.substr(i + 1, 3);
                if (octal.find_first_not_of("01234567") == std::string::npos) {
                    decoded.push_back(static_cast<char>(std::stoi(octal, nullptr, 8)));
                    i += 3;
                    continue;
                }
            }
            decoded.push_back(point[i]);
        }
        points.push_back(std::move(decoded));
    }
    return points;
}

// The host path with its folders resolved by the kernel (links, "..") and its last name kept.
std::string resolvedParentPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(parentOf(path).c_str(), resolved) == nullptr)
        return path;
    return join(resolved, baseName(path));
}

} // namespace

bool mountPlaceOf(const std::string& path, MountPlace& place) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MNT_ID, &sx) != 0)
        return false;
    place.idKnown = (sx.stx_mask & STATX_MNT_ID) != 0;
    place.id = sx.stx_mnt_id;
    place.dev = ::makedev(sx.stx_dev_major, sx.stx_dev_minor);
    place.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                      (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return true;
}

bool isOtherMount(const MountPlace& root, const MountPlace& entry) {
    if (entry.mountRoot)
        return true;
    return root.idKnown && entry.idKnown ? root.id != entry.id : root.dev != entry.dev;
}

bool holdsMountPoint(const std::string& path) {
    const std::string folder = resolvedParentPath(path);
    for (const std::string& point : mountPoints()) {
        if (isInside(point, folder))
            return true;
    }
    return false;
}

} // namespace platform::detail
