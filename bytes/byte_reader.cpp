// Buffered, bounds-checked reads.
#include "bytes/byte_reader.h"

#include <algorithm>
#include <string>

void ByteReader::seek(uint64_t pos) {
    if (pos >= limit_)
        throw EInOutError("position " + std::to_string(pos) + " is beyond the format's offsets");
    pos_ = pos;
}

void ByteReader::throwBeyondEnd(size_t n) const {
    throw EInOutError("read beyond the end of the file: " + std::to_string(n) +
                      " bytes at offset " + std::to_string(pos_) + " of " + std::to_string(size_));
}

bool ByteReader::readSlow(uint8_t* dst, size_t n) {
    const size_t other = 1 - current_;
    if (windows_[other].holds(pos_, n)) {
        current_ = other;
        copyFrom(windows_[other], dst, n);
        return true;
    }
    if (pos_ > size_ || n > size_ - pos_)
        return false;
    if (n > WindowSize / 2) {
        // Larger than a window can promise to hold: read straight into the caller's buffer.
        if (source_.readAt(pos_, dst, n) != n)
            return false;
        pos_ += n;
        return true;
    }
    // Refill the window used less recently. It starts a little before the position, aligned,
    // so that a value just behind the current entry (the usual layout) lands in it too.
    Window& window = windows_[other];
    window.length = 0;
    window.start = pos_ - pos_ % WindowAlign;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(WindowSize, size_ - window.start));
    window.length = source_.readAt(window.start, window.bytes.data(), wanted);
    current_ = other;
    if (!window.holds(pos_, n))
        return false; // the data shrank since its size was taken
    copyFrom(window, dst, n);
    return true;
}
