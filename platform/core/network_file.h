// Opening and reading files that may lie on a network location, each call with the bounded wait
// of network_wait.h (internal to platform/). A read is bounded piece by piece, never as a whole,
// so a big file on a slow share that still answers is read to its end, while a share that gives
// no answer to one piece in time is given up on.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <sys/types.h>

namespace platform::detail {

// The errno of a call that gave up on a share that did not answer (lastError() is then
// ERROR_BAD_NETPATH), and how the program words it.
inline constexpr int kNoAnswer = ETIMEDOUT;
inline constexpr const char* kNoAnswerText = "the network location does not answer";
// errno's text, kNoAnswer's the program's own.
std::string errorText(int error);
// The most a bounded read asks for in one call: at a few hundred KB a second a piece still comes
// well within the bound.
inline constexpr size_t kNetworkReadPiece = 256 * 1024;

// An open descriptor shared with the helper threads that read it: closed when the last holder
// lets go, so that a read still stuck on a share after its caller gave up keeps a descriptor (and
// a buffer) of its own.
class SharedFd {
public:
    explicit SharedFd(int fd) : fd_(fd) {}
    ~SharedFd();
    SharedFd(const SharedFd&) = delete;
    SharedFd& operator=(const SharedFd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct OpenedFile {
    std::shared_ptr<SharedFd> fd; // null when the open failed
    struct stat status {};        // fstat of the open file
    int error = 0;                // errno when it failed (kNoAnswer: the share did not answer)
    std::optional<std::string> location; // the network location it lies on, for its reads
};

// open(hostPath, flags | O_CLOEXEC) and fstat, with the bounded wait when the path lies on a
// network location (networkRootOf).
OpenedFile openBounded(const std::string& hostPath, int flags);

// pread of up to n bytes at pos, bounded when location is a network location: at most
// kNetworkReadPiece bytes per call, read by a helper into a buffer of its own. -1 with errno set
// when it failed (kNoAnswer when the share did not answer). EINTR is retried.
ssize_t preadBounded(const std::shared_ptr<SharedFd>& fd,
                     const std::optional<std::string>& location, void* dst, size_t n, uint64_t pos);

// A stdio stream over an opened file (taken over) whose every read is preadBounded: for readers
// that take a FILE*. Null (errno set) when no stream can be made.
std::FILE* boundedStream(OpenedFile&& opened);

} // namespace platform::detail
