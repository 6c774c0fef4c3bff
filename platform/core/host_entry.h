// What a host path given on a command line names, for the program's command-line tools, which
// take host paths rather than program paths. Standard C++ only.
#pragma once

#include <string>

namespace platform {

enum class HostEntryKind { RegularFile, Folder, Other, Unreadable };

struct HostEntry {
    HostEntryKind kind = HostEntryKind::Unreadable;
    std::string problem; // why it cannot be opened, when Unreadable
};

// Opens the path read-only without blocking (a FIFO cannot hang the caller) and says what it is.
HostEntry probeHostEntry(const std::string& hostPath);

} // namespace platform
