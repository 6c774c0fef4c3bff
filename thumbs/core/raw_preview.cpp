// CR2 preview walk: IFD0 strip first, IFD1 thumbnail second; IFD0's orientation goes with either.
#include "thumbs/core/raw_preview.h"

#include <iterator>

#include "bytes/byte_reader.h"
#include "exif/exif_tags.h"
#include "exif/orientation.h"
#include "exif/tiff_directory.h"

namespace {

namespace tag = exif::tag;

// A JPEG stream starts with the start-of-image marker followed by another marker.
bool StartsLikeJpeg(ByteReader& reader, const TByteRange& range) {
    uint8_t head[3];
    if (range.Length < sizeof head)
        return false;
    reader.seek(range.Offset);
    return reader.tryRead(head, sizeof head) && head[0] == 0xFF && head[1] == 0xD8 &&
           head[2] == 0xFF;
}

// A preview strip serves only as a whole JPEG stream: it starts like one, has a frame header
// before its first scan, and ends with the end-of-image marker (which the compressed data of a
// stream cut short never holds). A strip whose length cuts it short is not decoded to a grey half.
bool HoldsWholeJpeg(ByteReader& reader, const TByteRange& range) {
    if (!StartsLikeJpeg(reader, range) || !ReadJpegFrameSize(reader, range))
        return false;
    uint8_t tail[2];
    reader.seek(range.Offset + range.Length - sizeof tail);
    return reader.tryRead(tail, sizeof tail) && tail[0] == 0xFF && tail[1] == 0xD9;
}

// The byte range that an offset tag and a length tag of one directory give, when both are single
// values and the range lies inside the file.
std::optional<TByteRange> RangeOf(TTiffBlock& tiff, const TTiffDirectory& directory,
                                  uint16_t offsetTag, uint16_t lengthTag) {
    const TTiffEntry* at = directory.Find(offsetTag);
    const TTiffEntry* size = directory.Find(lengthTag);
    if (!at || !size)
        return std::nullopt;
    const auto offset = tiff.UnsignedValue(*at);
    const auto length = tiff.UnsignedValue(*size);
    if (!offset || !length || *length == 0 || !tiff.Holds(*offset, *length))
        return std::nullopt;
    return TByteRange{*offset, *length};
}

// An APP1 segment holding an EXIF block whose first directory holds the orientation alone.
std::vector<uint8_t> OrientationSegment(int orientation) {
    // APP1 of length 34: "Exif", two NULs and a TIFF block of 26 bytes.
    std::vector<uint8_t> segment{0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0};
    // Little-endian header ("II", 42) with IFD0 at 8.
    const uint8_t header[] = {'I', 'I', 42, 0, 8, 0, 0, 0};
    // IFD0: one entry (tag 0x0112, SHORT, count 1, the value), then no next directory.
    const auto value = static_cast<uint8_t>(orientation);
    const uint8_t ifd0[] = {1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, value, 0, 0, 0, 0, 0, 0, 0};
    segment.insert(segment.end(), std::begin(header), std::end(header));
    segment.insert(segment.end(), std::begin(ifd0), std::end(ifd0));
    return segment;
}

} // namespace

std::optional<TRawPreview> FindRawPreview(ByteSource& source) {
    ByteReader reader(source);
    // A CR2 file is a TIFF file: its offsets count from the file's first byte.
    TTiffBlock tiff(reader, 0, reader.size());
    if (!tiff.Valid())
        return std::nullopt;
    const auto ifd0 = tiff.ReadDirectory(tiff.FirstDirectory());
    if (!ifd0)
        return std::nullopt;
    const int orientation = OrientationOf(tiff, *ifd0);
    if (const auto strip = RangeOf(tiff, *ifd0, tag::StripOffsets, tag::StripByteCounts);
        strip && HoldsWholeJpeg(reader, *strip))
        return TRawPreview{TRawPreviewKind::FullSize, *strip, orientation};
    const auto ifd1 = tiff.ReadDirectory(ifd0->Next);
    if (!ifd1)
        return std::nullopt;
    if (const auto thumbnail =
            RangeOf(tiff, *ifd1, tag::JpegInterchangeFormat, tag::JpegInterchangeFormatLength);
        thumbnail && StartsLikeJpeg(reader, *thumbnail))
        return TRawPreview{TRawPreviewKind::Thumbnail, *thumbnail, orientation};
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> ReadRawPreview(ByteSource& source) {
    const auto preview = FindRawPreview(source);
    if (!preview)
        return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(preview->Bytes.Length));
    ByteReader reader(source);
    reader.seek(preview->Bytes.Offset);
    if (!reader.tryRead(bytes.data(), bytes.size()))
        return std::nullopt; // the file shrank since its size was taken
    if (preview->Orientation != 1) {
        const std::vector<uint8_t> segment = OrientationSegment(preview->Orientation);
        bytes.insert(bytes.begin() + 2, segment.begin(), segment.end());
    }
    return bytes;
}
