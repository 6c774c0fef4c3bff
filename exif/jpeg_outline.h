// Where the parts a thumbnail maker needs lie in a JPEG file: the picture's own size from its frame
// header, the orientation its EXIF block's first directory gives, and the JPEG thumbnail that the
// EXIF block's second directory (IFD1) points at, with the thumbnail's own size. Found by walking
// the segments up to the first scan and the TIFF directories through the bounds-checked byte
// reader; the compressed picture data is never read. The EXIF reader does not read thumbnails; this
// walk is its own. Standard C++ only.
#pragma once

#include <cstdint>
#include <optional>

class ByteReader;
class ByteSource;

struct TByteRange {
    uint64_t Offset = 0;
    uint64_t Length = 0;
    friend bool operator==(const TByteRange&, const TByteRange&) = default;
};

struct TPixelSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TPixelSize&, const TPixelSize&) = default;
};

struct TJpegOutline {
    bool IsJpeg = false;               // the data starts with a start-of-image marker and a segment
    std::optional<TPixelSize> Picture; // the first frame header's size, when it is readable
    // The EXIF thumbnail: a JPEG stream (starting FF D8) lying wholly inside the EXIF block, and
    // its size from its own frame header. Absent when any part of the way there is missing or
    // points outside its block.
    std::optional<TByteRange> ExifThumbnail;
    std::optional<TPixelSize> ExifThumbnailSize;
    // How the picture and its EXIF thumbnail, which is stored the same way, are turned to be drawn
    // upright (exif/orientation.h); 1 without an EXIF block.
    int Orientation = 1;
};

// Reads the outline of a JPEG file. Damaged or hostile data gives what could be found (never an
// exception for bad bytes); a medium that fails raises the source's EInOutError.
TJpegOutline ReadJpegOutline(ByteSource& source);

// The frame size of the JPEG stream at range (a thumbnail inside a bigger file); nullopt when the
// range holds no readable frame header before its first scan.
std::optional<TPixelSize> ReadJpegFrameSize(ByteReader& reader, TByteRange range);
