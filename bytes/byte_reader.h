// ByteReader: the one cursor through which the program's parsers (the EXIF reader, the raw preview
// walk, the EXIF thumbnail walk) read a ByteSource. It reads through windows of a few KiB, so a
// file costs one or two block reads however many small reads a walk makes. Every access is
// bounds-checked with 64-bit arithmetic before any byte is copied, so a hostile offset near 2^32
// or 2^64 cannot wrap. Used by one thread at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "bytes/byte_source.h"

class ByteReader {
public:
    static constexpr uint64_t NoPositionLimit = UINT64_MAX;

    // positionLimit: the first position a caller may not move to; a format whose offsets are
    // narrower than 64 bits says so here (seek() at or beyond it is an I/O error).
    explicit ByteReader(ByteSource& source, uint64_t positionLimit = NoPositionLimit)
        : source_(source), size_(source.size()), limit_(positionLimit) {}
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    uint64_t size() const { return size_; }
    uint64_t position() const { return pos_; }
    bool atEnd() const { return pos_ >= size_; }
    // True when n bytes starting at pos lie inside the data (checked without overflow).
    bool holds(uint64_t pos, uint64_t n) const { return pos <= size_ && n <= size_ - pos; }

    // Throws EInOutError for a position at or beyond the position limit. A position past the end
    // of the data is allowed; reading there fails.
    void seek(uint64_t pos);
    // Goes back to a position the handle has already been at; never fails.
    void restore(uint64_t pos) noexcept { pos_ = pos; }

    // Reads n bytes at the position and moves past them. False, with the position unchanged,
    // when the data ends before n bytes.
    bool tryRead(uint8_t* dst, size_t n) {
        if (windows_[current_].holds(pos_, n)) {
            copyFrom(windows_[current_], dst, n);
            return true;
        }
        return readSlow(dst, n);
    }
    // As tryRead, but running out of data is an I/O error.
    void read(uint8_t* dst, size_t n) {
        if (!tryRead(dst, n))
            throwBeyondEnd(n);
    }

private:
    static constexpr size_t WindowSize = 8192;
    static constexpr uint64_t WindowAlign = 4096;

    // A block of the source. Two are kept: a directory far into the file whose values lie near
    // its start (or the other way round) then costs two reads, not one per value.
    struct Window {
        uint64_t start = 0;
        size_t length = 0;
        std::array<uint8_t, WindowSize> bytes;

        bool holds(uint64_t pos, size_t n) const {
            return pos >= start && n <= length && pos - start <= length - n;
        }
    };

    // Inline, like the two reads above: the walks read a few bytes at a time, and a copy of a
    // known small size costs less than a call.
    void copyFrom(const Window& window, uint8_t* dst, size_t n) {
        std::memcpy(dst, window.bytes.data() + (pos_ - window.start), n);
        pos_ += n;
    }
    [[noreturn]] void throwBeyondEnd(size_t n) const;
    bool readSlow(uint8_t* dst, size_t n);

    ByteSource& source_;
    uint64_t size_;
    uint64_t limit_;
    uint64_t pos_ = 0;
    std::array<Window, 2> windows_;
    size_t current_ = 0; // the window used last
};
