#include "platform/core/host_entry.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/file_source.h"

namespace platform {

namespace {

// The path the kernel keeps for an open folder.
std::string resolvedPath(int fd) {
    char buffer[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof buffer) || buffer[0] != '/')
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

} // namespace

HostEntry probeHostEntry(const std::string& hostPath) {
    FileSource file;
    return openHostEntry(hostPath, file);
}

HostEntry openHostEntry(const std::string& hostPath, FileSource& file) {
    if (hostPath.empty())
        return {HostEntryKind::Unreadable, "an empty path names no file", {}};
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {HostEntryKind::Unreadable, std::strerror(errno), {}};
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    const int error = errno;
    HostEntry entry;
    if (!known) {
        entry = {HostEntryKind::Unreadable, std::strerror(error), {}};
    } else if (S_ISREG(st.st_mode)) {
        entry.kind = HostEntryKind::RegularFile;
        file.adopt(fd, static_cast<uint64_t>(st.st_size));
        return entry;
    } else if (S_ISDIR(st.st_mode)) {
        entry = {HostEntryKind::Folder, {}, resolvedPath(fd)};
    } else {
        entry.kind = HostEntryKind::Other;
    }
    ::close(fd);
    return entry;
}

} // namespace platform
