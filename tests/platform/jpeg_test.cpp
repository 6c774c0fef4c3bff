// The libjpeg adapter: round trips, DCT-scaled decoding, greyscale and CMYK input, damaged and
// truncated files, writing through a temporary name, header-only size and picture loading.
#include "platform/qt/jpeg.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include "platform/core/drives.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;

namespace {

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
    return image;
}

// A JPEG written straight through libjpeg in a colour space the adapter does not write itself.
std::string encodeRaw(int width, int height, int components, J_COLOR_SPACE space, uint8_t value,
                      bool adobeMarker = true) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    cinfo.write_Adobe_marker = adobeMarker;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(width) * components, value);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

QImage decode(const std::string& bytes, QSize fit = {}) {
    return decodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fit);
}

TEST(Jpeg, RoundTripKeepsSizeAndColours) {
    const QImage source = gradient(64, 48);
    const std::string bytes = encodeJpeg(source, 95);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(uint8_t(bytes[0]), 0xFF);
    EXPECT_EQ(uint8_t(bytes[1]), 0xD8);
    const QImage back = decode(bytes);
    ASSERT_EQ(back.size(), QSize(64, 48));
    for (const QPoint p : {QPoint(5, 5), QPoint(60, 10), QPoint(32, 40)}) {
        EXPECT_NEAR(qRed(back.pixel(p)), qRed(source.pixel(p)), 8);
        EXPECT_NEAR(qGreen(back.pixel(p)), qGreen(source.pixel(p)), 8);
        EXPECT_NEAR(qBlue(back.pixel(p)), qBlue(source.pixel(p)), 8);
    }
    // Lower quality, smaller file.
    EXPECT_LT(encodeJpeg(source, 10).size(), bytes.size());
    // Transparent and indexed pictures are encoded too.
    QImage alpha(10, 10, QImage::Format_ARGB32);
    alpha.fill(qRgba(0, 0, 255, 100));
    EXPECT_EQ(decode(encodeJpeg(alpha)).size(), QSize(10, 10));
    EXPECT_THROW(encodeJpeg(QImage()), EJpegError);
}

TEST(Jpeg, ScaledDecodingPicksTheLargestReductionThatStillCoversTheBox) {
    const std::string big = encodeJpeg(gradient(800, 600));
    EXPECT_EQ(decode(big).size(), QSize(800, 600));
    EXPECT_EQ(decode(big, QSize(100, 75)).size(), QSize(100, 75));   // 1/8
    EXPECT_EQ(decode(big, QSize(150, 150)).size(), QSize(200, 150)); // 1/4: height fits the box
    EXPECT_EQ(decode(big, QSize(300, 200)).size(), QSize(400, 300)); // 1/2
    EXPECT_EQ(decode(big, QSize(700, 700)).size(), QSize(800, 600)); // full size
    const std::string panorama = encodeJpeg(gradient(1600, 200));
    EXPECT_EQ(decode(panorama, QSize(160, 120)).size(), QSize(200, 25));
}

TEST(Jpeg, GreyscaleAndCmykComeOutAsRgb) {
    const QImage grey = decode(encodeRaw(16, 8, 1, JCS_GRAYSCALE, 200));
    ASSERT_EQ(grey.size(), QSize(16, 8));
    EXPECT_EQ(grey.format(), QImage::Format_RGB32);
    EXPECT_NEAR(qRed(grey.pixel(3, 3)), 200, 2);
    EXPECT_NEAR(qBlue(grey.pixel(3, 3)), 200, 2);
    // No ink at all is white: stored inverted under an Adobe marker, plain without one.
    const QImage adobe = decode(encodeRaw(16, 16, 4, JCS_CMYK, 255, true));
    ASSERT_EQ(adobe.size(), QSize(16, 16));
    EXPECT_NEAR(qRed(adobe.pixel(8, 8)), 255, 3);
    EXPECT_NEAR(qGreen(adobe.pixel(8, 8)), 255, 3);
    const QImage plain = decode(encodeRaw(16, 16, 4, JCS_CMYK, 0, false));
    EXPECT_NEAR(qBlue(plain.pixel(8, 8)), 255, 3);
    // Full black ink is black either way.
    EXPECT_NEAR(qRed(decode(encodeRaw(8, 8, 4, JCS_CMYK, 0, true)).pixel(4, 4)), 0, 3);
}

TEST(Jpeg, DamagedAndTruncatedData) {
    const std::string good = encodeJpeg(gradient(200, 200));
    // A cut-off file shows what is there.
    const QImage part = decode(good.substr(0, good.size() / 2));
    EXPECT_EQ(part.size(), QSize(200, 200));
    EXPECT_NEAR(qRed(part.pixel(100, 5)), 127, 10);

    try {
        decode("this is not a picture at all");
        FAIL() << "no error";
    } catch (const EJpegError& error) {
        EXPECT_NE(std::string(error.what()).find("JPEG"), std::string::npos) << error.what();
    }
    EXPECT_THROW(decode(good.substr(0, 20)), EJpegError);
    EXPECT_THROW(decodeJpeg(nullptr, 0), EJpegError);
}

class JpegFiles : public ::testing::Test {
protected:
    void SetUp() override { setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true}}); }
    void TearDown() override { setDriveMap({}); }
    TempDir c;
};

TEST_F(JpegFiles, SaveLoadSizeAndPictureTypes) {
    saveJpeg(gradient(150, 100), "C:\\thumb.JPG");
    EXPECT_EQ(std::filesystem::directory_iterator(c.path())->path().filename(), "thumb.JPG");
    EXPECT_EQ(jpegSize("C:\\thumb.JPG").width, 150);
    EXPECT_EQ(jpegSize("C:\\thumb.JPG").height, 100);
    EXPECT_EQ(loadJpeg("C:\\thumb.jpg").size(), QSize(150, 100));
    EXPECT_EQ(loadPicture("C:\\thumb.JPG", QSize(20, 20)).size(), QSize(38, 25));

    // Saving again replaces the file as a whole.
    saveJpeg(gradient(30, 20), "C:\\thumb.JPG");
    EXPECT_EQ(jpegSize("C:\\thumb.JPG").width, 30);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.path()), {}), 1);

    EXPECT_THROW(saveJpeg(gradient(10, 10), "C:\\nowhere\\x.jpg"), EJpegError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.path()), {}), 1);
    EXPECT_THROW(loadJpeg("C:\\missing.jpg"), EJpegError);
    EXPECT_THROW(jpegSize("Q:\\x.jpg"), EJpegError);
    writeFile(c / "text.jpg", "not a jpeg");
    EXPECT_THROW(jpegSize("C:\\text.jpg"), EJpegError);

    ASSERT_TRUE(gradient(12, 9).save(QString::fromStdString(c / "p.png")));
    EXPECT_EQ(loadPicture("C:\\p.PNG").size(), QSize(12, 9));
    try {
        loadPicture("C:\\p.xyz");
        FAIL() << "no error";
    } catch (const EJpegError& error) {
        EXPECT_STREQ(error.what(), "Unknown picture file extension (.xyz)");
    }
}

// Bytes this process has read from files so far.
uint64_t bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            return value;
    }
    return 0;
}

// What loading gives: the picture's size, or the error's text.
std::string loaded(const std::string& path, QSize fit = {}) {
    try {
        const QImage image = loadPicture(path, fit);
        return std::to_string(image.width()) + "x" + std::to_string(image.height());
    } catch (const EJpegError& error) {
        return error.what();
    }
}

TEST_F(JpegFiles, OnlyRegularFilesOfASaneSizeAreLoaded) {
    // A pipe and a device under picture names are refused before anything is read from them.
    ASSERT_EQ(::mkfifo((c / "pipe.jpg").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((c / "pipe.png").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", c / "zero.jpg");
    for (const char* path : {"C:\\pipe.jpg", "C:\\pipe.png", "C:\\zero.jpg"})
        EXPECT_NE(loaded(path).find("not a regular file"), std::string::npos) << path;
    EXPECT_THROW(jpegSize("C:\\zero.jpg"), EJpegError);

    // A picture whose header declares 17,000 x 17,000 pixels would need 1.1 GB decoded; the
    // same picture fitted into a small box needs an eighth of that each way.
    std::string huge = encodeJpeg(gradient(16, 16));
    const size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    for (size_t at : {frame + 5, frame + 7}) { // height, then width, big-endian
        huge[at] = static_cast<char>(17000 >> 8);
        huge[at + 1] = static_cast<char>(17000 & 0xFF);
    }
    writeFile(c / "huge.jpg", huge);
    EXPECT_NE(loaded("C:\\huge.jpg").find("too large"), std::string::npos);
    EXPECT_EQ(jpegSize("C:\\huge.jpg").width, 17000);

    // A file of 256 MB that holds a small picture at its start is decoded from the file, not
    // read whole first.
    saveJpeg(gradient(20, 10), "C:\\sparse.jpg");
    ASSERT_EQ(::truncate((c / "sparse.jpg").c_str(), off_t{256} << 20), 0);
    const uint64_t before = bytesReadSoFar();
    EXPECT_EQ(loaded("C:\\sparse.jpg"), "20x10");
    EXPECT_LT(bytesReadSoFar() - before, uint64_t{1} << 20);
}

TEST(JpegCamera, CameraPicturesDecodeAtTheirHeaderSize) {
    const std::filesystem::path folder = std::filesystem::path(LUMO_TESTDATA) / "photos";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no camera pictures";
    setDriveMap({{'C', folder.string(), DRIVE_FIXED, "", true}});
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".jpg" || checked >= 5)
            continue;
        const std::string program = "C:\\" + entry.path().filename().string();
        const JpegSize size = jpegSize(program);
        const QImage image = loadJpeg(program);
        EXPECT_EQ(image.width(), size.width) << program;
        EXPECT_EQ(image.height(), size.height) << program;
        const QImage small = loadJpeg(program, QSize(160, 120));
        EXPECT_LE(small.width(), size.width);
        EXPECT_TRUE(small.width() >= 160 || small.height() >= 120 || small.size() == image.size())
            << program;
        ++checked;
    }
    setDriveMap({});
    EXPECT_GT(checked, 0);
}

} // namespace
