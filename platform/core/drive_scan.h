// Reading this machine's mount table into the default drive map (internal to platform/).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/drives.h"
#include "platform/core/volume_letters.h"

namespace platform::detail {

struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string fsType;
    // From /proc/self/mountinfo: a number the kernel gives each mount anew (-1 when unknown), and
    // the device number that the files on it report (st_dev).
    int mountId = -1;
    unsigned devMajor = 0;
    unsigned devMinor = 0;
};

// Parses the text of /proc/self/mounts, undoing its octal escapes ("\040" is a blank).
std::vector<MountEntry> parseMountTable(std::string_view text);
// Parses the text of /proc/self/mountinfo (mount id, device number, mount point, type, source).
std::vector<MountEntry> parseMountInfo(std::string_view text);

// A network file system, wherever it is mounted: NFS, SMB, sshfs, WebDAV, 9p, an automounter ...
bool isNetworkFileSystem(std::string_view fsType);
// The drive type of a mounted volume from its file-system type and block device.
unsigned driveTypeOfMount(const MountEntry& mount);
unsigned driveTypeOf(const MountEntry& mount, const VolumeFacts& facts);
// C: for "/" and D:, E:, ... for the volumes mounted under /media, /run/media and /mnt, in
// mount-point order, as a first start with no volume seen before gives them.
std::vector<DriveInfo> drivesFromMounts(const std::vector<MountEntry>& mounts);
// The volumes that get drive letters: those mounted under /media, /run/media and /mnt, the last
// mount of each mount point, in mount-point order.
std::vector<MountEntry> userVolumes(const std::vector<MountEntry>& mounts);

} // namespace platform::detail
