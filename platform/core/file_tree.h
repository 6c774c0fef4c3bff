// Host-side building blocks of copy, move and delete that never replace or lose data (internal).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/copy_observer.h"

namespace platform::detail {

// The Windows code for errno after a call on hostPath; a missing parent folder gives
// ERROR_PATH_NOT_FOUND rather than ERROR_FILE_NOT_FOUND.
uint32_t errorForPath(const std::string& hostPath, int err);

// The names in a host folder other than "." and "..", in the order the folder gives them.
// Returns 0, or errno when the folder cannot be read.
int listEntryNames(const std::string& folder, std::vector<std::string>& names);

// Creates a new, empty file under a unique hidden name in folder (".lumo-<tag>-<start of hint>-…")
// and returns its open descriptor, or -1 with errno set; path receives the name.
int makeTemporaryFile(const std::string& folder, std::string_view tag, std::string_view hint,
                      std::string& path);

// Copies a file or a whole folder to destination, which must not exist (ERROR_FILE_EXISTS).
// The copy is made under a temporary name beside destination and renamed into place without
// replacing anything, so a failure leaves nothing under destination. durable flushes the data to
// the disk first (a move deletes the source next). observer, when given, follows the bytes and
// entries copied and may stop the copy (ERROR_CANCELLED, nothing left under destination).
// Returns 0 or a Windows code.
uint32_t copyTree(const std::string& source, const std::string& destination, bool durable,
                  CopyObserver* observer = nullptr);
// Renames, or copies and then removes the source across file systems; never replaces
// (ERROR_ALREADY_EXISTS) and removes the source only after a complete copy; a copy stopped by
// the observer leaves the source as it was.
uint32_t moveTree(const std::string& source, const std::string& destination,
                  CopyObserver* observer = nullptr);
// Deletes a file or a folder with everything in it.
uint32_t removeTree(const std::string& path);

} // namespace platform::detail
