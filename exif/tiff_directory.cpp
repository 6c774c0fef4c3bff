// TIFF header and directory reading for the thumbnail and raw preview walks.
#include "exif/tiff_directory.h"

#include <algorithm>

#include "bytes/byte_reader.h"

namespace {

// A walk reads a handful of directories; more than this means a damaged file.
constexpr size_t MaxDirectories = 64;

} // namespace

const TTiffEntry* TTiffDirectory::Find(uint16_t tag) const {
    const auto it = std::find_if(Entries.begin(), Entries.end(),
                                 [tag](const TTiffEntry& entry) { return entry.Tag == tag; });
    return it == Entries.end() ? nullptr : &*it;
}

TTiffBlock::TTiffBlock(ByteReader& reader, uint64_t start, uint64_t length)
    : reader_(reader), start_(start),
      // A block that claims more bytes than the data holds is read as far as the data goes.
      length_(start <= reader.size() ? std::min(length, reader.size() - start) : 0) {
    // Header: byte order mark, 42, offset of the first directory.
    uint8_t header[8];
    if (!ReadAt(0, header, sizeof header))
        return;
    if (header[0] == 'I' && header[1] == 'I')
        motorola_ = false;
    else if (header[0] == 'M' && header[1] == 'M')
        motorola_ = true;
    else
        return;
    if (Get16(header + 2) != 42)
        return;
    first_ = Get32(header + 4);
    valid_ = true;
}

uint16_t TTiffBlock::Get16(const uint8_t* b) const {
    return motorola_ ? static_cast<uint16_t>(b[0] << 8 | b[1])
                     : static_cast<uint16_t>(b[1] << 8 | b[0]);
}

uint32_t TTiffBlock::Get32(const uint8_t* b) const {
    return motorola_ ? uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3]
                     : uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | b[0];
}

bool TTiffBlock::ReadAt(uint64_t offset, uint8_t* bytes, size_t n) {
    if (!Holds(offset, n))
        return false;
    reader_.seek(start_ + offset);
    return reader_.tryRead(bytes, n);
}

std::optional<TTiffDirectory> TTiffBlock::ReadDirectory(uint32_t offset) {
    if (!valid_ || offset == 0 || visited_.size() >= MaxDirectories ||
        std::find(visited_.begin(), visited_.end(), offset) != visited_.end())
        return std::nullopt;
    visited_.push_back(offset);
    // A directory: a 16-bit entry count, 12 bytes per entry, then the next directory's offset.
    uint8_t count[2];
    if (!ReadAt(offset, count, sizeof count))
        return std::nullopt;
    const uint16_t entries = Get16(count);
    if (!Holds(uint64_t{offset} + 2, uint64_t{entries} * 12))
        return std::nullopt;
    TTiffDirectory directory;
    directory.Entries.reserve(entries);
    for (uint16_t i = 0; i < entries; ++i) {
        uint8_t raw[12];
        if (!reader_.tryRead(raw, sizeof raw))
            return std::nullopt;
        TTiffEntry entry;
        entry.Tag = Get16(raw);
        entry.Type = Get16(raw + 2);
        entry.Count = Get32(raw + 4);
        std::copy(raw + 8, raw + 12, entry.Field.begin());
        directory.Entries.push_back(entry);
    }
    uint8_t next[4];
    if (ReadAt(uint64_t{offset} + 2 + uint64_t{entries} * 12, next, sizeof next))
        directory.Next = Get32(next);
    return directory;
}

std::optional<uint32_t> TTiffBlock::UnsignedValue(const TTiffEntry& entry) const {
    if (entry.Type == TiffLong && entry.Count == 1)
        return Get32(entry.Field.data());
    if (entry.Type == TiffShort && (entry.Count == 1 || entry.Count == 2))
        return Get16(entry.Field.data());
    return std::nullopt;
}
