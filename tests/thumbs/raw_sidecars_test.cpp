// Raw preview sidecars: the fitting of MakeThumbnail, convertraw on raw files built here and on
// damaged ones, the temporary preview in the user's own folder, and the raw step of a listing.
// These guard what the program writes beside the user's raw files, so none of them needs the
// camera files.
#include "thumbs/extraction/raw_sidecars.h"

#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/core/files.h"
#include "platform/core/private_folder.h"
#include "tests/thumbs/picture_fixture.h"

namespace {

namespace fs = std::filesystem;

// A JPEG stream with a frame header and no picture after it.
lumo::test::Bytes NoImage() {
    return lumo::test::JpegWriter()
        .segment(0xC0, {8, 0, 8, 0, 8, 1, 1, 0x11, 0})
        .raw({0xFF, 0xD9})
        .bytes();
}

QImage DecodedBytes(const std::string& bytes) {
    return platform::decodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string Sidecar(const QImage& source) {
    const lumo::test::Bytes jpeg = Encoded(source);
    std::istringstream in(std::string(jpeg.begin(), jpeg.end()));
    std::ostringstream out;
    MakeThumbnail(in, out, 150, 100, platform::rgbOf(255, 255, 255));
    return out.str();
}

TEST(MakeThumbnail, FitsWidthOfWidePicturesAndFramesTallOnesInWhite) {
    struct Case {
        QSize source;
        std::vector<int> whiteColumns; // at the middle row
        std::vector<int> pictureColumns;
        std::vector<int> pictureRows; // at the middle column; 0 and 99 mean it fills the height
    };
    const Case cases[] = {
        {{1536, 1024}, {}, {2, 75, 147}, {2, 50, 97}},
        {{400, 300}, {}, {2, 75, 147}, {0, 50, 99}}, // overflows: no white row top or bottom
        {{300, 400}, {10, 33, 116, 140}, {40, 75, 108}, {2, 97}},
        {{100, 100}, {10, 21, 128, 140}, {29, 75, 120}, {2, 97}},
    };
    for (const Case& c : cases) {
        const QImage sidecar =
            DecodedBytes(Sidecar(Solid(c.source.width(), c.source.height(), Qt::darkBlue)));
        ASSERT_EQ(sidecar.size(), QSize(150, 100));
        for (int x : c.whiteColumns)
            EXPECT_TRUE(Near(sidecar.pixelColor(x, 50), platform::rgbOf(255, 255, 255)))
                << c.source.width() << " " << x;
        for (int x : c.pictureColumns)
            EXPECT_TRUE(Near(sidecar.pixelColor(x, 50), Qt::darkBlue))
                << c.source.width() << " " << x;
        for (int y : c.pictureRows)
            EXPECT_TRUE(Near(sidecar.pixelColor(75, y), Qt::darkBlue))
                << c.source.width() << " row " << y;
    }
}

TEST(MakeThumbnail, ChecksTheSizeBeforeReadingAnything) {
    std::istringstream in("whatever");
    std::ostringstream out;
    for (const auto& [width, height, message] :
         {std::tuple{0, 100, "Invalid Width"}, std::tuple{-3, 0, "Invalid Width"},
          std::tuple{150, 0, "Invalid Height"}}) {
        try {
            MakeThumbnail(in, out, width, height, platform::rgbOf(255, 255, 255));
            ADD_FAILURE() << "no error";
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
    EXPECT_EQ(in.tellg(), 0);
    EXPECT_TRUE(out.str().empty());
}

class RawSidecars : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        // The user's runtime folder, inside the mapped drive so the pipeline can name it.
        fs::create_directory(Host("run"));
        fs::permissions(Host("run"), fs::perms::owner_all, fs::perm_options::replace);
        savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(Host("run")));
    }
    void TearDown() override {
        qputenv("XDG_RUNTIME_DIR", savedRuntime_);
        PictureFixture::TearDown();
    }
    std::vector<std::string> RawStep(TRawPipeline& pipeline, int* processed = nullptr) {
        return RunRawStep(pipeline, Program("Shots/"), [processed] {
            if (processed)
                ++*processed;
        });
    }
    bool Exists(const std::string& relative) const { return fs::exists(Host(relative)); }

    QByteArray savedRuntime_;
};

TEST_F(RawSidecars, ConvertrawTakesThePreviewStripElseTheThumbnail) {
    WriteRaw("full.CR2", 300, 200, Qt::blue, 160, 120, Qt::red);
    WriteRaw("thumbnail.CR2", 0, 0, Qt::blue, 160, 120, Qt::red);
    struct Case {
        const char* file;
        platform::JpegSize preview;
        QColor color;
    };
    for (const Case& c :
         {Case{"full.CR2", {300, 200}, Qt::blue}, Case{"thumbnail.CR2", {160, 120}, Qt::red}}) {
        TRawPipeline pipeline;
        pipeline.CurrentRawPath = Program(c.file);
        convertraw(pipeline);
        // The temporary preview lies in the user's own folder, which only the user may enter.
        EXPECT_EQ(pipeline.TempPreviewPath, Program("run/lumograph/thumb.tmp.jpg"));
        struct stat st {};
        ASSERT_EQ(::stat(Host("run/lumograph").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        const platform::JpegSize size = platform::jpegSize(pipeline.TempPreviewPath);
        EXPECT_EQ(size.width, c.preview.width) << c.file;
        EXPECT_EQ(size.height, c.preview.height) << c.file;
        const QImage preview(QString::fromStdString(Host("run/lumograph/thumb.tmp.jpg")));
        EXPECT_TRUE(Near(preview.pixelColor(80, 60), c.color)) << c.file;
    }
}

TEST_F(RawSidecars, AFailedConvertrawLeavesNoOlderPreviewBehind) {
    lumo::test::writeFile(Host("bad.CR2"), "II*\0 not really a raw file");
    TRawPipeline pipeline;
    pipeline.CurrentRawPath = Program("bad.CR2");
    const auto folder = platform::privateTempFolder();
    ASSERT_TRUE(folder);
    WritePicture("run/lumograph/thumb.tmp.jpg", 30, 20, Qt::red); // another raw file's preview
    try {
        convertraw(pipeline);
        ADD_FAILURE() << "no error";
    } catch (const ERawPreviewError& error) {
        EXPECT_NE(std::string(error.what()).find("C:\\bad.CR2"), std::string::npos);
    }
    EXPECT_FALSE(Exists("run/lumograph/thumb.tmp.jpg"));
}

TEST_F(RawSidecars, TheTemporaryFolderIsNeverOneSomebodyElsePlanted) {
    fs::create_directory(Host("elsewhere"));
    fs::create_directory_symlink(Host("elsewhere"), Host("run/lumograph"));
    EXPECT_FALSE(platform::privateTempFolder());
    TRawPipeline pipeline;
    pipeline.CurrentRawPath = Program("x.CR2");
    EXPECT_THROW(convertraw(pipeline), ERawPreviewError);
    EXPECT_TRUE(fs::is_empty(Host("elsewhere")));
    // A folder of the user's own with wider rights is narrowed again.
    fs::remove(Host("run/lumograph"));
    fs::create_directory(Host("run/lumograph"));
    fs::permissions(Host("run/lumograph"), fs::perms::all, fs::perm_options::replace);
    EXPECT_TRUE(platform::privateTempFolder());
    EXPECT_EQ(fs::status(Host("run/lumograph")).permissions(), fs::perms::owner_all);
}

TEST_F(RawSidecars, TheRawStepWritesHiddenSidecarsOncePerRawFile) {
    fs::create_directory(Host("Shots"));
    WriteRaw("Shots/IMG_0001.CR2", 1536, 1024, Qt::blue, 160, 120);
    WriteRaw("Shots/IMG_0002.CR2", 0, 0, Qt::blue, 160, 120);
    WriteRaw("Shots/img.cr2", 0, 0, Qt::blue, 160, 120);
    WritePicture("Shots/photo.jpg", 64, 48, Qt::blue);
    TRawPipeline pipeline;
    int processed = 0;
    EXPECT_TRUE(RawStep(pipeline, &processed).empty());
    // One conversion per raw file, pending messages handled after each.
    EXPECT_EQ(processed, 3);
    EXPECT_TRUE(pipeline.SourceFiles.empty());
    for (const char* sidecar : {"IMG_0001.CR2.JPG", "IMG_0002.CR2.JPG", "img.cr2.CR2.JPG"}) {
        const std::string path = Program(std::string("Shots/") + sidecar);
        const platform::JpegSize size = platform::jpegSize(path);
        EXPECT_EQ(size.width, 150) << sidecar;
        EXPECT_EQ(size.height, 100) << sidecar;
        const uint32_t attributes = platform::getFileAttributes(path);
        EXPECT_EQ(attributes & (platform::FILE_ATTRIBUTE_HIDDEN | platform::FILE_ATTRIBUTE_ARCHIVE |
                                platform::FILE_ATTRIBUTE_READONLY),
                  uint32_t(platform::FILE_ATTRIBUTE_HIDDEN))
            << sidecar;
    }
    // With their sidecars there, the next listing converts only the lower-case raw file, whose
    // sidecar is never the name the existence test looks for.
    processed = 0;
    EXPECT_TRUE(RawStep(pipeline, &processed).empty());
    EXPECT_EQ(processed, 1);
}

TEST_F(RawSidecars, ADamagedRawFileDoesNotStopTheOthers) {
    fs::create_directory(Host("Shots"));
    lumo::test::writeFile(Host("Shots/A_damaged.CR2"), "not a raw file");
    WriteRaw("Shots/B_good.CR2", 300, 200, Qt::blue);
    TRawPipeline pipeline;
    const std::vector<std::string> errors = RawStep(pipeline);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("A_damaged.CR2"), std::string::npos);
    EXPECT_FALSE(Exists("Shots/A_damaged.CR2.JPG"));
    EXPECT_TRUE(Exists("Shots/B_good.CR2.JPG"));
}

TEST_F(RawSidecars, AConversionThatFailsLeavesNothingUnderTheSidecarsName) {
    fs::create_directory(Host("Shots"));
    // A raw file whose preview is a whole JPEG stream that cannot be decoded.
    lumo::test::writeBytes(Host("Shots/X.CR2"), lumo::test::CanonRawFile(NoImage()));
    TRawPipeline pipeline;
    const std::vector<std::string> errors = RawStep(pipeline);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(Exists("Shots/X.CR2.JPG"));
    // Nor any half-written file under another name.
    for (const auto& entry : fs::directory_iterator(Host("Shots")))
        EXPECT_EQ(entry.path().filename(), "X.CR2");
}

TEST_F(RawSidecars, MakeThumbnailFileNamesASourceItCannotOpen) {
    lumo::test::writeFile(Host("keep.jpg"), "older sidecar");
    try {
        MakeThumbnailFile(Program("missing.jpg"), Program("keep.jpg"), 150, 100,
                          platform::rgbOf(255, 255, 255));
        ADD_FAILURE() << "no error";
    } catch (const ERawPreviewError& error) {
        EXPECT_NE(std::string(error.what()).find("C:\\missing.jpg"), std::string::npos);
    }
    EXPECT_EQ(lumo::test::readFile(Host("keep.jpg")), "older sidecar");
}

} // namespace
