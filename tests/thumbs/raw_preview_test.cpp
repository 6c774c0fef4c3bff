// The CR2 preview walk: the full-size preview of IFD0's strip, the IFD1 thumbnail when that one
// is missing, cut short or no JPEG, and hostile directories that must give no preview.
#include "thumbs/core/raw_preview.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "bytes/byte_source.h"
#include "exif/exif_tags.h"
#include "exif/jpeg_outline.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/tiff_layout.h"

namespace {

using lumo::test::ByteOrder;
using lumo::test::Bytes;
using lumo::test::TiffLayout;
namespace tag = exif::tag;
constexpr uint16_t Long = lumo::test::TIFF_LONG;

const Bytes& Preview() {
    static const Bytes picture = lumo::test::JpegWriter().picture().bytes();
    return picture;
}

std::optional<TRawPreview> Find(const Bytes& bytes) {
    MemorySource source(bytes);
    return FindRawPreview(source);
}

// A raw file: IFD0 at 16 with the strip fields given, IFD1 at 100 with the thumbnail fields
// given, the preview JPEG at 200 and the thumbnail JPEG at 400.
Bytes RawFile(uint32_t stripAt, uint32_t stripLength, uint32_t thumbAt, uint32_t thumbLength,
              ByteOrder order = ByteOrder::Intel) {
    TiffLayout tiff(order, 16);
    tiff.directory(
        16, {{tag::StripOffsets, Long, 1, stripAt}, {tag::StripByteCounts, Long, 1, stripLength}},
        100);
    tiff.directory(100, {{tag::JpegInterchangeFormat, Long, 1, thumbAt},
                         {tag::JpegInterchangeFormatLength, Long, 1, thumbLength}});
    tiff.data(200, Preview());
    tiff.data(400, Preview());
    return tiff.bytes();
}

// A raw file whose strip, at 1000, holds the bytes given, with the thumbnail of RawFile at 400.
Bytes RawFileWithStrip(const Bytes& strip) {
    TiffLayout tiff(ByteOrder::Intel, 16);
    tiff.directory(16,
                   {{tag::StripOffsets, Long, 1, 1000},
                    {tag::StripByteCounts, Long, 1, static_cast<uint32_t>(strip.size())}},
                   100);
    tiff.directory(100, {{tag::JpegInterchangeFormat, Long, 1, 400},
                         {tag::JpegInterchangeFormatLength, Long, 1,
                          static_cast<uint32_t>(Preview().size())}});
    tiff.data(400, Preview());
    tiff.data(1000, strip);
    return tiff.bytes();
}

TEST(RawPreview, TakesTheStripThenTheThumbnail) {
    const auto size = static_cast<uint32_t>(Preview().size());
    struct Case {
        const char* what;
        Bytes file;
        std::optional<TRawPreview> expected;
    };
    const TRawPreview strip{TRawPreviewKind::FullSize, {200, size}};
    const TRawPreview thumbnail{TRawPreviewKind::Thumbnail, {400, size}};
    TiffLayout twoStrips(ByteOrder::Intel, 16);
    twoStrips.directory(16,
                        {{tag::StripOffsets, Long, 2, 200}, {tag::StripByteCounts, Long, 2, size}});
    const Case cases[] = {
        {"strip", RawFile(200, size, 400, size), strip},
        {"strip, big-endian", RawFile(200, size, 400, size, ByteOrder::Motorola), strip},
        {"strip cut short by the end of the file", RawFile(200, 0x100000, 400, size), thumbnail},
        {"strip is no JPEG", RawFile(202, size - 2, 400, size), thumbnail},
        {"strip wraps at 2^32", RawFile(0xFFFFFF00, 0x200, 400, size), thumbnail},
        {"strip of length 0", RawFile(200, 0, 400, size), thumbnail},
        {"neither is a JPEG", RawFile(202, size - 2, 16, 8), std::nullopt},
        {"thumbnail beyond the end", RawFile(202, size - 2, 400, size + 1), std::nullopt},
        {"strips in two pieces", twoStrips.bytes(), std::nullopt},
        // Strips that start like a JPEG but hold no whole one.
        {"strip cut after its start", RawFileWithStrip({0xFF, 0xD8}), thumbnail},
        {"strip with no marker after its start", RawFileWithStrip({0xFF, 0xD8, 0x00, 0xE0, 0x00}),
         thumbnail},
        {"strip cut before its frame header",
         RawFileWithStrip(lumo::test::JpegWriter().jfif().bytes()), thumbnail},
        {"strip cut inside a segment",
         RawFileWithStrip(Bytes(Preview().begin(), Preview().begin() + 24)), thumbnail},
        {"strip cut before its end",
         RawFileWithStrip(Bytes(Preview().begin(), Preview().end() - 2)), thumbnail},
        {"whole strip elsewhere", RawFileWithStrip(Preview()),
         TRawPreview{TRawPreviewKind::FullSize, {1000, size}}},
    };
    for (const Case& c : cases) {
        const auto found = Find(c.file);
        ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.what;
        if (found) {
            EXPECT_EQ(found->Kind, c.expected->Kind) << c.what;
            EXPECT_EQ(found->Bytes, c.expected->Bytes) << c.what;
        }
    }
}

TEST(RawPreview, HostileDirectoriesGiveNoPreview) {
    TiffLayout selfLoop(ByteOrder::Intel, 16);
    selfLoop.directory(16, {{tag::StripOffsets, Long, 1, 1}}, 16);
    TiffLayout twoWayLoop(ByteOrder::Intel, 16);
    twoWayLoop.directory(16, {{tag::StripOffsets, Long, 1, 1}}, 60);
    twoWayLoop.directory(60, {{tag::Orientation, lumo::test::TIFF_SHORT, 1, 1}}, 16);
    TiffLayout firstOutside(ByteOrder::Intel, 0xFFFFFFF0);
    TiffLayout countOutside(ByteOrder::Intel, 16);
    countOutside.data(16, {0xFF, 0xFF, 0x11, 0x01});
    Bytes badMark = RawFile(200, 10, 400, 10);
    badMark[0] = 'X';
    const Bytes files[] = {selfLoop.bytes(),
                           twoWayLoop.bytes(),
                           firstOutside.bytes(),
                           countOutside.bytes(),
                           badMark,
                           Bytes{'I', 'I', 42},
                           Bytes{}};
    for (const Bytes& file : files)
        EXPECT_FALSE(Find(file));
}

TEST(RawPreview, ReadsThePreviewBytes) {
    const auto size = static_cast<uint32_t>(Preview().size());
    const Bytes file = RawFile(200, size, 400, size);
    MemorySource source(file);
    const auto bytes = ReadRawPreview(source);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, Preview());
}

// A turned raw file's preview carries the raw file's orientation in an EXIF block of its own, so
// that it is drawn as the raw file is; an upright one's bytes are left as they are.
TEST(RawPreview, ThePreviewCarriesTheRawFilesOrientation) {
    const auto size = static_cast<uint32_t>(Preview().size());
    for (const ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        for (const int orientation : {1, 6, 8, 3, 0}) {
            TiffLayout tiff(order, 16);
            tiff.directory(16,
                           {{tag::Orientation, lumo::test::TIFF_SHORT, 1, uint32_t(orientation)},
                            {tag::StripOffsets, Long, 1, 200},
                            {tag::StripByteCounts, Long, 1, size}});
            tiff.data(200, Preview());
            const auto found = Find(tiff.bytes());
            ASSERT_TRUE(found);
            const int expected = orientation == 0 ? 1 : orientation; // 0 is no orientation
            EXPECT_EQ(found->Orientation, expected);
            MemorySource source(tiff.bytes());
            const auto bytes = ReadRawPreview(source);
            ASSERT_TRUE(bytes);
            if (expected == 1) {
                EXPECT_EQ(*bytes, Preview());
                continue;
            }
            MemorySource preview(*bytes);
            const TJpegOutline outline = ReadJpegOutline(preview);
            EXPECT_EQ(outline.Orientation, expected);
            EXPECT_EQ(outline.Picture, (TPixelSize{8, 8}));
            // The preview's own bytes follow the new segment unchanged.
            EXPECT_TRUE(std::equal(Preview().begin() + 2, Preview().end(),
                                   bytes->end() - std::ptrdiff_t(Preview().size() - 2)));
        }
    }
}

TEST(RawPreview, CameraRawFiles) {
    const std::filesystem::path raw = std::filesystem::path(LUMO_TESTDATA) / "raw";
    if (!std::filesystem::exists(raw))
        GTEST_SKIP() << "raw files not available";
    struct Case {
        const char* file;
        TRawPreview expected;
    };
    const Case cases[] = {
        // The full-size 5184 x 3456 preview restored at IFD0's strip.
        {"Canon_EOS_Rebel_T5i_preview_restored.CR2", {TRawPreviewKind::FullSize, {97952, 1530969}}},
        // Cut after IFD1: the strip starts at the end of the file; the 160 x 120 thumbnail is
        // there.
        {"Canon_EOS_Rebel_T5i_truncated.CR2", {TRawPreviewKind::Thumbnail, {80084, 17867}}},
    };
    for (const Case& c : cases) {
        std::ifstream in(raw / c.file, std::ios::binary);
        const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const auto found = Find(file);
        ASSERT_TRUE(found) << c.file;
        EXPECT_EQ(found->Kind, c.expected.Kind) << c.file;
        EXPECT_EQ(found->Bytes, c.expected.Bytes) << c.file;
        MemorySource source(file);
        const auto bytes = ReadRawPreview(source);
        ASSERT_TRUE(bytes && bytes->size() > 4) << c.file;
        EXPECT_EQ((*bytes)[0], 0xFF);
        EXPECT_EQ((*bytes)[1], 0xD8);
        EXPECT_EQ((*bytes)[bytes->size() - 2], 0xFF) << c.file;
        EXPECT_EQ((*bytes)[bytes->size() - 1], 0xD9) << c.file;
    }
}

} // namespace
