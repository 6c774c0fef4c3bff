// The properties report lines: the full form of a record with EXIF, the short form without, and
// the error form when the EXIF block cannot be read; built from records read in memory.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/core/picture_texts.h"
#include "browser/core/report_lines.h"
#include "exif/exif_tags.h"
#include "platform/core/drives.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/read_bytes.h"
#include "tests/support/temp_dir.h"

using namespace lumo::test;
namespace tag = exif::tag;

namespace {

TEST(PictureReport, FullFormHasThirtyLabelledLinesInOrder) {
    TiffBlock block(ByteOrder::Motorola);
    block.ascii(Directory::Ifd0, tag::Make, "Canon")
        .ascii(Directory::Ifd0, tag::Model, "Canon EOS 40D")
        .ascii(Directory::Ifd0, tag::ImageDescription, "Harbour")
        .shorts(Directory::Ifd0, tag::Orientation, {6})
        .rational(Directory::Ifd0, tag::XResolution, 72, 1)
        .rational(Directory::Ifd0, tag::YResolution, 72, 1)
        .rational(Directory::Exif, tag::ExposureTime, 1, 60)
        .rational(Directory::Exif, tag::FNumber, 28, 10)
        .shorts(Directory::Exif, tag::IsoSpeed, {400})
        .shorts(Directory::Exif, tag::MeteringMode, {5})
        .shorts(Directory::Exif, tag::Flash, {25})
        .longs(Directory::Exif, tag::PixelXDimension, {3072})
        .longs(Directory::Exif, tag::PixelYDimension, {2048});
    const TExif exif = ReadBytes(JpegWriter().jfif().exif(block).picture().bytes());

    const std::vector<std::string> lines =
        ReportLinesFromRecord({"full.jpg", "1KB", 3072, 2048}, exif, ExifOutcome::Read);
    const std::vector<std::string> expected = {
        "Filename : full.jpg",
        "File Size: 1KB",
        "Dimension: 3072 x 2048",
        "Make: Canon",
        "Model: Canon EOS 40D",
        "Image Desk: Harbour",
        "Copyright: ",
        "DateTime: ",
        "Original DateTime: ",
        "Created DateTime: ",
        "UserComments: ",
        "Software: ",
        "Artist: ",
        "Orientation: 6 (Rotated 90 right)",
        "Exposure: 1/60 seconds",
        "Exposure Program: 0 ()", // absent tags leave their name empty
        "Fstops: 2.8",
        "ShutterSpeed: ",
        "Aperture: ",
        "MaxAperture: ",
        "Compressed BPP: ",
        "ISO speed: 400",
        "PixelXDimension: 3072",
        "PixelYDimension: 2048",
        "XResolution: 72",
        "YResolution: 72",
        "MeteringMode: 5",
        "MeteringMethod: Pattern",
        "LightSource: 0 ()",
        "Flash: 25 (Flash (Auto))",
    };
    EXPECT_EQ(lines, expected);
}

TEST(PictureReport, PictureWithoutExifGivesTheShortForm) {
    const TExif exif = ReadBytes(JpegWriter().jfif().picture().bytes());
    const std::vector<std::string> expected = {"Exif Header is not valid", "Filename : plain.jpg",
                                               "File Size: 1KB", "Dimension: 8 x 8"};
    EXPECT_EQ(ReportLinesFromRecord({"plain.jpg", "1KB", 8, 8}, exif, ExifOutcome::Read), expected);
}

// The file form runs the reader itself: the error form must come from a reader that raised, and
// the file name line must hold the name alone.
TEST(PictureReport, UnreadableExifBlockGivesTheErrorFormWithTheNameAlone) {
    TempDir folder;
    platform::setDriveMap({{'C', folder.path(), platform::DRIVE_FIXED, "", true}});
    // An IFD0 count of 0 makes the reader walk 100 entries, past the end of this small file.
    TiffBlock block;
    block.ascii(Directory::Ifd0, tag::Make, "Canon").ifd0Count(0);
    std::filesystem::create_directories(folder / "Deep/er");
    JpegWriter().exif(block).writeFile(folder / "Deep/er/broken.jpg");
    const std::vector<std::string> lines = PictureReportLines("C:\\Deep\\er\\broken.jpg", 10, 20);
    platform::setDriveMap({});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Error reading file");
    EXPECT_EQ(lines[1], "Filename : broken.jpg");
    EXPECT_EQ(lines[3], "Dimension: 10 x 20");
}

} // namespace
