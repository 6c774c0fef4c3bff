// The tools' Qt-free header reader against the picture loaders' reader of the same file: on whole,
// cut and damaged pictures both give the same size or the same message.
#include "platform/jpeg/jpeg_header.h"

#include <functional>
#include <string>

#include <QImage>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/qt/jpeg.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;

namespace {

// Bytes that fail to read beyond a point, as a medium that reports an error there.
class FailingSource final : public ByteSource {
public:
    FailingSource(const std::string& bytes, uint64_t failFrom)
        : bytes_(bytes), failFrom_(failFrom) {}
    uint64_t size() const override { return bytes_.size(); }
    size_t readAt(uint64_t pos, uint8_t* dst, size_t n) override {
        if (pos >= failFrom_)
            throw EInOutError("read error");
        return MemorySource({reinterpret_cast<const uint8_t*>(bytes_.data()), bytes_.size()})
            .readAt(pos, dst, n);
    }

private:
    const std::string& bytes_;
    uint64_t failFrom_;
};

std::string Outcome(const std::function<JpegFrameSize()>& read) {
    try {
        const JpegFrameSize size = read();
        return std::to_string(size.width) + "x" + std::to_string(size.height);
    } catch (const std::exception& error) {
        return error.what();
    }
}

std::string HeaderOutcome(ByteSource& source, const std::string& path) {
    return Outcome([&] { return readJpegFrameSize(source, path); });
}

// What the picture loaders' reader makes of the file at a program path.
std::string LoaderOutcome(const std::string& path) {
    return Outcome([&] {
        const JpegSize size = jpegSize(path);
        return JpegFrameSize{size.width, size.height};
    });
}

class JpegHeader : public ::testing::Test {
protected:
    void SetUp() override { setDriveMap({{'C', dir.path(), DRIVE_FIXED, "", true}}); }
    void TearDown() override { setDriveMap({}); }
    TempDir dir;
};

} // namespace

TEST_F(JpegHeader, ReadsAsThePictureLoadersDo) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const std::string picture = encodeJpeg(image);
    // An APP2 segment of 6,000 bytes puts the frame header beyond the first read of 4 KB.
    const std::string padded =
        picture.substr(0, 2) + "\xFF\xE2\x17\x70" + std::string(6000 - 2, 'x') + picture.substr(2);
    std::string huge = picture;
    const size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    huge[frame + 5] = huge[frame + 7] = '\x42'; // 17,000-odd pixels each way
    std::string flat = picture;
    flat[frame + 5] = flat[frame + 6] = '\0'; // no rows

    const std::pair<const char*, std::string> cases[] = {
        {"whole", picture},
        {"padded", padded},
        {"huge", huge},
        {"flat", flat},
        {"empty", ""},
        {"marker only", picture.substr(0, 2)},
        {"cut in the frame header", picture.substr(0, frame + 6)},
        {"cut before the scan", picture.substr(0, picture.find("\xFF\xDA"))},
        {"cut in the long segment", padded.substr(0, 5000)},
        {"text", "not a picture"},
    };
    for (const auto& [name, bytes] : cases) {
        const std::string path = std::string("C:\\") + name + ".jpg";
        writeFile(dir / (std::string(name) + ".jpg"), bytes);
        MemorySource source({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
        EXPECT_EQ(HeaderOutcome(source, path), LoaderOutcome(path)) << name;
    }
    MemorySource whole({reinterpret_cast<const uint8_t*>(picture.data()), picture.size()});
    EXPECT_EQ(HeaderOutcome(whole, "C:\\whole.jpg"), "40x30");

    // A read that fails ends the data there, as the end of a file cut at that point does.
    writeFile(dir / "cut.jpg", padded.substr(0, 4096));
    FailingSource failing(padded, 4096);
    EXPECT_EQ(HeaderOutcome(failing, "C:\\cut.jpg"), LoaderOutcome("C:\\cut.jpg"));
}
