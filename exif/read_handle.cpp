// Buffered, bounds-checked reads for the EXIF reader.
#include "read_handle.h"

#include <cstring>
#include <string>

void ReadHandle::seek(uint64_t pos) {
    if (pos >= PositionLimit)
        throw EInOutError("position " + std::to_string(pos) + " is beyond a 32-bit file offset");
    pos_ = pos;
}

void ReadHandle::read(uint8_t* dst, size_t n) {
    if (!tryRead(dst, n))
        throw EInOutError("read beyond the end of the file: " + std::to_string(n) +
                          " bytes at offset " + std::to_string(pos_) + " of " +
                          std::to_string(size_));
}

void ReadHandle::copyFromWindow(uint8_t* dst, size_t n) {
    std::memcpy(dst, window_.data() + (pos_ - windowStart_), n);
    pos_ += n;
}

bool ReadHandle::readSlow(uint8_t* dst, size_t n) {
    if (pos_ > size_ || n > size_ - pos_)
        return false;
    if (n > WindowSize / 2) {
        // Larger than a window can promise to hold: read straight into the caller's buffer.
        if (source_.readAt(pos_, dst, n) != n)
            return false;
        pos_ += n;
        return true;
    }
    // Start the window a little before the position, aligned, so that a value read just behind
    // the current entry (the usual layout of an EXIF block) hits the same window.
    windowLength_ = 0;
    windowStart_ = pos_ - pos_ % WindowAlign;
    windowLength_ = source_.readAt(windowStart_, window_.data(), WindowSize);
    if (pos_ - windowStart_ > windowLength_ || n > windowLength_ - (pos_ - windowStart_))
        return false; // the data shrank since its size was taken
    copyFromWindow(dst, n);
    return true;
}
