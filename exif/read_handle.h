// The EXIF reader's positioned read handle: a cursor over a ByteSource that reads through
// windows of a few KiB, so a file costs one or two block reads however many small reads the walk
// makes. Every access is bounds-checked with 64-bit arithmetic before any byte is copied.
#pragma once

#include "byte_source.h"

#include <array>
#include <cstddef>
#include <cstdint>

class ReadHandle {
public:
    // Positions from here on cannot be expressed by the signed 32-bit file offset the reader
    // is built around; moving there is an I/O error.
    static constexpr uint64_t PositionLimit = uint64_t{1} << 31;

    explicit ReadHandle(ByteSource& source) : source_(source), size_(source.size()) {}
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;

    uint64_t position() const { return pos_; }
    bool atEnd() const { return pos_ >= size_; }

    // Throws EInOutError for a position at or beyond PositionLimit. A position past the end of
    // the data is allowed; reading there fails.
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
    void read(uint8_t* dst, size_t n);

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

    void copyFrom(const Window& window, uint8_t* dst, size_t n);
    bool readSlow(uint8_t* dst, size_t n);

    ByteSource& source_;
    uint64_t size_;
    uint64_t pos_ = 0;
    std::array<Window, 2> windows_;
    size_t current_ = 0; // the window used last
};
