// The machine's mount table and the facts of its volumes, read once and kept until the table
// changes, for the drive map, the network check of paths and the DOS attributes of volumes
// (internal to platform/). Tests put in a table and facts of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/drive_scan.h"
#include "platform/core/volume_letters.h"

namespace platform::detail {

struct MountSource {
    std::function<std::vector<MountEntry>()> mounts;     // empty: /proc/self/mountinfo
    std::function<VolumeFacts(const MountEntry&)> facts; // empty: udev, /dev/disk and /sys
};
// Replaces where the table and the facts come from; an empty source goes back to the machine.
void setMountSource(MountSource source);

// The mount table now. It is read again after invalidateMountTable() and at most a second later.
std::shared_ptr<const std::vector<MountEntry>> mountTable();
void invalidateMountTable();
VolumeFacts volumeFacts(const MountEntry& mount);

// The mount that holds a host path, decided on the path's text alone (without touching the
// disk, which may not answer): the one whose mount point is its longest leading part.
std::optional<MountEntry> mountOf(std::string_view hostPath);
// The mount point of the network file system that holds a host path, decided as mountOf does;
// nullopt when a local file system holds it.
std::optional<std::string> networkMountOf(std::string_view hostPath);
// Whether the mount table holds a network file system at all.
bool anyNetworkMount();
// The file-system type of the mount whose files report device number dev; empty if none does.
std::string fileSystemOfDevice(uint64_t dev);

// This machine: /proc/self/mountinfo, and a volume's UUID, label, size and removable flag from
// the udev database, /dev/disk and /sys.
std::vector<MountEntry> readMachineMounts();
VolumeFacts readMachineVolumeFacts(const MountEntry& mount);
// The facts the udev database keeps for a block device ("E:ID_FS_UUID=..." lines).
VolumeFacts parseUdevFacts(std::string_view text);

} // namespace platform::detail
