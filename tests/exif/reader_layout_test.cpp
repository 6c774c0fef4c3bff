// Where the reader finds APP1 and the TIFF header, and when a damaged layout is an I/O error.
#include <gtest/gtest.h>

#include "exif/exif_tags.h"
#include "tests/support/read_bytes.h"

using namespace lumo::test;
namespace tag = exif::tag;

namespace {

TiffBlock MakeOnly(ByteOrder order = ByteOrder::Intel) {
    TiffBlock block(order);
    block.ascii(Directory::Ifd0, tag::Make, "Canon");
    return block;
}

// FF D8, then a comment segment sized so that the next byte is at `offset`.
JpegWriter StartAt(size_t offset) {
    JpegWriter jpeg;
    jpeg.segment(0xFE, Bytes(offset - 6, 'x'));
    return jpeg;
}

// Enough bytes behind the picture that a search never meets the end of the file.
constexpr size_t Tail = 4000;

} // namespace

TEST(ExifApp1Search, FindsApp1AtTheUsualPlaces) {
    const TExif direct = ReadBytes(JpegWriter().exif(MakeOnly()).picture().bytes());
    EXPECT_TRUE(direct.Valid);
    EXPECT_EQ(direct.Make, "Canon");

    const TExif afterJfif = ReadBytes(JpegWriter().jfif().exif(MakeOnly()).picture().bytes());
    EXPECT_TRUE(afterJfif.Valid);
    EXPECT_EQ(afterJfif.Make, "Canon");
}

TEST(ExifApp1Search, PairSearchSeesOnlyOddOffsetsWithinItsBound) {
    // Without APP0 the search reads pairs from offset 11; pair 1001 starts at 2011.
    for (const size_t offset : {13, 33, 2011}) {
        const TExif found =
            ReadBytes(StartAt(offset).exif(MakeOnly()).picture().padding(Tail).bytes());
        EXPECT_TRUE(found.Valid) << offset;
        EXPECT_EQ(found.Make, "Canon") << offset;
    }
    for (const size_t offset : {14, 34, 2013}) {
        const TExif missed =
            ReadBytes(StartAt(offset).exif(MakeOnly()).picture().padding(Tail).bytes());
        EXPECT_FALSE(missed.Valid) << offset;
        EXPECT_EQ(missed.Make, "") << offset;
    }
    // After an APP0 the search starts at 29, so its bound lies 18 bytes further on.
    for (const auto& [offset, valid] : {std::pair{2029, true}, {2031, false}, {2030, false}}) {
        JpegWriter jpeg;
        jpeg.jfif().segment(0xE0, Bytes(offset - 24, 'x')).exif(MakeOnly()).picture().padding(Tail);
        EXPECT_EQ(ReadBytes(jpeg.bytes()).Valid, valid) << offset;
    }
}

TEST(ExifApp1Search, IdentifierIsNotExamined) {
    Bytes payload = {'N', 'o', 't', 'E', 'x', 0};
    const Bytes tiff = MakeOnly(ByteOrder::Motorola).build();
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    const TExif exif = ReadBytes(JpegWriter().segment(0xE1, payload).bytes());
    EXPECT_TRUE(exif.Valid);
    EXPECT_EQ(exif.Make, "Canon");
}

TEST(ExifApp1Search, FilesWithoutApp1AreNotValid) {
    EXPECT_FALSE(ReadBytes({'G', 'I', 'F', '8', '9', 'a'}).Valid);
    EXPECT_FALSE(ReadBytes(JpegWriter().jfif().picture().padding(Tail).bytes()).Valid);
    // The search ends quietly when the file ends right after a pair (pairs start at 11).
    const Bytes endsAfterPair = JpegWriter().segment(0xFE, Bytes(21, 'x')).bytes();
    ASSERT_EQ(endsAfterPair.size() % 2, 1u);
    EXPECT_FALSE(ReadBytes(endsAfterPair).Valid);
}

TEST(ExifApp1Search, TruncatedHeadsAreIoErrors) {
    EXPECT_THROW(ReadBytes({}), EInOutError);
    EXPECT_THROW(ReadBytes({0xFF}), EInOutError);
    EXPECT_THROW(ReadBytes({0xFF, 0xD8}), EInOutError);                // no segment head
    EXPECT_THROW(ReadBytes(JpegWriter().jfif().bytes()), EInOutError); // no head at 20
    // A pair cut in half by the end of the file.
    EXPECT_THROW(ReadBytes(JpegWriter().segment(0xFE, Bytes(20, 'x')).bytes()), EInOutError);
    // APP1 found, but its TIFF header is cut short.
    EXPECT_THROW(ReadBytes({0xFF, 0xD8, 0xFF, 0xE1, 0, 8, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I'}),
                 EInOutError);
}

TEST(ExifTiffHeader, ByteOrderMarkDecidesTheOrder) {
    EXPECT_EQ(ReadBytes(JpegWriter().exif(MakeOnly(ByteOrder::Motorola)).bytes()).Make, "Canon");
    // Anything but "MM" is little-endian.
    TiffBlock odd = MakeOnly(ByteOrder::Intel);
    odd.byteOrderMark("XM");
    EXPECT_EQ(ReadBytes(JpegWriter().exif(odd).bytes()).Make, "Canon");
    TiffBlock wrong = MakeOnly(ByteOrder::Intel);
    wrong.byteOrderMark("MM"); // little-endian offsets read big-endian point past the end
    EXPECT_THROW(ReadBytes(JpegWriter().exif(wrong).bytes()), EInOutError);
}

TEST(ExifTiffHeader, Ifd0AtAnyOffset) {
    for (const ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        TiffBlock block = MakeOnly(order);
        block.ifd0Offset(301);
        const TExif exif = ReadBytes(JpegWriter().exif(block).bytes());
        EXPECT_EQ(exif.Make, "Canon");
    }
}

TEST(ExifTiffHeader, Ifd0CountZeroMeansAHundredEntries) {
    TiffBlock block = MakeOnly();
    block.ascii(Directory::Ifd0, tag::Model, "EOS 40D").ifd0Count(0);
    // The next-directory pointer behind the entries is zero, a zero tag that ends the walk.
    const TExif exif = ReadBytes(JpegWriter().exif(block).bytes());
    EXPECT_EQ(exif.Make, "Canon");
    EXPECT_EQ(exif.Model, "EOS 40D");

    // With that pointer made a nonzero tag, a hundred entries run past the end of the file;
    // the stored count 2 stops in time.
    for (const auto& [count, fails] : {std::pair<uint16_t, bool>{0, true}, {2, false}}) {
        block.ifd0Count(count);
        Bytes tiff = block.build();
        tiff[8 + 2 + 2 * 12] = 0x01;
        const Bytes bytes = JpegWriter().exif(tiff).bytes();
        if (fails)
            EXPECT_THROW(ReadBytes(bytes), EInOutError);
        else
            EXPECT_EQ(ReadBytes(bytes).Model, "EOS 40D");
    }
}

TEST(ExifTiffHeader, DirectoryWalksEndAtAZeroTagOrTheirCount) {
    TiffBlock block(ByteOrder::Motorola);
    block.exifPointer()
        .field(Directory::Ifd0, 0, TIFF_SHORT, 1, 0)
        .ascii(Directory::Ifd0, tag::Make, "after zero tag")
        .shorts(Directory::Exif, tag::Flash, {25})
        .field(Directory::Exif, 0, TIFF_SHORT, 1, 0)
        .shorts(Directory::Exif, tag::MeteringMode, {3});
    const TExif exif = ReadBytes(JpegWriter().exif(block).bytes());
    EXPECT_EQ(exif.Make, "");
    EXPECT_EQ(exif.Flash, 25);
    EXPECT_EQ(exif.MeteringMode, 0);

    TiffBlock empty;
    empty.shorts(Directory::Exif, tag::Flash, {1}).exifCount(0);
    EXPECT_EQ(ReadBytes(JpegWriter().exif(empty).bytes()).FlashDesc, "");

    // A count larger than the directory is held to: the walk reads on until a zero tag.
    TiffBlock longer;
    longer.shorts(Directory::Exif, tag::Flash, {1}).exifCount(40);
    JpegWriter padded;
    padded.exif(longer).padding(40 * 12);
    EXPECT_EQ(ReadBytes(padded.bytes()).FlashDesc, "Flash");
}

TEST(ExifIoErrors, StructuralReadsFailButKeepWhatWasRead) {
    // IFD0 claims five entries; the block ends after the first.
    TiffBlock block;
    block.shorts(Directory::Ifd0, tag::Orientation, {6}).ifd0Count(5);
    Bytes tiff = block.build();
    tiff.resize(8 + 2 + 12);
    TExif exif;
    EXPECT_THROW(ReadBytesInto(exif, JpegWriter().exif(tiff).bytes()), EInOutError);
    EXPECT_TRUE(exif.Valid);
    EXPECT_EQ(exif.Orientation, 6);
    EXPECT_EQ(exif.OrientationDesc, "Rotated 90 right");

    // The Exif sub-directory lies past the end of the file.
    TiffBlock farExif;
    farExif.ascii(Directory::Ifd0, tag::Model, "EOS 40D")
        .field(Directory::Ifd0, tag::ExifPointer, TIFF_LONG, 1, 5000);
    EXPECT_THROW(ReadBytesInto(exif, JpegWriter().exif(farExif).bytes()), EInOutError);
    EXPECT_EQ(exif.Orientation, 0) << "the second read starts from an empty record";
    EXPECT_EQ(exif.Model, "EOS 40D");
}

TEST(ExifIoErrors, PositionsBeyondA32BitOffsetFail) {
    // IFD0 offset 0x7FFFFFF8 (little-endian, at TIFF offset 4): TiffBase 12 plus that is past
    // 2^31.
    Bytes tiff = MakeOnly().build();
    const Bytes farOffset = {0xF8, 0xFF, 0xFF, 0x7F};
    std::copy(farOffset.begin(), farOffset.end(), tiff.begin() + 4);
    EXPECT_THROW(ReadBytes(JpegWriter().exif(tiff).bytes()), EInOutError);

    for (const uint16_t tag : {uint16_t{0x010F}, uint16_t{0x011A}}) {
        TiffBlock farValue;
        farValue.field(Directory::Ifd0, tag, TIFF_ASCII, 20, 0xFFFFFFF0u);
        EXPECT_THROW(ReadBytes(JpegWriter().exif(farValue).bytes()), EInOutError) << tag;
    }
    TiffBlock farRational;
    farRational.field(Directory::Exif, tag::FNumber, TIFF_RATIONAL, 1, 0x80000000u);
    EXPECT_THROW(ReadBytes(JpegWriter().exif(farRational).bytes()), EInOutError);
}
