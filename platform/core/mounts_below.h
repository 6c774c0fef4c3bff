// Whether a folder carries another mounted file system, which a move of the folder would carry
// along and a delete or the trash would empty (internal to platform/). The one reading of the
// mount table for copy, move, delete and the trash.
#pragma once

#include <string>

namespace platform::detail {

// True when the folder at hostPath (taken as it is, not through a link) is a mount point itself
// or has one anywhere below it: a card's root, a bind mount, a volume mounted inside. Decided on
// the mount table as it is now. False for a file, a link or a missing entry.
bool carriesMountedVolume(const std::string& hostPath);

} // namespace platform::detail
