#include "platform/core/host_entry.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

HostEntry probeHostEntry(const std::string& hostPath) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {HostEntryKind::Unreadable, std::strerror(errno)};
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    const int error = errno;
    ::close(fd);
    if (!known)
        return {HostEntryKind::Unreadable, std::strerror(error)};
    if (S_ISREG(st.st_mode))
        return {HostEntryKind::RegularFile, {}};
    if (S_ISDIR(st.st_mode))
        return {HostEntryKind::Folder, {}};
    return {HostEntryKind::Other, {}};
}

} // namespace platform
