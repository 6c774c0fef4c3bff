// Test-side TIFF bytes laid out by hand: the header, then each directory and each block of data
// at the offset the test gives, gaps filled with zeros. Offsets may point anywhere (past the end,
// back at a directory already written), so raw files, EXIF blocks and their damaged variants are
// described exactly as a walk will meet them.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/jpeg_writer.h"

namespace lumo::test {

class TiffLayout {
public:
    // A 12-byte entry; value is the value field as a number (a SHORT's in its first two bytes).
    struct Entry {
        uint16_t tag = 0;
        uint16_t type = TIFF_LONG;
        uint32_t count = 1;
        uint32_t value = 0;
    };

    explicit TiffLayout(ByteOrder order = ByteOrder::Intel, uint32_t firstDirectory = 8);
    // A directory at offset at: its entry count, the entries and the next directory's offset.
    TiffLayout& directory(uint32_t at, const std::vector<Entry>& entries, uint32_t next = 0);
    TiffLayout& data(uint32_t at, const Bytes& bytes);
    const Bytes& bytes() const { return bytes_; }

private:
    void put16(uint32_t at, uint16_t v);
    void put32(uint32_t at, uint32_t v);
    void reach(size_t size);

    ByteOrder order_;
    Bytes bytes_;
};

// A camera-style JPEG: jpeg (a complete JPEG file) with an EXIF block put right after its
// start-of-image marker, whose IFD0 holds the orientation and whose IFD1 holds thumbnail (a
// complete small JPEG), as cameras write it.
Bytes WithExifThumbnail(const Bytes& jpeg, const Bytes& thumbnail,
                        ByteOrder order = ByteOrder::Intel, uint16_t orientation = 1);
// jpeg with an EXIF block right after its start-of-image marker whose IFD0 holds the orientation
// alone.
Bytes WithOrientation(const Bytes& jpeg, uint16_t orientation, ByteOrder order = ByteOrder::Intel);

// A Canon CR2 raw file as the preview walk meets it, without raw data: the TIFF header with "CR"
// and its version, IFD0 whose one strip is preview and IFD1 whose JPEG thumbnail is thumbnail
// (either may be any bytes; an empty one leaves its directory without the fields).
Bytes CanonRawFile(const Bytes& preview, const Bytes& thumbnail = {});

} // namespace lumo::test
