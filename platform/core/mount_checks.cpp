// Which mounted file system an entry of a host tree belongs to: the walks of copy, move and
// delete never cross into another one.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/core/file_tree_parts.h"

namespace platform::detail {

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

} // namespace platform::detail
