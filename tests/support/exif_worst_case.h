// The costliest EXIF block a JPEG of a few megabytes can hold for the reader: both directories at
// their largest count, every entry a text attribute whose value runs to the reader's longest
// text. Shared by the reader's tests, its benchmark and the fuzz seeds. Header only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exif/exif_tags.h"

namespace lumo::test {

struct ExifWorstCaseLayout {
    uint16_t entries = 65535;     // in each directory
    uint32_t textLength = 65534;  // bytes of the one text every entry points into
    uint32_t offsetSpread = 4096; // entry i points i % offsetSpread bytes into the text
};

// Intel byte order. IFD0 starts with the Exif pointer, then cycles through its seven text tags;
// the Exif directory cycles through its three. The text is textLength bytes of 'x' and a NUL.
inline std::vector<uint8_t> ExifWorstCase(const ExifWorstCaseLayout& layout = {}) {
    std::vector<uint8_t> out = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0};
    const size_t tiffBase = out.size();
    const auto put16 = [&out](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    const auto put32 = [&put16](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const uint32_t directoryBytes = 2 + 12 * uint32_t{layout.entries} + 4;
    const uint32_t exifOffset = 8 + directoryBytes;
    const uint32_t textOffset = exifOffset + directoryBytes;
    put16('I' | 'I' << 8); // Intel byte order
    put16(0x2A);
    put32(8);

    static constexpr uint16_t ifd0Texts[] = {
        exif::tag::ImageDescription, exif::tag::Make,   exif::tag::Model,    exif::tag::Software,
        exif::tag::DateTime,         exif::tag::Artist, exif::tag::Copyright};
    static constexpr uint16_t exifTexts[] = {exif::tag::DateTimeOriginal,
                                             exif::tag::DateTimeDigitized, exif::tag::UserComment};
    const auto directory = [&](const uint16_t* tags, size_t tagCount, bool withPointer) {
        put16(layout.entries);
        for (uint32_t i = 0; i < layout.entries; ++i) {
            if (withPointer && i == 0) {
                put16(exif::tag::ExifPointer);
                put16(4); // LONG
                put32(1);
                put32(exifOffset);
                continue;
            }
            put16(tags[i % tagCount]);
            put16(2); // ASCII
            put32(layout.textLength + 1);
            put32(textOffset + i % layout.offsetSpread);
        }
        put32(0); // no next directory
    };
    directory(ifd0Texts, std::size(ifd0Texts), true);
    directory(exifTexts, std::size(exifTexts), false);
    out.resize(tiffBase + textOffset, 0);
    out.insert(out.end(), layout.textLength, 'x');
    out.push_back(0);
    return out;
}

} // namespace lumo::test
