// A regular host file read by position.
#include "platform/core/file_source.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"

namespace platform {

FileSource::~FileSource() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileSource::open(std::string_view programPath) {
    const std::optional<std::string> hostPath = toHostPath(programPath);
    return hostPath && openHost(*hostPath);
}

bool FileSource::openExact(std::string_view programPath) {
    const auto host = detail::exactHostPath(programPath);
    return host && host->drive.ready && openHost(host->path);
}

bool FileSource::openHost(const std::string& hostPath) {
    // O_NONBLOCK keeps a FIFO from hanging the open; it is turned away just below.
    fd_ = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || ::stat(hostPath.c_str(), &st) != 0 ||
            S_ISDIR(st.st_mode))
            return false;
        throw EInOutError("cannot open the file (" + std::string(std::strerror(error)) + ")");
    }
    if (::fstat(fd_, &st) != 0)
        throw EInOutError("cannot query the file (" + std::string(std::strerror(errno)) + ")");
    if (S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    if (!S_ISREG(st.st_mode))
        throw EInOutError("not a regular file");
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

void FileSource::adopt(int fd, uint64_t size) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    size_ = size;
}

size_t FileSource::readAt(uint64_t pos, uint8_t* dst, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, dst + done, n - done, static_cast<off_t>(pos + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError("read error at offset " + std::to_string(pos + done) + " (" +
                              std::strerror(errno) + ")");
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

} // namespace platform
