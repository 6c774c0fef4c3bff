// Where the program's bounds-checked parsers take their bytes from: random access by position
// over data of known size, never loaded whole. The file-backed source lives in the platform layer
// (platform/core/file_source.h); tests and fuzzers read from memory. Standard C++ only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

// A structural read failed: the file cannot be opened, a byte the walk needs lies beyond the end
// of the data or beyond the position limit of the reader, or the medium reports an error. The
// message says which and where.
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
