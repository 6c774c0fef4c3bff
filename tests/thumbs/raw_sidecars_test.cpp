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
#include "tests/support/picture_writer.h"
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
        // The temporary preview is a file of this conversion's own in the user's own folder,
        // which only the user may enter.
        const std::string folder = Program("run/lumograph/");
        EXPECT_EQ(pipeline.TempPreviewPath.rfind(folder + "thumb-", 0), 0u);
        EXPECT_TRUE(pipeline.TempPreviewPath.ends_with(".tmp.jpg"));
        EXPECT_EQ(pipeline.TempPreviewPath.size(), folder.size() + 20);
        EXPECT_EQ(pipeline.TempPreviewOf, pipeline.CurrentRawPath);
        struct stat st {};
        ASSERT_EQ(::stat(Host("run/lumograph").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        const platform::JpegSize size = platform::jpegSize(pipeline.TempPreviewPath);
        EXPECT_EQ(size.width, c.preview.width) << c.file;
        EXPECT_EQ(size.height, c.preview.height) << c.file;
        const QImage preview(QString::fromStdString(
            Host("run/lumograph/" + pipeline.TempPreviewPath.substr(folder.size()))));
        EXPECT_TRUE(Near(preview.pixelColor(80, 60), c.color)) << c.file;
    }
}

// Two listings that make sidecars at once, in two programs or in one, never share a preview:
// each sidecar comes from its own raw file, whatever the other listing did in between, and a
// file queued without being the preview just taken from the current raw file makes no sidecar.
// No preview stays behind in the user's temporary folder.
TEST_F(RawSidecars, TwoListingsAtOnceEachMakeTheSidecarOfTheirOwnRawFile) {
    for (const char* folder : {"One", "Two"})
        fs::create_directory(Host(folder));
    WriteRaw("One/IMG_1.CR2", 300, 200, Qt::blue);
    WriteRaw("One/IMG_2.CR2", 300, 200, Qt::yellow);
    WriteRaw("Two/IMG_1.CR2", 300, 200, Qt::red);
    WritePicture("other.jpg", 300, 200, Qt::green);
    TRawPipeline one;
    TRawPipeline two;
    const auto select = [](TRawPipeline& pipeline, const std::string& raw) {
        pipeline.CurrentRawFolder = Program(raw.substr(0, 4));
        pipeline.CurrentRawPath = pipeline.CurrentRawFolder + "\\" + raw.substr(4);
    };
    select(one, "One/IMG_1.CR2");
    convertraw(one);
    QueueRawPreview(one);
    select(two, "Two/IMG_1.CR2");
    convertraw(two);
    QueueRawPreview(two);
    CreateSidecars(one, {});
    CreateSidecars(two, {});
    select(one, "One/IMG_2.CR2");
    convertraw(one);
    QueueRawPreview(one);
    one.SourceFiles.push_back(Program("other.jpg"));
    CreateSidecars(one, {});
    const std::pair<const char*, QColor> sidecars[] = {{"One/IMG_1.CR2.JPG", Qt::blue},
                                                       {"Two/IMG_1.CR2.JPG", Qt::red},
                                                       {"One/IMG_2.CR2.JPG", Qt::yellow}};
    for (const auto& [sidecar, color] : sidecars) {
        const QImage picture(QString::fromStdString(Host(sidecar)));
        ASSERT_EQ(picture.size(), QSize(150, 100)) << sidecar;
        EXPECT_TRUE(Near(picture.pixelColor(75, 50), color)) << sidecar;
    }
    EXPECT_TRUE(fs::is_empty(Host("run/lumograph")));
}

// A failed convertraw leaves no preview behind: neither an older one at a path the caller gave,
// nor a file of its own.
TEST_F(RawSidecars, AFailedConvertrawLeavesNoPreviewBehind) {
    lumo::test::writeFile(Host("bad.CR2"), "II*\0 not really a raw file");
    for (const std::string given : {"", "given.jpg"}) {
        if (!given.empty())
            WritePicture(given, 30, 20, Qt::red); // another raw file's preview
        TRawPipeline pipeline;
        pipeline.CurrentRawPath = Program("bad.CR2");
        pipeline.TempPreviewPath = given.empty() ? given : Program(given);
        try {
            convertraw(pipeline);
            ADD_FAILURE() << "no error";
        } catch (const ERawPreviewError& error) {
            EXPECT_NE(std::string(error.what()).find("C:\\bad.CR2"), std::string::npos);
        }
        EXPECT_FALSE(Exists("given.jpg"));
        EXPECT_TRUE(fs::is_empty(Host("run/lumograph")));
        EXPECT_EQ(pipeline.TempPreviewPath, given.empty() ? given : Program(given));
        EXPECT_TRUE(pipeline.TempPreviewOf.empty());
    }
}

TEST_F(RawSidecars, PreviewsLeftByAListingThatEndedHalfWayGoAfterADay) {
    ASSERT_TRUE(platform::privateTempFolder());
    const char* names[] = {"thumb-Ab12Cd.tmp.jpg", "thumb-Xy34Zw.tmp.jpg", "thumb-notes.tmp.jpg",
                           "thumbs-Ab12Cd.tmp.jpg"};
    for (const char* name : names)
        lumo::test::writeFile(Host(std::string("run/lumograph/") + name), "left");
    const auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
    for (const char* name :
         {"thumb-Ab12Cd.tmp.jpg", "thumb-notes.tmp.jpg", "thumbs-Ab12Cd.tmp.jpg"})
        fs::last_write_time(Host(std::string("run/lumograph/") + name), twoDaysAgo);
    WriteRaw("a.CR2", 300, 200, Qt::blue);
    TRawPipeline pipeline;
    pipeline.CurrentRawPath = Program("a.CR2");
    convertraw(pipeline);
    EXPECT_FALSE(Exists("run/lumograph/thumb-Ab12Cd.tmp.jpg"));
    for (const char* name :
         {"thumb-Xy34Zw.tmp.jpg", "thumb-notes.tmp.jpg", "thumbs-Ab12Cd.tmp.jpg"})
        EXPECT_TRUE(Exists(std::string("run/lumograph/") + name)) << name;
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

// A turned camera's raw file (built here: IFD0 with the orientation and a 3:2 preview strip)
// gets an upright sidecar: turned a quarter, the 2:3 picture is framed in white at both sides.
TEST_F(RawSidecars, SidecarsAreUprightByTheRawFilesOrientation) {
    const lumo::test::Quarters stored = lumo::test::distinctQuarters();
    const lumo::test::Bytes preview = Encoded(lumo::test::quarteredPicture(300, 200, stored));
    fs::create_directory(Host("Shots"));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        lumo::test::TiffLayout raw(lumo::test::ByteOrder::Intel, 16);
        raw.directory(16, {{0x0112, lumo::test::TIFF_SHORT, 1, uint32_t(orientation)},
                           {0x0111, lumo::test::TIFF_LONG, 1, 64},
                           {0x0117, lumo::test::TIFF_LONG, 1, uint32_t(preview.size())}});
        raw.data(64, preview);
        lumo::test::writeBytes(Host("Shots/IMG.CR2"), raw.bytes());
        fs::remove(Host("Shots/IMG.CR2.JPG"));
        TRawPipeline pipeline;
        ASSERT_TRUE(RawStep(pipeline).empty());
        const QImage sidecar = DecodedBytes(lumo::test::readFile(Host("Shots/IMG.CR2.JPG")));
        ASSERT_EQ(sidecar.size(), QSize(150, 100));
        // Drawn 150 x 100, or 67 x 100 at left 41 when a quarter turn makes it 2:3.
        const QRect drawn = orientation >= 5 ? QRect(41, 0, 67, 100) : QRect(0, 0, 150, 100);
        EXPECT_TRUE(lumo::test::nearColours(lumo::test::quarterColours(sidecar.copy(drawn)),
                                            lumo::test::uprightQuarters(stored, orientation)))
            << orientation;
        EXPECT_EQ(Near(sidecar.pixelColor(10, 50), Qt::white), orientation >= 5) << orientation;
    }
}

// Odd entries where a sidecar goes: a link whose target is gone is replaced by the sidecar and
// never written through; a folder of the sidecar's name is reported as a folder; a raw file whose
// name holds a backslash, which no path of the program can name, is reported.
TEST_F(RawSidecars, OddSidecarPathsAreMadeOrReported) {
    fs::create_directory(Host("Shots"));
    WriteRaw("Shots/A.CR2", 300, 200, Qt::blue);
    fs::create_symlink("target.jpg", Host("Shots/A.CR2.JPG"));
    WriteRaw("Shots/B.CR2", 300, 200, Qt::blue);
    fs::create_directory(Host("Shots/B.CR2.JPG"));
    WriteRaw("Shots/C\\D.CR2", 300, 200, Qt::blue);
    TRawPipeline pipeline;
    const std::vector<std::string> errors = RawStep(pipeline);

    EXPECT_FALSE(fs::is_symlink(Host("Shots/A.CR2.JPG")));
    EXPECT_EQ(QImage(QString::fromStdString(Host("Shots/A.CR2.JPG"))).size(), QSize(150, 100));
    EXPECT_FALSE(Exists("Shots/target.jpg"));
    EXPECT_TRUE(fs::is_directory(Host("Shots/B.CR2.JPG")));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(
        errors[0],
        "Cannot create file \"C:\\Shots\\B.CR2.JPG\". A folder of that name is in its place.");
    EXPECT_EQ(errors[1], "Cannot make the preview of raw file \"C\\D.CR2\" in C:\\Shots\\: a "
                         "backslash in its name separates folders in this program's paths.");
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
