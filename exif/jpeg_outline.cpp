// JPEG segment walk up to the first scan, the orientation of IFD0 and the EXIF thumbnail walk of
// IFD1.
#include "exif/jpeg_outline.h"

#include <cstring>
#include <functional>

#include "bytes/byte_reader.h"
#include "exif/exif_tags.h"
#include "exif/orientation.h"
#include "exif/tiff_directory.h"

namespace {

// Real files have a few dozen segments before their first scan; a run of tiny segments longer
// than this is not a picture anyone took.
constexpr int MaxSegments = 4096;

constexpr uint8_t SOI = 0xD8;
constexpr uint8_t EOI = 0xD9;
constexpr uint8_t SOS = 0xDA;
constexpr uint8_t APP1 = 0xE1;

// Start-of-frame markers: C0..CF except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameMarker(uint8_t code) {
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// Markers that stand alone, without a length: the restart markers and TEM.
bool IsStandalone(uint8_t code) {
    return (code >= 0xD0 && code <= 0xD7) || code == 0x01;
}

struct Segment {
    uint8_t code = 0;
    uint64_t payload = 0; // position of the bytes after the length field
    uint64_t length = 0;  // payload length, inside the walked range
};

// Walks the segments of the JPEG stream in [start, end) from its start-of-image marker up to the
// first scan or end-of-image, calling visit for each; visit returns false to stop. False when the
// range does not start with a start-of-image marker.
bool WalkSegments(ByteReader& reader, uint64_t start, uint64_t end,
                  const std::function<bool(const Segment&)>& visit) {
    uint8_t soi[2];
    reader.seek(start);
    if (end - start < 2 || !reader.tryRead(soi, 2) || soi[0] != 0xFF || soi[1] != SOI)
        return false;
    uint64_t pos = start + 2;
    for (int count = 0; count < MaxSegments; ++count) {
        uint8_t marker[2];
        if (pos + 2 > end || (reader.seek(pos), !reader.tryRead(marker, 2)) || marker[0] != 0xFF)
            break;
        pos += 2;
        // Fill bytes: any number of FF before the marker code.
        while (marker[1] == 0xFF) {
            if (pos + 1 > end || !reader.tryRead(&marker[1], 1))
                return true;
            ++pos;
        }
        const uint8_t code = marker[1];
        if (code == SOS || code == EOI)
            break;
        if (IsStandalone(code))
            continue;
        uint8_t size[2];
        if (pos + 2 > end || !reader.tryRead(size, 2))
            break;
        const uint64_t length = uint64_t{size[0]} << 8 | size[1];
        if (length < 2 || length > end - pos)
            break;
        if (!visit({code, pos + 2, length - 2}))
            break;
        pos += length;
    }
    return true;
}

std::optional<TPixelSize> FrameSize(ByteReader& reader, const Segment& segment) {
    // Frame header: precision, height, width (16 bits each, big-endian), component count.
    uint8_t frame[5];
    if (segment.length < sizeof frame)
        return std::nullopt;
    reader.seek(segment.payload);
    if (!reader.tryRead(frame, sizeof frame))
        return std::nullopt;
    const int height = frame[1] << 8 | frame[2];
    const int width = frame[3] << 8 | frame[4];
    if (width == 0 || height == 0)
        return std::nullopt;
    return TPixelSize{width, height};
}

// IFD1's JPEG thumbnail inside the TIFF block of an EXIF segment, IFD0 already read.
std::optional<TByteRange> FindThumbnail(TTiffBlock& tiff, const TTiffDirectory& ifd0) {
    const auto ifd1 = tiff.ReadDirectory(ifd0.Next);
    if (!ifd1)
        return std::nullopt;
    const TTiffEntry* at = ifd1->Find(exif::tag::JpegInterchangeFormat);
    const TTiffEntry* size = ifd1->Find(exif::tag::JpegInterchangeFormatLength);
    if (!at || !size)
        return std::nullopt;
    const auto offset = tiff.UnsignedValue(*at);
    const auto bytes = tiff.UnsignedValue(*size);
    if (!offset || !bytes || *bytes < 4 || !tiff.Holds(*offset, *bytes))
        return std::nullopt;
    return TByteRange{tiff.Start() + *offset, *bytes};
}

} // namespace

std::optional<TPixelSize> ReadJpegFrameSize(ByteReader& reader, TByteRange range) {
    if (!reader.holds(range.Offset, range.Length))
        return std::nullopt;
    std::optional<TPixelSize> size;
    WalkSegments(reader, range.Offset, range.Offset + range.Length, [&](const Segment& segment) {
        if (!IsFrameMarker(segment.code))
            return true;
        size = FrameSize(reader, segment);
        return false;
    });
    return size;
}

TJpegOutline ReadJpegOutline(ByteSource& source) {
    ByteReader reader(source);
    TJpegOutline outline;
    std::optional<TByteRange> exifBlock;
    outline.IsJpeg = WalkSegments(reader, 0, reader.size(), [&](const Segment& segment) {
        if (segment.code == APP1 && !exifBlock) {
            // "Exif", two NULs, then the TIFF block.
            static constexpr char Signature[6] = {'E', 'x', 'i', 'f', 0, 0};
            char head[6];
            reader.seek(segment.payload);
            if (segment.length > sizeof head &&
                reader.tryRead(reinterpret_cast<uint8_t*>(head), sizeof head) &&
                std::memcmp(head, Signature, sizeof head) == 0)
                exifBlock = TByteRange{segment.payload + 6, segment.length - 6};
        } else if (IsFrameMarker(segment.code)) {
            outline.Picture = FrameSize(reader, segment);
            return false;
        }
        return true;
    });
    if (!exifBlock)
        return outline;
    TTiffBlock tiff(reader, exifBlock->Offset, exifBlock->Length);
    if (!tiff.Valid())
        return outline;
    const auto ifd0 = tiff.ReadDirectory(tiff.FirstDirectory());
    if (!ifd0)
        return outline;
    outline.Orientation = OrientationOf(tiff, *ifd0);
    const auto thumbnail = FindThumbnail(tiff, *ifd0);
    if (!thumbnail)
        return outline;
    const auto size = ReadJpegFrameSize(reader, *thumbnail);
    if (!size)
        return outline;
    outline.ExifThumbnail = thumbnail;
    outline.ExifThumbnailSize = size;
    return outline;
}
