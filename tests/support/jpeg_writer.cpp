// Test-side JPEG/EXIF writer.
#include "tests/support/jpeg_writer.h"

#include <fstream>
#include <stdexcept>

#include "exif/exif_tags.h"

namespace lumo::test {

namespace {

// An 8x8 grey baseline picture without its FF D8: quantisation table, frame, two one-symbol
// Huffman tables, scan and end of image.
const Bytes PictureBody = {
    0xFF, 0xDB, 0x00, 0x43, 0x00, 0x10, 0x0B, 0x0C, 0x0E, 0x0C, 0x0A, 0x10, 0x0E, 0x0D, 0x0E, 0x12,
    0x11, 0x10, 0x13, 0x18, 0x28, 0x1A, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23, 0x25, 0x1D, 0x28, 0x3A,
    0x33, 0x3D, 0x3C, 0x39, 0x33, 0x38, 0x37, 0x40, 0x48, 0x5C, 0x4E, 0x40, 0x44, 0x57, 0x45, 0x37,
    0x38, 0x50, 0x6D, 0x51, 0x57, 0x5F, 0x62, 0x67, 0x68, 0x67, 0x3E, 0x4D, 0x71, 0x79, 0x70, 0x64,
    0x78, 0x5C, 0x65, 0x67, 0x63, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01,
    0x11, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDA,
    0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x3F, 0xFF, 0xD9,
};

} // namespace

TiffBlock::TiffBlock(ByteOrder order)
    : order_(order), mark_(order == ByteOrder::Motorola ? "MM" : "II") {}

TiffBlock& TiffBlock::add(Directory dir, Entry entry) {
    (dir == Directory::Ifd0 ? ifd0_ : exif_).push_back(std::move(entry));
    return *this;
}

void TiffBlock::put16(Bytes& out, uint16_t v) const {
    if (order_ == ByteOrder::Motorola)
        out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
    else
        out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
}

void TiffBlock::put32(Bytes& out, uint32_t v) const {
    if (order_ == ByteOrder::Motorola)
        out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    else
        out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

TiffBlock& TiffBlock::ascii(Directory dir, uint16_t tag, std::string_view text) {
    Bytes value(text.begin(), text.end());
    value.push_back(0);
    const auto count = static_cast<uint32_t>(value.size());
    return bytes(dir, tag, TIFF_ASCII, count, std::move(value));
}

TiffBlock& TiffBlock::bytes(Directory dir, uint16_t tag, uint16_t type, uint32_t count,
                            Bytes value) {
    return add(dir, Entry{tag, type, count, std::move(value), std::nullopt, false});
}

TiffBlock& TiffBlock::shorts(Directory dir, uint16_t tag, std::vector<uint16_t> values,
                             uint16_t type) {
    Bytes value;
    for (uint16_t v : values)
        put16(value, v);
    return bytes(dir, tag, type, static_cast<uint32_t>(values.size()), std::move(value));
}

TiffBlock& TiffBlock::longs(Directory dir, uint16_t tag, std::vector<uint32_t> values,
                            uint16_t type) {
    Bytes value;
    for (uint32_t v : values)
        put32(value, v);
    return bytes(dir, tag, type, static_cast<uint32_t>(values.size()), std::move(value));
}

TiffBlock& TiffBlock::rational(Directory dir, uint16_t tag, uint32_t numerator,
                               uint32_t denominator, uint16_t type) {
    Bytes value;
    put32(value, numerator);
    put32(value, denominator);
    return bytes(dir, tag, type, 1, std::move(value));
}

TiffBlock& TiffBlock::field(Directory dir, uint16_t tag, uint16_t type, uint32_t count,
                            uint32_t valueField) {
    return add(dir, Entry{tag, type, count, {}, valueField, false});
}

TiffBlock& TiffBlock::exifPointer() {
    pointerPlaced_ = true;
    return add(Directory::Ifd0,
               Entry{exif::tag::ExifPointer, TIFF_LONG, 1, {}, std::nullopt, true});
}

TiffBlock& TiffBlock::byteOrderMark(std::string_view twoBytes) {
    if (twoBytes.size() != 2)
        throw std::invalid_argument("a byte-order mark has two bytes");
    mark_ = twoBytes;
    return *this;
}

TiffBlock& TiffBlock::ifd0Offset(uint32_t offset) {
    if (offset < 8)
        throw std::invalid_argument("IFD0 cannot overlap the TIFF header");
    ifd0Offset_ = offset;
    return *this;
}

TiffBlock& TiffBlock::ifd0Count(uint16_t count) {
    ifd0Count_ = count;
    return *this;
}

TiffBlock& TiffBlock::exifCount(uint16_t count) {
    exifCount_ = count;
    return *this;
}

Bytes TiffBlock::build() const {
    std::vector<Entry> ifd0 = ifd0_;
    if (!pointerPlaced_ && !exif_.empty())
        ifd0.push_back(Entry{exif::tag::ExifPointer, TIFF_LONG, 1, {}, std::nullopt, true});
    const bool hasExif = pointerPlaced_ || !exif_.empty();

    auto directorySize = [](const std::vector<Entry>& entries) {
        return static_cast<uint32_t>(2 + 12 * entries.size() + 4);
    };
    const uint32_t exifStart = ifd0Offset_ + directorySize(ifd0);
    uint32_t dataOffset = exifStart + (hasExif ? directorySize(exif_) : 0);

    Bytes out(mark_.begin(), mark_.end());
    put16(out, 42);
    put32(out, ifd0Offset_);
    out.resize(ifd0Offset_, 0);

    Bytes data;
    auto writeDirectory = [&](const std::vector<Entry>& entries, std::optional<uint16_t> count) {
        put16(out, count.value_or(static_cast<uint16_t>(entries.size())));
        for (const Entry& e : entries) {
            put16(out, e.tag);
            put16(out, e.type);
            put32(out, e.count);
            if (e.exifPointer) {
                put32(out, exifStart);
            } else if (e.fieldValue) {
                put32(out, *e.fieldValue);
            } else if (e.value.size() <= 4) {
                Bytes inlineValue = e.value;
                inlineValue.resize(4, 0);
                out.insert(out.end(), inlineValue.begin(), inlineValue.end());
            } else {
                put32(out, dataOffset + static_cast<uint32_t>(data.size()));
                data.insert(data.end(), e.value.begin(), e.value.end());
                if (data.size() % 2 != 0)
                    data.push_back(0);
            }
        }
        put32(out, 0); // no next directory
    };
    writeDirectory(ifd0, ifd0Count_);
    if (hasExif)
        writeDirectory(exif_, exifCount_);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

JpegWriter::JpegWriter(bool startOfImage) {
    if (startOfImage)
        bytes_ = {0xFF, 0xD8};
}

JpegWriter& JpegWriter::jfif() {
    return segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
}

JpegWriter& JpegWriter::exif(const Bytes& tiffBlock) {
    Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), tiffBlock.begin(), tiffBlock.end());
    return segment(0xE1, payload);
}

JpegWriter& JpegWriter::segment(uint8_t marker, const Bytes& payload) {
    if (payload.size() > 0xFFFF - 2)
        throw std::length_error("a JPEG segment holds at most 65533 bytes");
    const auto length = static_cast<uint16_t>(payload.size() + 2);
    bytes_.insert(bytes_.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
    return raw(payload);
}

JpegWriter& JpegWriter::raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

JpegWriter& JpegWriter::padding(size_t count, uint8_t fill) {
    bytes_.insert(bytes_.end(), count, fill);
    return *this;
}

JpegWriter& JpegWriter::picture() {
    return raw(PictureBody);
}

void JpegWriter::writeFile(const std::string& hostPath) const {
    writeBytes(hostPath, bytes_);
}

void writeBytes(const std::string& hostPath, const Bytes& bytes) {
    std::ofstream file(hostPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + hostPath);
}

} // namespace lumo::test
