// Test-side writer of JPEG files with EXIF blocks. TiffBlock lays out a TIFF block (the body of
// an EXIF APP1 segment) in either byte order; JpegWriter puts segments, padding and raw bytes
// one after another behind the start-of-image marker, so a test decides every offset.
//
// The writer writes what it is told, damaged layouts included: wrong counts, offsets pointing
// anywhere, segments at odd offsets. It checks nothing but the limits of its own formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::test {

using Bytes = std::vector<uint8_t>;

enum class ByteOrder { Intel, Motorola }; // "II" little-endian, "MM" big-endian

// TIFF field types.
enum TiffType : uint16_t {
    TIFF_BYTE = 1,
    TIFF_ASCII = 2,
    TIFF_SHORT = 3,
    TIFF_LONG = 4,
    TIFF_RATIONAL = 5,
    TIFF_UNDEFINED = 7,
    TIFF_SLONG = 9,
    TIFF_SRATIONAL = 10,
};

enum class Directory { Ifd0, Exif };

// A TIFF block: 8-byte header, IFD0, the Exif sub-directory (when it has entries), then the
// values that do not fit in their entry, each at an even offset. Offsets stored in the block are
// relative to its first byte, as TIFF wants. Entries stay in the order they were added.
class TiffBlock {
public:
    explicit TiffBlock(ByteOrder order = ByteOrder::Intel);

    // A NUL-terminated text (count = length + 1). Up to 4 bytes it is kept inside the entry.
    TiffBlock& ascii(Directory dir, uint16_t tag, std::string_view text);
    // Value bytes exactly as stored, with any type and count (for a text without its NUL, a
    // count that does not match, an UNDEFINED user comment). Up to 4 bytes go inside the entry,
    // left-aligned; longer values go to the data area.
    TiffBlock& bytes(Directory dir, uint16_t tag, uint16_t type, uint32_t count, Bytes value);
    TiffBlock& shorts(Directory dir, uint16_t tag, std::vector<uint16_t> values,
                      uint16_t type = TIFF_SHORT);
    TiffBlock& longs(Directory dir, uint16_t tag, std::vector<uint32_t> values,
                     uint16_t type = TIFF_LONG);
    TiffBlock& rational(Directory dir, uint16_t tag, uint32_t numerator, uint32_t denominator,
                        uint16_t type = TIFF_RATIONAL);
    // An entry whose 4-byte value field holds valueField as a 32-bit number in the block's byte
    // order: offsets that point anywhere, or a zero tag that ends a directory.
    TiffBlock& field(Directory dir, uint16_t tag, uint16_t type, uint32_t count,
                     uint32_t valueField);
    // Puts the Exif pointer (tag 0x8769, LONG) at this point of IFD0. Without this call it is
    // appended to IFD0 when the Exif directory has entries.
    TiffBlock& exifPointer();

    // Layout changes for damaged or unusual blocks.
    TiffBlock& byteOrderMark(std::string_view twoBytes); // default "II" / "MM"
    TiffBlock& ifd0Offset(uint32_t offset);              // >= 8; the gap is zero-filled
    TiffBlock& ifd0Count(uint16_t count);                // stored instead of the real count
    TiffBlock& exifCount(uint16_t count);                // likewise for the Exif directory

    Bytes build() const;

private:
    struct Entry {
        uint16_t tag = 0;
        uint16_t type = 0;
        uint32_t count = 0;
        Bytes value;                        // stored bytes (inline up to 4, else at an offset)
        std::optional<uint32_t> fieldValue; // value field written verbatim
        bool exifPointer = false;
    };
    TiffBlock& add(Directory dir, Entry entry);
    void put16(Bytes& out, uint16_t v) const;
    void put32(Bytes& out, uint32_t v) const;

    ByteOrder order_;
    std::string mark_;
    uint32_t ifd0Offset_ = 8;
    std::optional<uint16_t> ifd0Count_;
    std::optional<uint16_t> exifCount_;
    bool pointerPlaced_ = false;
    std::vector<Entry> ifd0_;
    std::vector<Entry> exif_;
};

// JPEG bytes built front to back. Starts with FF D8 unless told otherwise.
class JpegWriter {
public:
    explicit JpegWriter(bool startOfImage = true);

    // JFIF APP0 of length 16: 18 bytes, so an APP1 right behind it starts at offset 20.
    JpegWriter& jfif();
    // APP1 with "Exif", two NULs and the block; its TIFF header is 10 bytes after the marker.
    JpegWriter& exif(const Bytes& tiffBlock);
    JpegWriter& exif(const TiffBlock& block) { return exif(block.build()); }
    // Any segment: FF, the marker code, the 16-bit length (payload + 2) and the payload.
    JpegWriter& segment(uint8_t marker, const Bytes& payload);
    JpegWriter& raw(const Bytes& bytes);
    JpegWriter& padding(size_t count, uint8_t fill = 0);
    // Tables, frame, scan and end-of-image of an 8x8 grey picture, so decoders accept the file.
    JpegWriter& picture();

    size_t size() const { return bytes_.size(); } // also the offset of the next part
    const Bytes& bytes() const { return bytes_; }
    // Writes the bytes to a host file; throws std::runtime_error when that fails.
    void writeFile(const std::string& hostPath) const;

private:
    Bytes bytes_;
};

// Writes bytes to a host file; throws std::runtime_error when that fails.
void writeBytes(const std::string& hostPath, const Bytes& bytes);

} // namespace lumo::test
