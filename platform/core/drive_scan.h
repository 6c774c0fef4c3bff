// Reading this machine's mount table into the default drive map (internal to platform/).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/drives.h"

namespace platform::detail {

struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string fsType;
};

// Parses the text of /proc/self/mounts, undoing its octal escapes ("\040" is a blank).
std::vector<MountEntry> parseMountTable(std::string_view text);
// The drive type of a mounted volume from its file-system type and block device.
unsigned driveTypeOfMount(const MountEntry& mount);
// C: for "/" and D:, E:, ... for the volumes mounted under /media, /run/media and /mnt, in
// mount-point order.
std::vector<DriveInfo> drivesFromMounts(const std::vector<MountEntry>& mounts);
// drivesFromMounts over /proc/self/mounts.
std::vector<DriveInfo> scanHostDrives();

} // namespace platform::detail
