// What the reader makes of each entry: normalised inline values, texts, rationals, and the
// failures that only empty one attribute.
#include <gtest/gtest.h>

#include "exif/exif_tags.h"
#include "tests/support/read_bytes.h"

using namespace lumo::test;
namespace tag = exif::tag;

namespace {

TExif ReadBlock(const TiffBlock& block) {
    return ReadBytes(JpegWriter().jfif().exif(block).bytes());
}

} // namespace

TEST(ExifEntryValues, InlineShortsAndBytesKeepEightBitsInBothOrders) {
    for (const ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        TiffBlock block(order);
        block.shorts(Directory::Exif, tag::PixelXDimension, {640})
            .longs(Directory::Exif, tag::PixelYDimension, {640})
            .shorts(Directory::Exif, tag::IsoSpeed, {400})
            .shorts(Directory::Exif, tag::MeteringMode, {5})
            .shorts(Directory::Ifd0, tag::Orientation, {0x0106});
        const TExif exif = ReadBlock(block);
        const char* name = order == ByteOrder::Intel ? "II" : "MM";
        EXPECT_EQ(exif.PixelXDimension, 128u) << name; // 640 = 0x280
        EXPECT_EQ(exif.PixelYDimension, 640u) << name;
        EXPECT_EQ(exif.ISOSpeed, 400) << name;
        EXPECT_EQ(exif.MeteringMode, 5) << name;
        EXPECT_EQ(exif.MeteringMethod, "Pattern") << name;
        EXPECT_EQ(exif.Orientation, 6) << name;
    }
    // A BYTE value sits in the field's first byte; big-endian reading takes the second one.
    for (const auto& [order, flash] : {std::pair{ByteOrder::Intel, 7}, {ByteOrder::Motorola, 0}}) {
        TiffBlock block(order);
        block.bytes(Directory::Exif, tag::Flash, TIFF_BYTE, 1, {7});
        EXPECT_EQ(ReadBlock(block).Flash, flash);
    }
}

TEST(ExifEntryValues, LongCodesChooseTheirNameByTheWholeValue) {
    TiffBlock block(ByteOrder::Motorola);
    block.longs(Directory::Ifd0, tag::Orientation, {0x106}, TIFF_SLONG)
        .longs(Directory::Exif, tag::LightSource, {257})
        .longs(Directory::Exif, tag::Flash, {0x119})
        .longs(Directory::Exif, tag::ExposureProgram, {0x102})
        .longs(Directory::Exif, tag::IsoSpeed, {70000})
        .longs(Directory::Exif, tag::PixelXDimension, {3072}, TIFF_SLONG);
    const TExif exif = ReadBlock(block);
    EXPECT_EQ(exif.Orientation, 6);
    EXPECT_EQ(exif.OrientationDesc, "Rotated 90 right"); // by the 8-bit code
    EXPECT_EQ(exif.LightSource, 1);
    EXPECT_EQ(exif.LightSourceDesc, "Unknown");
    EXPECT_EQ(exif.Flash, 25);
    EXPECT_EQ(exif.FlashDesc, "No Flash");
    EXPECT_EQ(exif.ExposureProgram, 2);
    EXPECT_EQ(exif.ExposureProgramDesc, "Unknown");
    EXPECT_EQ(exif.ISOSpeed, 70000 & 0xFFFF);
    EXPECT_EQ(exif.PixelXDimension, 3072u);
}

TEST(ExifEntryValues, TagsCountOnlyInTheirOwnDirectoryAndLaterEntriesWin) {
    TiffBlock block;
    block.ascii(Directory::Exif, tag::Make, "Exif make")
        .shorts(Directory::Ifd0, tag::IsoSpeed, {100})
        .ascii(Directory::Ifd0, tag::Model, "first")
        .ascii(Directory::Ifd0, tag::Model, "second");
    const TExif exif = ReadBlock(block);
    EXPECT_EQ(exif.Make, "");
    EXPECT_EQ(exif.ISOSpeed, 0);
    EXPECT_EQ(exif.Model, "second");
}

TEST(ExifTexts, StopRuleAndTrim) {
    TiffBlock block(ByteOrder::Motorola);
    block.ascii(Directory::Ifd0, tag::Make, "Canon   ")
        .bytes(Directory::Ifd0, tag::Model, TIFF_ASCII, 8,
               Bytes{'E', 'O', 'S', ' ', '4', '0', 'D', 'X'})
        .bytes(Directory::Ifd0, tag::ImageDescription, TIFF_ASCII, 12,
               Bytes{' ', ' ', 'a', 0, 'b', 'c', 'd', 'e'})
        .bytes(Directory::Ifd0, tag::Software, TIFF_ASCII, 6, Bytes{'C', 'a', 'f', 0xC3, 0xA9, 0})
        .bytes(Directory::Ifd0, tag::Artist, TIFF_ASCII, 8,
               Bytes{'a', '\t', 'b', '\r', '\n', 1, 31, 0})
        .ascii(Directory::Ifd0, tag::Copyright, "");
    const TExif exif = ReadBlock(block);
    EXPECT_EQ(exif.Make, "Canon");
    EXPECT_EQ(exif.Model, "EOS 40D") << "the last counted byte is never read";
    EXPECT_EQ(exif.ImageDesc, "  a") << "leading blanks stay; a NUL stops";
    EXPECT_EQ(exif.Software, "Caf\xC3\xA9") << "bytes above 127 are no blanks";
    EXPECT_EQ(exif.Artist, "a\tb");
    // Count 1 (the NUL alone): one byte is read at TiffBase + 0, the byte-order mark.
    EXPECT_EQ(exif.Copyright, "M");
}

TEST(ExifTexts, UserCommentsAreReadAsAPlainText) {
    for (const auto& [prefix, expected] :
         {std::pair<std::string, std::string>{std::string("ASCII\0\0\0", 8), "ASCII"},
          {std::string(8, '\0'), ""},
          {std::string("UNICODE\0", 8), "UNICODE"}}) {
        Bytes comment(prefix.begin(), prefix.end());
        comment.insert(comment.end(), {'h', 'e', 'l', 'l', 'o'});
        TiffBlock block;
        block.bytes(Directory::Exif, tag::UserComment, TIFF_UNDEFINED,
                    static_cast<uint32_t>(comment.size()), comment);
        EXPECT_EQ(ReadBlock(block).UserComments, expected);
    }
}

TEST(ExifTexts, CountsThatReadNothingAndValuesThatCannotBeRead) {
    TiffBlock block;
    block.field(Directory::Ifd0, tag::Make, TIFF_ASCII, 0, 0)
        .field(Directory::Ifd0, tag::Model, TIFF_ASCII, 0x80000000u, 0xFFFFFFF0u)
        .field(Directory::Ifd0, tag::Software, TIFF_ASCII, 30, 100000)
        // A short text kept inside the entry: its bytes are taken for an offset.
        .ascii(Directory::Ifd0, tag::Artist, "ab")
        .ascii(Directory::Ifd0, tag::DateTime, "2008:07:31 10:38:11");
    TExif exif;
    EXPECT_NO_THROW(ReadBytesInto(exif, JpegWriter().exif(block).bytes()));
    EXPECT_EQ(exif.Make, "");
    EXPECT_EQ(exif.Model, "");
    EXPECT_EQ(exif.Software, "");
    EXPECT_EQ(exif.Artist, "");
    EXPECT_EQ(exif.DateTime, "2008:07:31 10:38:11") << "the walk goes on after a failed value";

    // A text that the end of the file cuts before its NUL is empty.
    TiffBlock cut;
    cut.ascii(Directory::Ifd0, tag::Make, "Canon EOS");
    Bytes bytes = JpegWriter().exif(cut).bytes();
    bytes.resize(bytes.size() - 3);
    EXPECT_EQ(ReadBytes(bytes).Make, "");
}

TEST(ExifTexts, LongTextsAreCutAt65535Bytes) {
    // Too long for one segment: the APP1 length is never looked at, so it may lie.
    TiffBlock block;
    block.bytes(Directory::Ifd0, tag::ImageDescription, TIFF_ASCII, 70001, Bytes(70000, 'd'))
        .bytes(Directory::Ifd0, tag::Make, TIFF_ASCII, 66000, Bytes(1000, 'm'));
    JpegWriter jpeg;
    jpeg.raw({0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0}).raw(block.build());
    const TExif exif = ReadBytes(jpeg.padding(16).bytes());
    EXPECT_EQ(exif.ImageDesc, std::string(65535, 'd'));
    EXPECT_EQ(exif.Make, std::string(1000, 'm'));
}

TEST(ExifRationals, EachTagUsesItsForm) {
    for (const ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        TiffBlock block(order);
        block.rational(Directory::Ifd0, tag::XResolution, 720000, 10000)
            .rational(Directory::Ifd0, tag::YResolution, 300, 1)
            .rational(Directory::Exif, tag::ExposureTime, 1, 60)
            .rational(Directory::Exif, tag::FNumber, 28, 10)
            .rational(Directory::Exif, tag::CompressedBitsPerPixel, 5, 1)
            .rational(Directory::Exif, tag::ShutterSpeedValue, 5906891, 1000000, TIFF_SRATIONAL)
            .rational(Directory::Exif, tag::ApertureValue, 497, 100)
            .rational(Directory::Exif, tag::MaxApertureValue, 5, 0);
        const TExif exif = ReadBlock(block);
        EXPECT_EQ(exif.XResolution, 720000u);
        EXPECT_EQ(exif.YResolution, 300u);
        EXPECT_EQ(exif.Exposure, "1/60 seconds");
        EXPECT_EQ(exif.FStops, "2.8");
        EXPECT_EQ(exif.CompressedBPP, "5.0");
        EXPECT_EQ(exif.ShutterSpeed, "1/60 seconds");
        EXPECT_EQ(exif.Aperture, "4.97");
        EXPECT_EQ(exif.MaxAperture, "");
    }
    TiffBlock negative;
    negative.rational(Directory::Exif, tag::ShutterSpeedValue, static_cast<uint32_t>(-1), 1,
                      TIFF_SRATIONAL);
    EXPECT_EQ(ReadBlock(negative).ShutterSpeed, "1 seconds");
}

TEST(ExifRationals, UnreadableRationals) {
    TiffBlock block;
    for (const uint16_t tag : {0x011A, 0x829A, 0x829D, 0x9102, 0x9201, 0x9202})
        block.field(tag < 0x8000 ? Directory::Ifd0 : Directory::Exif, tag, TIFF_RATIONAL, 1, 90000);
    const TExif exif = ReadBlock(block);
    EXPECT_EQ(exif.XResolution, 0u);
    EXPECT_EQ(exif.Exposure, " seconds");
    EXPECT_EQ(exif.FStops, "");
    EXPECT_EQ(exif.CompressedBPP, "");
    EXPECT_EQ(exif.ShutterSpeed, "1/1 seconds");
    EXPECT_EQ(exif.Aperture, "");
}
