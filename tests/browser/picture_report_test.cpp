// The properties report lines: the full form of a picture with EXIF, the short form without, and
// the error form when the EXIF block cannot be read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "browser/core/picture_report.h"
#include "platform/drives.h"
#include "tests/support/jpeg_writer.h"

using namespace lumo::test;

namespace {

class PictureReport : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumo-report-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        platform::setDriveMap({{'C', folder_, platform::DRIVE_FIXED, "", true}});
    }
    void TearDown() override {
        platform::setDriveMap({});
        std::filesystem::remove_all(folder_);
    }
    // Writes the bytes as C:\NAME and returns the program path.
    std::string write(const std::string& name, const JpegWriter& jpeg) {
        jpeg.writeFile(folder_ + "/" + name);
        return "C:\\" + name;
    }
    std::string folder_;
};

TEST_F(PictureReport, FullFormHasThirtyLabelledLinesInOrder) {
    TiffBlock block(ByteOrder::Motorola);
    block.ascii(Directory::Ifd0, 0x010F, "Canon")
        .ascii(Directory::Ifd0, 0x0110, "Canon EOS 40D")
        .ascii(Directory::Ifd0, 0x010E, "Harbour")
        .shorts(Directory::Ifd0, 0x0112, {6})
        .rational(Directory::Ifd0, 0x011A, 72, 1)
        .rational(Directory::Ifd0, 0x011B, 72, 1)
        .rational(Directory::Exif, 0x829A, 1, 60)
        .rational(Directory::Exif, 0x829D, 28, 10)
        .shorts(Directory::Exif, 0x8827, {400})
        .shorts(Directory::Exif, 0x9207, {5})
        .shorts(Directory::Exif, 0x9209, {25})
        .longs(Directory::Exif, 0xA002, {3072})
        .longs(Directory::Exif, 0xA003, {2048});
    const std::string path = write("full.jpg", JpegWriter().jfif().exif(block).picture());

    const std::vector<std::string> lines = PictureReportLines(path, 3072, 2048);
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

TEST_F(PictureReport, PictureWithoutExifGivesTheShortForm) {
    const std::string path = write("plain.jpg", JpegWriter().jfif().picture());
    const std::vector<std::string> expected = {"Exif Header is not valid", "Filename : plain.jpg",
                                               "File Size: 1KB", "Dimension: 8 x 8"};
    EXPECT_EQ(PictureReportLines(path, 8, 8), expected);
}

TEST_F(PictureReport, UnreadableExifBlockGivesTheErrorForm) {
    // An IFD0 count of 0 makes the reader walk 100 entries, past the end of this small file.
    TiffBlock block;
    block.ascii(Directory::Ifd0, 0x010F, "Canon").ifd0Count(0);
    const std::string path = write("broken.jpg", JpegWriter().exif(block));
    const std::vector<std::string> lines = PictureReportLines(path, 10, 20);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Error reading file");
    EXPECT_EQ(lines[1], "Filename : broken.jpg");
    EXPECT_EQ(lines[3], "Dimension: 10 x 20");
}

TEST_F(PictureReport, FileNameLineNeverHoldsTheFolder) {
    std::filesystem::create_directories(folder_ + "/Deep/er");
    JpegWriter().picture().writeFile(folder_ + "/Deep/er/x.jpg");
    const std::vector<std::string> lines = PictureReportLines("C:\\Deep\\er\\x.jpg", 8, 8);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Filename : x.jpg");
}

} // namespace
