// Hand-laid TIFF bytes.
#include "tests/support/tiff_layout.h"

namespace lumo::test {

TiffLayout::TiffLayout(ByteOrder order, uint32_t firstDirectory) : order_(order) {
    const bool motorola = order == ByteOrder::Motorola;
    reach(8);
    bytes_[0] = bytes_[1] = motorola ? 'M' : 'I';
    put16(2, 42);
    put32(4, firstDirectory);
}

void TiffLayout::reach(size_t size) {
    if (bytes_.size() < size)
        bytes_.resize(size, 0);
}

void TiffLayout::put16(uint32_t at, uint16_t v) {
    reach(size_t{at} + 2);
    const bool motorola = order_ == ByteOrder::Motorola;
    bytes_[at] = uint8_t(motorola ? v >> 8 : v);
    bytes_[at + 1] = uint8_t(motorola ? v : v >> 8);
}

void TiffLayout::put32(uint32_t at, uint32_t v) {
    reach(size_t{at} + 4);
    for (int i = 0; i < 4; ++i) {
        const int shift = order_ == ByteOrder::Motorola ? 24 - 8 * i : 8 * i;
        bytes_[at + i] = uint8_t(v >> shift);
    }
}

TiffLayout& TiffLayout::directory(uint32_t at, const std::vector<Entry>& entries, uint32_t next) {
    put16(at, static_cast<uint16_t>(entries.size()));
    uint32_t pos = at + 2;
    for (const Entry& entry : entries) {
        put16(pos, entry.tag);
        put16(pos + 2, entry.type);
        put32(pos + 4, entry.count);
        if (entry.type == TIFF_SHORT) {
            put16(pos + 8, static_cast<uint16_t>(entry.value));
            put16(pos + 10, 0);
        } else {
            put32(pos + 8, entry.value);
        }
        pos += 12;
    }
    put32(pos, next);
    return *this;
}

TiffLayout& TiffLayout::data(uint32_t at, const Bytes& bytes) {
    reach(size_t{at} + bytes.size());
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + at);
    return *this;
}

Bytes WithExifThumbnail(const Bytes& jpeg, const Bytes& thumbnail, ByteOrder order,
                        uint16_t orientation) {
    // IFD0 at 8 with one entry, IFD1 at 26 with the thumbnail's offset and length, the
    // thumbnail at 64.
    constexpr uint32_t ThumbnailAt = 64;
    TiffLayout tiff(order);
    tiff.directory(8, {{0x0112, TIFF_SHORT, 1, orientation}}, 26);
    tiff.directory(26, {{0x0201, TIFF_LONG, 1, ThumbnailAt},
                        {0x0202, TIFF_LONG, 1, static_cast<uint32_t>(thumbnail.size())}});
    tiff.data(ThumbnailAt, thumbnail);
    return JpegWriter().exif(tiff.bytes()).raw(Bytes(jpeg.begin() + 2, jpeg.end())).bytes();
}

Bytes WithOrientation(const Bytes& jpeg, uint16_t orientation, ByteOrder order) {
    TiffLayout tiff(order);
    tiff.directory(8, {{0x0112, TIFF_SHORT, 1, orientation}});
    return JpegWriter().exif(tiff.bytes()).raw(Bytes(jpeg.begin() + 2, jpeg.end())).bytes();
}

Bytes CanonRawFile(const Bytes& preview, const Bytes& thumbnail) {
    // Header with "CR", version 2.0 and no raw directory; IFD0 at 16 with the picture's width and
    // the strip, IFD1 at 60 with the thumbnail, the preview at 96 and the thumbnail after it.
    constexpr uint32_t PreviewAt = 96;
    const auto previewSize = static_cast<uint32_t>(preview.size());
    const uint32_t thumbnailAt = PreviewAt + ((previewSize + 1) & ~1u);
    TiffLayout tiff(ByteOrder::Intel, 16);
    tiff.data(8, {'C', 'R', 2, 0});
    std::vector<TiffLayout::Entry> ifd0{{0x0100, TIFF_SHORT, 1, 5184}};
    if (!preview.empty())
        ifd0.insert(ifd0.end(),
                    {{0x0111, TIFF_LONG, 1, PreviewAt}, {0x0117, TIFF_LONG, 1, previewSize}});
    std::vector<TiffLayout::Entry> ifd1;
    if (!thumbnail.empty())
        ifd1 = {{0x0201, TIFF_LONG, 1, thumbnailAt},
                {0x0202, TIFF_LONG, 1, static_cast<uint32_t>(thumbnail.size())}};
    tiff.directory(16, ifd0, 60);
    tiff.directory(60, ifd1);
    tiff.data(PreviewAt, preview);
    tiff.data(thumbnailAt, thumbnail);
    return tiff.bytes();
}

} // namespace lumo::test
