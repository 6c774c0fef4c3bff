// TIFF directories read through the bounds-checked byte reader: the header's byte order and first
// directory, a directory's entries and the offset of the next one. The EXIF thumbnail walk and the
// raw preview walk read their directories here. Offsets are relative to the block's first byte and
// checked against the block's end before anything is read; a directory already read is not read
// again, so directories that point at one another cannot make a walk go round. Standard C++ only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class ByteReader;

// Field types whose values the walks use.
inline constexpr uint16_t TiffShort = 3;
inline constexpr uint16_t TiffLong = 4;

// One 12-byte directory entry: tag, type, count and the 4-byte value field, which holds the value
// itself when it fits and its offset otherwise.
struct TTiffEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    std::array<uint8_t, 4> Field{};
};

struct TTiffDirectory {
    std::vector<TTiffEntry> Entries;
    uint32_t Next = 0; // offset of the next directory; 0 when there is none
    const TTiffEntry* Find(uint16_t tag) const;
};

class TTiffBlock {
public:
    // The block of length bytes at start of the reader's data (cut at the end of the data). Not
    // Valid() without a TIFF header ("II" 42 or "MM" 42) inside the block.
    TTiffBlock(ByteReader& reader, uint64_t start, uint64_t length);

    bool Valid() const { return valid_; }
    uint64_t Start() const { return start_; }
    uint32_t FirstDirectory() const { return first_; }
    // True when length bytes at offset (relative to the block) lie inside the block.
    bool Holds(uint64_t offset, uint64_t length) const {
        return offset <= length_ && length <= length_ - offset;
    }

    // The directory at offset; nullopt when its entries do not lie inside the block, when the
    // offset is 0, or when this directory was read before. A next-directory offset cut off by the
    // end of the block reads as 0.
    std::optional<TTiffDirectory> ReadDirectory(uint32_t offset);

    // The first value of a SHORT or LONG entry kept in its value field (count 1 for LONG, 1 or 2
    // for SHORT); nullopt for any other entry.
    std::optional<uint32_t> UnsignedValue(const TTiffEntry& entry) const;

private:
    uint16_t Get16(const uint8_t* bytes) const;
    uint32_t Get32(const uint8_t* bytes) const;
    bool ReadAt(uint64_t offset, uint8_t* bytes, size_t n);

    ByteReader& reader_;
    uint64_t start_;
    uint64_t length_;
    bool valid_ = false;
    bool motorola_ = false;
    uint32_t first_ = 0;
    std::vector<uint32_t> visited_;
};
