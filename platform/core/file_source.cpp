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
#include "platform/core/network_file.h"

namespace platform {

FileSource::~FileSource() = default;

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
    detail::OpenedFile opened = detail::openBounded(hostPath, O_RDONLY | O_NONBLOCK);
    fd_.reset();
    location_ = std::move(opened.location);
    if (!opened.fd) {
        const int error = opened.error;
        // Only a file that cannot be opened is worth a second look; the share that did not
        // answer is not asked again.
        struct stat st {};
        if (error == ENOENT || error == ENOTDIR ||
            (error != detail::kNoAnswer &&
             (::stat(hostPath.c_str(), &st) != 0 || S_ISDIR(st.st_mode))))
            return false;
        throw EInOutError("cannot open the file (" + detail::errorText(error) + ")");
    }
    const struct stat& st = opened.status;
    if (S_ISDIR(st.st_mode))
        return false;
    if (!S_ISREG(st.st_mode))
        throw EInOutError("not a regular file");
    fd_ = std::move(opened.fd);
    size_ = static_cast<uint64_t>(st.st_size);
    modifiedNs_ = static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    device_ = static_cast<uint64_t>(st.st_dev);
    inode_ = static_cast<uint64_t>(st.st_ino);
    return true;
}

void FileSource::adopt(int fd, uint64_t size) {
    fd_ = std::make_shared<detail::SharedFd>(fd);
    location_.reset();
    size_ = size;
}

size_t FileSource::readAt(uint64_t pos, uint8_t* dst, size_t n) {
    if (!fd_)
        throw EInOutError("read error: no file is open");
    size_t done = 0;
    while (done < n) {
        const ssize_t got = detail::preadBounded(fd_, location_, dst + done, n - done, pos + done);
        if (got < 0) {
            throw EInOutError("read error at offset " + std::to_string(pos + done) + " (" +
                              detail::errorText(errno) + ")");
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

} // namespace platform
