// Where the EXIF reader takes its bytes from: a file read by position (never loaded whole) or a
// block of bytes already in memory (tests and the fuzzer feed the reader this way).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

// A structural read of the EXIF reader failed: the file cannot be opened, a byte the walk needs
// lies beyond the end of the data, a position is beyond what a 32-bit file offset expresses, or
// the medium reports an error. The message says which and where.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Random-access bytes of known size. Implementations are used by one thread at a time.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Copies up to n bytes starting at pos into dst and returns how many were copied; fewer than
    // n only where the data ends. Throws EInOutError when the medium fails.
    virtual size_t readAt(uint64_t pos, uint8_t* dst, size_t n) = 0;
};

// Bytes owned by the caller, who keeps them alive while the source is used.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    size_t readAt(uint64_t pos, uint8_t* dst, size_t n) override;

private:
    std::span<const uint8_t> bytes_;
};

// A regular host file opened read-only; closed when the object dies.
class FileSource final : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // False, with nothing opened, when there is no file at the path (nothing, or a folder).
    // Throws EInOutError when there is one that cannot be opened or is not a regular file (a
    // FIFO or a device could block or never end).
    bool open(const std::string& hostPath);
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t pos, uint8_t* dst, size_t n) override;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};
