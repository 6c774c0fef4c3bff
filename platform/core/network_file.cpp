// Files opened and read with a bounded wait on network locations.
#include "platform/core/network_file.h"

#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"

namespace platform::detail {

std::string errorText(int error) {
    return error == kNoAnswer ? kNoAnswerText : std::strerror(error);
}

SharedFd::~SharedFd() {
    if (fd_ >= 0)
        ::close(fd_);
}

namespace {

OpenedFile openHere(const std::string& hostPath, int flags) {
    OpenedFile opened;
    const int fd = ::open(hostPath.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        opened.error = errno;
        return opened;
    }
    // Held from here on, so that an open that came back after its caller gave up is closed.
    opened.fd = std::make_shared<SharedFd>(fd);
    if (::fstat(fd, &opened.status) != 0) {
        opened.error = errno;
        opened.fd.reset();
    }
    return opened;
}

ssize_t preadHere(int fd, void* dst, size_t n, uint64_t pos) {
    ssize_t got;
    do
        got = ::pread(fd, dst, n, static_cast<off_t>(pos));
    while (got < 0 && errno == EINTR);
    return got;
}

} // namespace

OpenedFile openBounded(const std::string& hostPath, int flags) {
    auto location = networkRootOf(hostPath);
    if (!location || onHelperThread()) {
        OpenedFile opened = openHere(hostPath, flags);
        opened.location = std::move(location);
        return opened;
    }
    const auto opened =
        boundedCall<OpenedFile>(hostPath, [hostPath, flags] { return openHere(hostPath, flags); });
    OpenedFile result = opened.value_or(OpenedFile{});
    if (!opened)
        result.error = kNoAnswer;
    result.location = std::move(location);
    return result;
}

ssize_t preadBounded(const std::shared_ptr<SharedFd>& fd,
                     const std::optional<std::string>& location, void* dst, size_t n,
                     uint64_t pos) {
    if (!location || onHelperThread())
        return preadHere(fd->get(), dst, n, pos);
    struct Piece {
        std::vector<unsigned char> bytes;
        ssize_t got = -1;
        int error = 0;
    };
    const size_t wanted = std::min(n, kNetworkReadPiece);
    auto piece = std::make_shared<Piece>();
    const bool answered = runOnHelper(*location, [piece, fd, wanted, pos] {
        piece->bytes.resize(wanted);
        piece->got = preadHere(fd->get(), piece->bytes.data(), wanted, pos);
        piece->error = errno;
    });
    if (!answered) {
        errno = kNoAnswer;
        return -1;
    }
    if (piece->got < 0) {
        errno = piece->error;
        return -1;
    }
    std::memcpy(dst, piece->bytes.data(), static_cast<size_t>(piece->got));
    return piece->got;
}

namespace {

struct Stream {
    std::shared_ptr<SharedFd> fd;
    std::optional<std::string> location;
    uint64_t size = 0;
    uint64_t pos = 0;
};

extern "C" ssize_t readStream(void* cookie, char* buffer, size_t size) {
    auto* stream = static_cast<Stream*>(cookie);
    const ssize_t got = preadBounded(stream->fd, stream->location, buffer, size, stream->pos);
    if (got > 0)
        stream->pos += static_cast<uint64_t>(got);
    return got;
}

extern "C" int seekStream(void* cookie, off64_t* offset, int whence) {
    auto* stream = static_cast<Stream*>(cookie);
    const int64_t base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? static_cast<int64_t>(stream->pos)
                                              : static_cast<int64_t>(stream->size);
    if (base + *offset < 0) {
        errno = EINVAL;
        return -1;
    }
    stream->pos = static_cast<uint64_t>(base + *offset);
    *offset = static_cast<off64_t>(stream->pos);
    return 0;
}

extern "C" int closeStream(void* cookie) {
    delete static_cast<Stream*>(cookie);
    return 0;
}

} // namespace

std::FILE* boundedStream(OpenedFile&& opened) {
    if (!opened.fd) {
        errno = opened.error;
        return nullptr;
    }
    auto* stream = new Stream{std::move(opened.fd), std::move(opened.location),
                              static_cast<uint64_t>(opened.status.st_size), 0};
    std::FILE* file = ::fopencookie(stream, "rb", {readStream, nullptr, seekStream, closeStream});
    if (file == nullptr)
        delete stream;
    return file;
}

} // namespace platform::detail
