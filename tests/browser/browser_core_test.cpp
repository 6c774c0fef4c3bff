// The image table's plain functions: size texts, headers, the row texts of a record and of a file.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "browser/core/file_size_text.h"
#include "browser/core/picture_texts.h"
#include "exif/exif_tags.h"
#include "platform/core/drives.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/read_bytes.h"
#include "tests/support/temp_dir.h"

using namespace lumo::test;
namespace tag = exif::tag;

namespace {

std::string ProgramPath(const std::string& hostPath) {
    return platform::fromHostPath(hostPath);
}

struct SizeCase {
    uint64_t bytes;
    const char* text;
};

class SizeTexts : public testing::TestWithParam<SizeCase> {};

} // namespace

TEST_P(SizeTexts, ThousandsRoundedHalfToEven) {
    EXPECT_EQ(SizeText(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SizeTexts,
                         testing::Values(SizeCase{0, "1KB"}, SizeCase{999, "1KB"},
                                         SizeCase{1000, "1KB"}, SizeCase{1499, "1KB"},
                                         SizeCase{1500, "2KB"}, SizeCase{1501, "2KB"},
                                         SizeCase{2500, "2KB"}, SizeCase{2501, "3KB"},
                                         SizeCase{3500, "4KB"}, SizeCase{123456, "123KB"},
                                         SizeCase{1000000, "1000KB"}, SizeCase{4194304, "4194KB"},
                                         SizeCase{4294967295u, "4294967KB"},
                                         SizeCase{5368709120u, "5368709KB"}));

TEST(FileSizeText, ReadsTheFileSizeBeyondFourGiB) {
    TempDir dir;
    for (const auto& [size, text] :
         {std::pair<off_t, const char*>{0, "1KB"}, {1500, "2KB"}, {off_t{5} << 30, "5368709KB"}}) {
        const std::string path = dir / "file.jpg";
        const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0); // sparse: no disk space is used
        ::close(fd);
        EXPECT_EQ(FileSizeText(ProgramPath(path)), text) << size;
    }
    EXPECT_EQ(FileSizeText(ProgramPath(dir / "missing.jpg")), "");
}

// The one place that holds the headers' own texts: the table's 29 columns from the first to the
// last, spelt as the program shows them ("Image Desk", "Metering Methode"). The window and the
// table tool are checked against ImageTableHeaders.
TEST(ImageTable, HeadersAsTheTableShowsThem) {
    const std::string expected =
        "Filename|Filesize|Make|Model|Image Desk|Copyright|DateTime|Original DateTime|"
        "Created DateTime|Comment|Software|Artist|Orientation|Exposure|Exposure Program|Fstops|"
        "Shutter Speed|Aperture|Max Aperture|Compressed|ISOSpeed|PixelX Dimension|"
        "PixelY Dimension|Xresolution|Yresolution|Metering Mode|Metering Methode|Lightsource|Flash";
    std::string shown;
    for (const char* header : ImageTableHeaders)
        shown += (shown.empty() ? "" : "|") + std::string(header);
    EXPECT_EQ(shown, expected);
}

TEST(ImageTable, RowOfAPictureWithExif) {
    TiffBlock block(ByteOrder::Motorola);
    block.ascii(Directory::Ifd0, tag::Make, "Canon")
        .ascii(Directory::Ifd0, tag::Model, "Canon EOS 40D")
        .shorts(Directory::Ifd0, tag::Orientation, {6})
        .rational(Directory::Ifd0, tag::XResolution, 72, 1)
        .rational(Directory::Ifd0, tag::YResolution, 300, 1)
        .rational(Directory::Exif, tag::ExposureTime, 1, 250)
        .shorts(Directory::Exif, tag::ExposureProgram, {2})
        .shorts(Directory::Exif, tag::IsoSpeed, {400})
        .ascii(Directory::Exif, tag::DateTimeDigitized, "2008:05:30 15:56:01")
        .shorts(Directory::Exif, tag::LightSource, {2})
        .shorts(Directory::Exif, tag::Flash, {25})
        .longs(Directory::Exif, tag::PixelXDimension, {3888})
        .longs(Directory::Exif, tag::PixelYDimension, {2592});
    const TExif exif = ReadBytes(JpegWriter().jfif().exif(block).picture().bytes());
    const RowTexts row = RowTextsFromRecord("IMG_0001.JPG", "2KB", exif);
    const RowTexts expected = {"IMG_0001.JPG",
                               "2KB",
                               "Canon",
                               "Canon EOS 40D",
                               "",
                               "",
                               "",
                               "",
                               "2008:05:30 15:56:01",
                               "",
                               "",
                               "",
                               "Orientation: 6 (Rotated 90 right)",
                               "1/250 seconds",
                               "Exposure Program: 2 (Normal Program)",
                               "",
                               "",
                               "",
                               "",
                               "",
                               "400",
                               "3888",
                               "2592",
                               "72",
                               "300",
                               "0",
                               "",
                               "LightSource: 2 (Flourescent)",
                               "Flash: 25 (Flash (Auto))"};
    EXPECT_EQ(row, expected);
}

TEST(ImageTable, DashesWhenThereIsNoValidBlockOrItCannotBeRead) {
    TempDir dir;
    JpegWriter().jfif().picture().writeFile(dir / "plain.jpg");
    // IFD0 claims two entries; the file ends after the first, whose value was already taken.
    Bytes tiff = TiffBlock().shorts(Directory::Ifd0, tag::Orientation, {6}).ifd0Count(2).build();
    tiff.resize(8 + 2 + 12);
    writeBytes(dir / "cut.jpg", JpegWriter().exif(tiff).bytes());
    for (const std::string name : {"plain.jpg", "cut.jpg", "missing.jpg"}) {
        const auto row = ImageRowTexts(name, ProgramPath(dir / name));
        EXPECT_EQ(row[0], name);
        EXPECT_EQ(row[1], name == "missing.jpg" ? "" : "1KB");
        for (size_t column = 2; column < ImageTableColumns; ++column)
            EXPECT_EQ(row[column], "-") << name << " column " << column + 1;
    }
}
