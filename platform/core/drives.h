// The program's namespace of drive letters and backslash paths, mapped onto host folders.
//
// Code above platform/ only ever sees program paths such as "C:\home\ann\Photos\a.jpg"; this unit
// is the one place that turns them into host paths and back. By default C: is the host root "/"
// and D:, E:, ... are the volumes mounted under /media, /run/media and /mnt. A volume keeps its
// letter for as long as it is mounted; one that appears takes the first free letter, or the
// letter it had before when that is free (remembered in the program's configuration folder).
// Tests replace the map with their own temporary folders. Standard C++ only (no Qt).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// GetDriveType results.
enum : unsigned {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
};

struct DriveInfo {
    char letter = 'C';    // 'A'..'Z'
    std::string hostRoot; // host folder that the drive's root stands for ("/", "/media/ann/CARD")
    unsigned type = DRIVE_FIXED;
    std::string label; // volume label; empty when the volume has none
    bool ready = true; // false for a removable or CD drive without a medium
};

// Replaces the whole drive map (tests inject temporary folders). An empty list goes back to the
// map read from this machine's mount table.
void setDriveMap(std::vector<DriveInfo> drives);
// Adds or replaces one letter (a connected network drive); removeDrive takes it out again.
void addDrive(const DriveInfo& drive);
void removeDrive(char letter);

std::vector<DriveInfo> drives();                 // the current map, in letter order
std::optional<DriveInfo> driveInfo(char letter); // either case of letter

uint32_t logicalDrives(); // GetLogicalDrives: bit 0 is A:, bit 2 is C:, ...
// GetDriveType of a root such as "C:\" (or "C:"); DRIVE_NO_ROOT_DIR for an unmapped letter.
unsigned driveType(std::string_view rootPath);
// Total size in bytes of drive number n (1 is A:, 3 is C:); -1 when the drive is not mapped or
// not ready (no medium).
int64_t driveTotalSize(int driveNumber);
// The shell's display name of a drive root: "Local Disk (C:)" for a fixed drive; otherwise the
// volume label or a kind name ("Removable Disk", "CD Drive", "Network Drive") with " (X:)".
std::string driveDisplayName(char letter);

// Whether a program path lies on a network file system: under a network drive's letter, or on a
// share mounted anywhere inside another drive (a home folder on NFS, an sshfs mount in the home
// folder). Decided without touching the path, which may lie on a share that does not answer.
bool isNetworkPath(std::string_view programPath);

// Program path -> host path. Accepts either case of drive letter, forward or back slashes and
// doubled separators; "." and ".." are resolved and can never climb above the drive's root
// ("C:\..\.." is "C:\"). A component that does not exist with its exact case is matched without
// regard to case when the folder holds exactly such an entry. nullopt for a path that does not
// start with a mapped drive letter.
std::optional<std::string> toHostPath(std::string_view programPath);

// Host path -> program path, on the drive whose host root is the longest prefix of it.
// "/home/ann" -> "C:\home\ann"; a drive root gives "C:\". Empty when no drive holds the path.
std::string fromHostPath(std::string_view hostPath);

} // namespace platform
