// Bytes already in memory.
#include "bytes/byte_source.h"

#include <algorithm>
#include <cstring>

size_t MemorySource::readAt(uint64_t pos, uint8_t* dst, size_t n) {
    if (pos >= bytes_.size())
        return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(n, bytes_.size() - pos));
    std::memcpy(dst, bytes_.data() + pos, count);
    return count;
}
