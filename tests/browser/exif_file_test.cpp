// ReadExifFile on files named by program paths: what a missing file, a folder or an unreadable
// file does to the record, and that the file is closed on every way out.
#include "exif/exif.h"

#include <filesystem>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "browser/core/picture_texts.h"
#include "exif/exif_tags.h"
#include "platform/core/drives.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/temp_dir.h"

using namespace lumo::test;
namespace tag = exif::tag;

namespace {

std::string ProgramPath(const std::string& hostPath) {
    return platform::fromHostPath(hostPath);
}

size_t OpenDescriptors() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}

TiffBlock Camera() {
    TiffBlock block;
    block.ascii(Directory::Ifd0, tag::Make, "Canon").shorts(Directory::Exif, tag::IsoSpeed, {200});
    return block;
}

} // namespace

TEST(ExifFile, ReadsThroughTheProgramPath) {
    TempDir dir;
    JpegWriter().jfif().exif(Camera()).picture().writeFile(dir / "a.jpg");
    TExif exif;
    ReadExifFile(exif, ProgramPath(dir / "a.jpg"));
    EXPECT_TRUE(exif.Valid);
    EXPECT_EQ(exif.Make, "Canon");
    EXPECT_EQ(exif.ISOSpeed, 200);
}

TEST(ExifFile, MissingFilesAndFoldersLeaveTheRecordAlone) {
    TempDir dir;
    JpegWriter().exif(Camera()).writeFile(dir / "a.jpg");
    std::filesystem::create_directory(dir / "folder.jpg");
    TExif exif;
    ReadExifFile(exif, ProgramPath(dir / "a.jpg"));
    ASSERT_EQ(exif.Make, "Canon");
    for (const std::string& path :
         {ProgramPath(dir / "missing.jpg"), ProgramPath(dir / "folder.jpg"),
          std::string("no drive letter")}) {
        EXPECT_NO_THROW(ReadExifFile(exif, path)) << path;
        EXPECT_TRUE(exif.Valid) << path;
        EXPECT_EQ(exif.Make, "Canon") << path;
    }
}

TEST(ExifFile, ReadErrorsCloseTheFileAndNameIt) {
    TempDir dir;
    Bytes cut = JpegWriter().exif(Camera()).bytes();
    cut.resize(20); // inside IFD0
    writeBytes(dir / "cut.jpg", cut);
    TExif exif;
    const size_t before = OpenDescriptors();
    try {
        ReadExifFile(exif, ProgramPath(dir / "cut.jpg"));
        ADD_FAILURE() << "a cut IFD0 must raise an I/O error";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("cut.jpg"), std::string::npos) << error.what();
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(exif.Valid);
}

TEST(ExifFile, SpecialFilesAreIoErrorsOnAnEmptyRecord) {
    TempDir dir;
    JpegWriter().exif(Camera()).writeFile(dir / "a.jpg");
    ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
    TExif exif;
    ReadExifFile(exif, ProgramPath(dir / "a.jpg"));
    // A FIFO would block an ordinary open; it is refused instead.
    EXPECT_THROW(ReadExifFile(exif, ProgramPath(dir / "pipe.jpg")), EInOutError);
    EXPECT_FALSE(exif.Valid);
    EXPECT_EQ(exif.Make, "");
}

TEST(ExifFile, FilesWithoutReadPermissionAreIoErrors) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not keep root from reading";
    TempDir dir;
    JpegWriter().exif(Camera()).writeFile(dir / "a.jpg");
    std::filesystem::permissions(dir / "a.jpg", std::filesystem::perms::none);
    TExif exif;
    EXPECT_THROW(ReadExifFile(exif, ProgramPath(dir / "a.jpg")), EInOutError);
}
