// The Orientation entry of IFD0.
#include "exif/orientation.h"

#include <cstring>
#include <span>

#include "bytes/byte_reader.h"
#include "bytes/byte_source.h"
#include "exif/exif_tags.h"
#include "exif/tiff_directory.h"

int OrientationOf(const TTiffBlock& tiff, const TTiffDirectory& ifd0) {
    const TTiffEntry* entry = ifd0.Find(exif::tag::Orientation);
    if (entry == nullptr || entry->Count != 1)
        return 1;
    const auto value = tiff.UnsignedValue(*entry);
    return value && *value >= 1 && *value <= 8 ? static_cast<int>(*value) : 1;
}

int ReadOrientation(ByteReader& reader, uint64_t start, uint64_t length) {
    TTiffBlock tiff(reader, start, length);
    if (!tiff.Valid())
        return 1;
    const auto ifd0 = tiff.ReadDirectory(tiff.FirstDirectory());
    return ifd0 ? OrientationOf(tiff, *ifd0) : 1;
}

std::optional<int> ExifSegmentOrientation(const uint8_t* payload, size_t length) {
    static constexpr uint8_t Signature[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (payload == nullptr || length <= sizeof Signature ||
        std::memcmp(payload, Signature, sizeof Signature) != 0)
        return std::nullopt;
    MemorySource source(std::span<const uint8_t>(payload, length));
    ByteReader reader(source);
    return ReadOrientation(reader, sizeof Signature, length - sizeof Signature);
}
