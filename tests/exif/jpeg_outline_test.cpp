// The JPEG outline walk: the picture's size, its orientation and the EXIF thumbnail of IFD1, in
// camera pictures and in hand-made blocks whose offsets point anywhere.
#include "exif/jpeg_outline.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "bytes/byte_reader.h"
#include "bytes/byte_source.h"
#include "exif/exif_tags.h"
#include "exif/orientation.h"
#include "platform/core/drives.h"
#include "platform/core/file_source.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/tiff_layout.h"

namespace {

using lumo::test::ByteOrder;
using lumo::test::Bytes;
using lumo::test::JpegWriter;
using lumo::test::TiffLayout;
namespace tag = exif::tag;

TJpegOutline OutlineOf(const Bytes& bytes) {
    MemorySource source(bytes);
    return ReadJpegOutline(source);
}

const Bytes& SmallPicture() {
    static const Bytes picture = JpegWriter().picture().bytes();
    return picture;
}

// An EXIF block whose IFD1 points at a JPEG thumbnail placed at thumbnailAt inside the block,
// with the offset and length fields given (the true ones unless a test says otherwise).
Bytes ExifBlock(ByteOrder order, uint32_t offsetField, uint32_t lengthField,
                uint32_t thumbnailAt = 64) {
    TiffLayout tiff(order);
    tiff.directory(8, {{tag::Orientation, lumo::test::TIFF_SHORT, 1, 1}}, 26);
    tiff.directory(26, {{tag::JpegInterchangeFormat, lumo::test::TIFF_LONG, 1, offsetField},
                        {tag::JpegInterchangeFormatLength, lumo::test::TIFF_LONG, 1, lengthField}});
    tiff.data(thumbnailAt, SmallPicture());
    return tiff.bytes();
}

Bytes JpegWithExif(const Bytes& block) {
    return JpegWriter().exif(block).picture().bytes();
}

TEST(JpegOutline, FindsTheThumbnailOfIfd1InEitherByteOrder) {
    const auto size = static_cast<uint32_t>(SmallPicture().size());
    for (ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        const Bytes jpeg = JpegWithExif(ExifBlock(order, 64, size));
        const TJpegOutline outline = OutlineOf(jpeg);
        EXPECT_TRUE(outline.IsJpeg);
        EXPECT_EQ(outline.Picture, (TPixelSize{8, 8}));
        // SOI (2), APP1 marker and length (4), "Exif\0\0" (6): the block starts at 12.
        ASSERT_TRUE(outline.ExifThumbnail);
        EXPECT_EQ(*outline.ExifThumbnail, (TByteRange{12 + 64, size}));
        EXPECT_EQ(outline.ExifThumbnailSize, (TPixelSize{8, 8}));
    }
}

TEST(JpegOutline, DamagedWaysToTheThumbnailGiveNone) {
    const auto size = static_cast<uint32_t>(SmallPicture().size());
    struct Case {
        const char* what;
        Bytes block;
    };
    TiffLayout loop;
    loop.directory(8, {{tag::Orientation, lumo::test::TIFF_SHORT, 1, 1}}, 8);
    TiffLayout hugeCount;
    hugeCount.data(8, {0xFF, 0xFF, 0, 0});
    TiffLayout ifd1Outside;
    ifd1Outside.directory(8, {{tag::Orientation, lumo::test::TIFF_SHORT, 1, 1}}, 0x7FFFFFF0);
    const Case cases[] = {
        {"offset beyond the block", ExifBlock(ByteOrder::Intel, 0x10000, size)},
        {"length beyond the block", ExifBlock(ByteOrder::Intel, 64, size + 1000)},
        {"offset and length wrap at 2^32", ExifBlock(ByteOrder::Intel, 0xFFFFFFF0, 0x20)},
        {"thumbnail is no JPEG", ExifBlock(ByteOrder::Intel, 66, size - 2)},
        {"IFD0 names itself as next", loop.bytes()},
        {"entry count beyond the block", hugeCount.bytes()},
        {"IFD1 beyond the block", ifd1Outside.bytes()},
    };
    for (const Case& c : cases) {
        const TJpegOutline outline = OutlineOf(JpegWithExif(c.block));
        EXPECT_TRUE(outline.IsJpeg) << c.what;
        EXPECT_EQ(outline.Picture, (TPixelSize{8, 8})) << c.what;
        EXPECT_FALSE(outline.ExifThumbnail) << c.what;
    }
}

// The orientation of IFD0, read the same from the outline, from a bare TIFF block and from an
// APP1 segment's payload; anything but a single SHORT or LONG of 1..8 reads as 1.
TEST(JpegOutline, OrientationOfIfd0AndDamagedOnesAsStored) {
    using lumo::test::TIFF_ASCII;
    using lumo::test::TIFF_LONG;
    using lumo::test::TIFF_SHORT;
    struct Case {
        const char* what;
        ByteOrder order;
        std::vector<TiffLayout::Entry> ifd0;
        int expected;
    };
    const Case cases[] = {
        {"6, Intel",
         ByteOrder::Intel,
         {{tag::Make, TIFF_ASCII, 4, 0}, {tag::Orientation, TIFF_SHORT, 1, 6}},
         6},
        {"8, Motorola", ByteOrder::Motorola, {{tag::Orientation, TIFF_SHORT, 1, 8}}, 8},
        {"3 as a LONG", ByteOrder::Intel, {{tag::Orientation, TIFF_LONG, 1, 3}}, 3},
        {"missing", ByteOrder::Intel, {{tag::Make, TIFF_ASCII, 4, 0}}, 1},
        {"0", ByteOrder::Intel, {{tag::Orientation, TIFF_SHORT, 1, 0}}, 1},
        {"9", ByteOrder::Motorola, {{tag::Orientation, TIFF_SHORT, 1, 9}}, 1},
        {"two values", ByteOrder::Intel, {{tag::Orientation, TIFF_SHORT, 2, 6}}, 1},
        {"a text", ByteOrder::Intel, {{tag::Orientation, TIFF_ASCII, 2, 6}}, 1},
    };
    for (const Case& c : cases) {
        TiffLayout tiff(c.order);
        tiff.directory(8, c.ifd0);
        const Bytes& block = tiff.bytes();
        EXPECT_EQ(OutlineOf(JpegWithExif(block)).Orientation, c.expected) << c.what;
        MemorySource source(block);
        ByteReader reader(source);
        EXPECT_EQ(ReadOrientation(reader, 0, block.size()), c.expected) << c.what;
        Bytes payload{'E', 'x', 'i', 'f', 0, 0};
        payload.insert(payload.end(), block.begin(), block.end());
        EXPECT_EQ(ExifSegmentOrientation(payload.data(), payload.size()), c.expected) << c.what;
    }
    // An EXIF block cut short before its directory; a payload that is no EXIF block; a picture
    // without one.
    TiffLayout six;
    six.directory(8, {{tag::Orientation, TIFF_SHORT, 1, 6}});
    Bytes payload{'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), six.bytes().begin(), six.bytes().end());
    EXPECT_EQ(ExifSegmentOrientation(payload.data(), payload.size()), 6);
    EXPECT_EQ(ExifSegmentOrientation(payload.data(), 20), 1);
    EXPECT_EQ(ExifSegmentOrientation(payload.data() + 1, payload.size() - 1), std::nullopt);
    EXPECT_EQ(ExifSegmentOrientation(nullptr, 0), std::nullopt);
    EXPECT_EQ(OutlineOf(SmallPicture()).Orientation, 1);
}

TEST(JpegOutline, DamagedSegmentsStopTheWalk) {
    // An APP1 segment that claims more bytes than the file has hides everything behind it.
    const Bytes longSegment = JpegWriter().raw({0xFF, 0xE1, 0xFF, 0xF0, 'E', 'x'}).bytes();
    TJpegOutline outline = OutlineOf(longSegment);
    EXPECT_TRUE(outline.IsJpeg);
    EXPECT_FALSE(outline.Picture);
    EXPECT_FALSE(OutlineOf({0x00, 0x01, 0x02}).IsJpeg);
    EXPECT_FALSE(OutlineOf({}).IsJpeg);
    // A frame header cut short by the end of the file gives no size.
    outline = OutlineOf(JpegWriter().raw({0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00}).bytes());
    EXPECT_FALSE(outline.Picture);
}

TEST(JpegOutline, FrameSizeOfARangeOutsideTheDataIsNone) {
    const Bytes& picture = SmallPicture();
    MemorySource source(picture);
    ByteReader reader(source);
    EXPECT_EQ(ReadJpegFrameSize(reader, {0, picture.size()}), (TPixelSize{8, 8}));
    EXPECT_FALSE(ReadJpegFrameSize(reader, {4, picture.size()}));
    EXPECT_FALSE(ReadJpegFrameSize(reader, {UINT64_MAX - 2, 8}));
}

TEST(JpegOutline, CameraPictures) {
    const std::filesystem::path photos = std::filesystem::path(LUMO_TESTDATA) / "photos";
    if (!std::filesystem::exists(photos))
        GTEST_SKIP() << "camera pictures not available";
    struct Case {
        const char* file;
        TPixelSize picture;
        std::optional<TByteRange> thumbnail; // file offset and length
        TPixelSize thumbnailSize;
    };
    const Case cases[] = {
        {"Canon_PowerShot_S40.jpg", {480, 360}, TByteRange{2066, 5448}, {160, 120}},
        {"Nikon_D300_lens_data.jpg", {200, 133}, TByteRange{9164, 3538}, {133, 88}},
        {"Sanyo_VPC-G250.jpg", {640, 480}, TByteRange{889, 3602}, {80, 60}},
        {"Kodak_DC210.jpg", {640, 480}, std::nullopt, {}},           // uncompressed thumbnail
        {"Olympus_D320L_no_exif.jpg", {640, 480}, std::nullopt, {}}, // no EXIF block
    };
    platform::setDriveMap({{'C', "/", platform::DRIVE_FIXED, "", true}});
    for (const Case& c : cases) {
        platform::FileSource source;
        ASSERT_TRUE(source.open(platform::fromHostPath((photos / c.file).string()))) << c.file;
        const TJpegOutline outline = ReadJpegOutline(source);
        EXPECT_TRUE(outline.IsJpeg) << c.file;
        EXPECT_EQ(outline.Picture, c.picture) << c.file;
        EXPECT_EQ(outline.ExifThumbnail, c.thumbnail) << c.file;
        if (c.thumbnail) {
            EXPECT_EQ(outline.ExifThumbnailSize, c.thumbnailSize) << c.file;
        }
    }
    // Turned cameras.
    for (const auto& [file, orientation] :
         {std::pair{"orientation_landscape_6.jpg", 6},
          std::pair{"Canon_PowerShot_SX60_hdr_NO.jpg", 6}, std::pair{"Pentax_K10D_exiftool.jpg", 8},
          std::pair{"Canon_PowerShot_S40.jpg", 1}}) {
        platform::FileSource source;
        ASSERT_TRUE(source.open(platform::fromHostPath((photos / file).string()))) << file;
        EXPECT_EQ(ReadJpegOutline(source).Orientation, orientation) << file;
    }
    platform::setDriveMap({});
}

} // namespace
