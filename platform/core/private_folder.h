// A folder of the current user's own for the program's temporary files: "lumograph" in the user's
// runtime folder ($XDG_RUNTIME_DIR) or, without one, in the user's cache folder ($XDG_CACHE_HOME or
// ~/.cache). Created with owner-only rights when missing; never a folder another user could have
// planted a file or a link in. Standard C++ only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The folder as a program path ending in a backslash. nullopt with lastError() set when it cannot
// be made, when the name is taken by a link or by something that is not the user's own folder, or
// when no drive of the program's namespace reaches it.
std::optional<std::string> privateTempFolder();

// A new, empty file of the user's own in that folder, under a name nothing else there has: stem,
// "-", six random letters and digits, extension. A temporary for one use, which nothing else, in
// this program or another, writes; the caller removes it. Files of the same stem and extension
// older than a day, left by a program that ended half-way, are removed when another is made.
// A program path, or nullopt with lastError() set.
std::optional<std::string> newPrivateTempFile(std::string_view stem, std::string_view extension);

} // namespace platform
