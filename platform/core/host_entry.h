// What a host path given on a command line names, for the program's command-line tools, which
// take host paths rather than program paths. Standard C++ only.
#pragma once

#include <string>

namespace platform {

class FileSource;

enum class HostEntryKind { RegularFile, Folder, Other, Unreadable };

struct HostEntry {
    HostEntryKind kind = HostEntryKind::Unreadable;
    std::string problem; // why it cannot be opened, when Unreadable
    // For a Folder: its absolute path as the kernel resolved it (links followed, ".." taken
    // after them), also when the current folder has been deleted. Empty when unknown.
    std::string resolved;
};

// Opens the path exactly as given, read-only and without blocking (a FIFO cannot hang the
// caller), and says what it is. An empty path names nothing.
HostEntry probeHostEntry(const std::string& hostPath);
// The same, keeping a regular file open in file: the caller reads the very file it looked at,
// and opens it once. Anything else is closed again.
HostEntry openHostEntry(const std::string& hostPath, FileSource& file);

} // namespace platform
