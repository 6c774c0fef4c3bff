// Whole files as bytes in the program's namespace: read at once, and written so that a failure
// never leaves a half-written file under the name (written under a temporary name in the same
// folder, then renamed over it). Standard C++ only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The bytes of a regular file; nullopt with lastError() set when there is none or it cannot be
// read (a FIFO or a device is refused rather than read).
std::optional<std::string> readFileBytes(std::string_view path);

// Writes bytes as the file at path, replacing any file of that name only once all of them are
// written. False with lastError() set; the temporary file is then gone and an older file of the
// name is untouched. The new file gets the usual permissions of new files.
bool writeFileBytes(std::string_view path, std::string_view bytes);

} // namespace platform
