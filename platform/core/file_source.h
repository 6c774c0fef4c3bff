// FileSource: a regular file of the program's namespace as a ByteSource for the bounds-checked
// parsers, read by position and never loaded whole. Standard C++ only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bytes/byte_source.h"

namespace platform {

namespace detail {
class SharedFd;
}

// Opened read-only; closed when the object dies. Used by one thread at a time. On a network
// location the open and each read wait a bounded time (platform/core/network_file.h): a share
// that does not answer makes them fail with EInOutError instead of hanging the caller.
class FileSource final : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // False, with nothing opened, when there is no file at the program path (nothing, a folder,
    // or a path on no drive). Throws EInOutError when there is one that cannot be opened or is
    // not a regular file (a FIFO or a device could block or never end).
    bool open(std::string_view programPath);
    // As open, for the entry of exactly this name: a listing reads the entries it found, and a
    // name gone since is not looked for under another case (which would read the whole folder
    // again and could find another file).
    bool openExact(std::string_view programPath);
    // As open, for a host path exactly as given (the command-line tools take host paths).
    bool openHost(const std::string& hostPath);
    // Takes over fd, open for reading on a regular file of size bytes that the caller has already
    // looked at through it (openHostEntry); a file open before is closed.
    void adopt(int fd, uint64_t size);
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t pos, uint8_t* dst, size_t n) override;

    // When the file was last modified, in nanoseconds, and its device and inode (as fstat gave
    // them at the open).
    int64_t modifiedNs() const { return modifiedNs_; }
    uint64_t device() const { return device_; }
    uint64_t inode() const { return inode_; }

private:
    std::shared_ptr<detail::SharedFd> fd_;
    std::optional<std::string> location_; // the network location it lies on
    uint64_t size_ = 0;
    int64_t modifiedNs_ = 0;
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
};

} // namespace platform
