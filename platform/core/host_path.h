// Helpers the file and shell units share for turning program paths into host paths (internal).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/drives.h"

namespace platform::detail {

struct HostPath {
    std::string path;    // host path, no trailing slash except for "/"
    DriveInfo drive;     // the drive it lies on
    bool isRoot = false; // the drive's root itself
};

// toHostPath for a call that touches the file system: an unmapped or malformed path sets
// ERROR_PATH_NOT_FOUND, a drive without a medium ERROR_NOT_READY, and both give nullopt.
std::optional<HostPath> resolveForAccess(std::string_view programPath);

// The host path a program path names when each of its components is spelled with its exact case,
// made without looking at the disk and without checking the drive's medium; nullopt (and no error)
// for a path that does not start with a mapped drive letter. A caller that finds nothing there
// tries resolveForAccess, which also matches names without regard to case: busy loops spare one
// look-up per path this way.
std::optional<HostPath> exactHostPath(std::string_view programPath);

// The characters of program paths: a drive letter (either case) and a separator (either slash).
bool isLetter(char c);
bool isSeparator(char c);

// ASCII letters compared without regard to case, every other byte exactly.
bool equalsNoCase(std::string_view a, std::string_view b);
// a < b without regard to case, exact bytes breaking ties.
bool lessNoCase(std::string_view a, std::string_view b);

// The machine's mount table changed: the next call reads it again.
void invalidateHostDriveMap();

// The root of the network location that holds a host path: the host folder of a network drive,
// or the mount point of a network file system mounted anywhere (inside the home folder too). The
// path is followed through its links as far as local file systems hold them, so a link into a
// share leads to the share; nothing on a network location is touched on the way. A folder's links
// (on its way and among its entries) are remembered for a second. nullopt for a local path.
std::optional<std::string> networkRootOf(std::string_view hostPath);
// The same decided on the path's text and the mount table alone, links not followed.
std::optional<std::string> networkRootOfText(std::string_view hostPath);
// Whether any network location exists (a network file system mounted, a network drive): without
// one no path lies on one.
bool anyNetworkLocation();

// Letters (bit 0 is A:) kept for network drives that reconnect at start: a volume that appears is
// never given one; a volume that holds one already keeps it.
void setReservedLetters(uint32_t letters);

// The program's folder in the user's configuration folder ($XDG_CONFIG_HOME/lumograph, else
// ~/.config/lumograph); it may not exist yet.
std::string configFolder();

// Called (outside any lock, on the calling thread) after setDriveMap, addDrive or removeDrive.
void setDriveMapObserver(std::function<void()> observer);

} // namespace platform::detail
