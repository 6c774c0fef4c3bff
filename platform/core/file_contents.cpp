// Whole-file reads, and writes through a temporary name in the same folder.
#include "platform/core/file_contents.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bytes/byte_source.h"
#include "platform/core/file_source.h"
#include "platform/core/host_path.h"
#include "platform/core/winerror.h"

namespace platform {

namespace {

bool failWith(int err) {
    setLastError(errorFromErrno(err));
    return false;
}

mode_t newFileMode() {
    // The process's umask can only be read by setting it; set it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::optional<std::string> readFileBytes(std::string_view path) {
    FileSource source;
    try {
        if (!source.open(path)) {
            setLastError(ERROR_FILE_NOT_FOUND);
            return std::nullopt;
        }
        std::string bytes(static_cast<size_t>(source.size()), '\0');
        const size_t got = source.readAt(0, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
        bytes.resize(got);
        return bytes;
    } catch (const EInOutError&) {
        setLastError(ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
}

bool writeFileBytes(std::string_view path, std::string_view bytes) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return false;
    const size_t slash = host->path.rfind('/');
    std::string temp = host->path.substr(0, slash + 1) + ".lumo-write-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return failWith(errno);
    size_t done = 0;
    int err = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (err == 0 && ::fchmod(fd, newFileMode()) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temp.c_str(), host->path.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return failWith(err);
    }
    return true;
}

} // namespace platform
