// The shell item helpers over the shell's thumbnail extractor: what raises, what only means "no
// thumbnail", that no item list outlives a call, and what the extractor makes of a picture.
#include "thumbs/extraction/shell_items.h"

#include <filesystem>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "platform/core/debug_output.h"
#include "platform/headless/bitmap_depth.h"
#include "platform/headless/jpeg_thumbnail.h"
#include "platform/headless/png_reader.h"
#include "platform/headless/thumbnail_cache.h"
#include "platform/qt/bitmap_image.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/picture_writer.h"
#include "tests/support/tiff_layout.h"
#include "tests/thumbs/picture_fixture.h"

namespace {

using platform::HRESULT;

class ShellItems : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        platform::shGetMalloc(allocator_);
        listsBefore_ = allocator_->Outstanding();
    }
    void TearDown() override {
        EXPECT_EQ(allocator_->Outstanding(), listsBefore_) << "an item list was not freed";
        PictureFixture::TearDown();
    }
    std::shared_ptr<platform::ShellFolder> Folder() {
        return GetShellFolderFor(Program(""), *allocator_, cache_);
    }
    // The thumbnail of a picture in C:\ as the worker asks for it.
    platform::Bitmap Thumbnail(const std::string& name, uint32_t flags = platform::IEIFLAG_SCREEN,
                               uint32_t depth = 32, platform::ThumbnailSource* source = nullptr) {
        std::shared_ptr<platform::ExtractImage> extractor;
        EXPECT_TRUE(GetExtractImageFor(*Folder(), name, *allocator_, extractor)) << name;
        platform::Bitmap bitmap;
        TRunnableTaskSlot slot;
        if (extractor && !ExtractImageToBitmap(*extractor, 120, 120, depth, flags, slot, bitmap))
            ADD_FAILURE() << "no thumbnail of " << name;
        if (source && extractor)
            *source = extractor->LastSource();
        return bitmap;
    }

    // A frame and a scan but no Huffman tables: the outline reads, the decoder fails.
    void WriteBrokenPicture(const std::string& name) const {
        lumo::test::writeBytes(Host(name),
                               lumo::test::JpegWriter()
                                   .raw({0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08,
                                         0x01, 0x01, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01,
                                         0x01, 0x00, 0x00, 0x3F, 0x00, 0x12, 0x34, 0xFF, 0xD9})
                                   .bytes());
    }

    platform::ShellTaskAllocator* allocator_ = nullptr;
    long listsBefore_ = 0;
    std::string cache_; // the thumbnail cache's host folder; none
};

HRESULT ErrorCodeOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::EOleSysError& error) {
        return error.ErrorCode;
    }
    return platform::S_OK;
}

TEST_F(ShellItems, FoldersThatCannotBeBoundRaise) {
    WritePicture("a.jpg", 32, 32, Qt::blue);
    EXPECT_TRUE(GetShellFolderFor("C:", *allocator_));
    EXPECT_TRUE(GetShellFolderFor("C:\\", *allocator_));
    EXPECT_EQ(ErrorCodeOf([&] { GetShellFolderFor("C:\\missing", *allocator_); }),
              platform::HRESULT_FROM_WIN32(2));
    // A file parses, but is no folder to bind.
    EXPECT_EQ(ErrorCodeOf([&] { GetShellFolderFor("C:\\a.jpg", *allocator_); }),
              platform::E_INVALIDARG);
    EXPECT_EQ(ErrorCodeOf([&] { GetShellFolderFor("Q:\\", *allocator_); }),
              platform::HRESULT_FROM_WIN32(2));
    try {
        GetShellFolderFor("C:\\missing", *allocator_);
    } catch (const platform::EOleSysError& error) {
        EXPECT_STREQ(error.what(), "The system cannot find the file specified.");
    }
}

TEST_F(ShellItems, OnlyReadableJpegsHaveAnExtractor) {
    WritePicture("a.jpg", 32, 32, Qt::blue);
    lumo::test::writeFile(Host("notes.txt"), "some text");
    lumo::test::writeFile(Host("fake.jpg"), "not a picture");
    const auto folder = Folder();
    std::shared_ptr<platform::ExtractImage> extractor;
    EXPECT_TRUE(GetExtractImageFor(*folder, "a.jpg", *allocator_, extractor));
    EXPECT_TRUE(extractor);
    EXPECT_FALSE(GetExtractImageFor(*folder, "notes.txt", *allocator_, extractor));
    EXPECT_FALSE(extractor);
    EXPECT_FALSE(GetExtractImageFor(*folder, "fake.jpg", *allocator_, extractor));
    // A name that is not there raises: the worker ends on it.
    EXPECT_EQ(ErrorCodeOf([&] { GetExtractImageFor(*folder, "gone.jpg", *allocator_, extractor); }),
              platform::HRESULT_FROM_WIN32(2));
}

TEST_F(ShellItems, AsynchronousExtractionLeavesItsTaskAndStillExtracts) {
    WritePicture("a.jpg", 640, 480, Qt::blue);
    std::shared_ptr<platform::ExtractImage> extractor;
    ASSERT_TRUE(GetExtractImageFor(*Folder(), "a.jpg", *allocator_, extractor));
    TRunnableTaskSlot slot;
    uint32_t flags = platform::IEIFLAG_SCREEN;
    platform::Bitmap bitmap;
    ASSERT_TRUE(ExtractImageToBitmap(*extractor, 120, 120, 32, flags, slot, bitmap));
    EXPECT_EQ(flags, 0x21u); // IEIFLAG_ASYNC was added and the extractor kept it: E_PENDING
    EXPECT_TRUE(slot.Holds());
    EXPECT_EQ(QSize(bitmap.width, bitmap.height), QSize(120, 90));
    EXPECT_TRUE(Near(QColor(bitmap.pixel(60, 45)), Qt::blue));
}

TEST_F(ShellItems, ARefusedLocationOrAFailedExtractionGivesNoBitmap) {
    WritePicture("a.jpg", 64, 48, Qt::blue);
    WriteBrokenPicture("broken.jpg");
    std::vector<std::string> debugLines;
    platform::setDebugOutputSink([&](const std::string& line) { debugLines.push_back(line); });
    const auto folder = Folder();
    std::shared_ptr<platform::ExtractImage> extractor;
    TRunnableTaskSlot slot;
    platform::Bitmap bitmap;
    uint32_t flags = 0;
    ASSERT_TRUE(GetExtractImageFor(*folder, "a.jpg", *allocator_, extractor));
    EXPECT_FALSE(ExtractImageToBitmap(*extractor, 0, 120, 32, flags, slot, bitmap));
    EXPECT_TRUE(bitmap.isNull());
    EXPECT_FALSE(slot.Holds());
    EXPECT_TRUE(debugLines.empty()); // a refused location is no failure

    ASSERT_TRUE(GetExtractImageFor(*folder, "broken.jpg", *allocator_, extractor));
    flags = 0;
    EXPECT_FALSE(ExtractImageToBitmap(*extractor, 120, 120, 32, flags, slot, bitmap));
    EXPECT_TRUE(bitmap.isNull());
    platform::setDebugOutputSink(nullptr);
    EXPECT_EQ(debugLines, std::vector<std::string>{"EOleSysError: Unspecified error"});
}

TEST_F(ShellItems, TheEmbeddedThumbnailServesOnlyWhenLargeEnoughAndOfTheSameShape) {
    struct Case {
        const char* name;
        QSize picture;
        QSize embedded; // empty: none
        uint32_t flags;
        QSize expected;
        platform::ThumbnailSource source;
    };
    using platform::ThumbnailSource;
    const Case cases[] = {
        {"four_three.jpg",
         {1600, 1200},
         {160, 120},
         0x20,
         {120, 90},
         ThumbnailSource::ExifThumbnail},
        // A 3:2 picture with the 4:3 thumbnail cameras write: other proportions, decoded.
        {"three_two.jpg", {1500, 1000}, {160, 120}, 0x20, {120, 80}, ThumbnailSource::Decoded},
        {"small_thumb.jpg", {1600, 1200}, {80, 60}, 0x20, {120, 90}, ThumbnailSource::Decoded},
        // Within a pixel of the picture's proportions: 1601 x 1200 would give 160 x 119.9.
        {"rounded.jpg", {1601, 1200}, {160, 120}, 0x20, {120, 89}, ThumbnailSource::ExifThumbnail},
        {"quality.jpg", {1600, 1200}, {160, 120}, 0x220, {120, 90}, ThumbnailSource::Decoded},
        {"plain.jpg", {1200, 1600}, {}, 0x20, {90, 120}, ThumbnailSource::Decoded},
        // Never enlarged; cropped to fill the size when asked.
        {"tiny.jpg", {64, 48}, {}, 0x20, {64, 48}, ThumbnailSource::Decoded},
        {"aspect.jpg", {1600, 1200}, {160, 120}, 0x24, {120, 120}, ThumbnailSource::ExifThumbnail},
        {"origsize.jpg", {1500, 1000}, {}, 0x60, {120, 120}, ThumbnailSource::Decoded},
    };
    for (const Case& c : cases)
        WritePicture(c.name, c.picture.width(), c.picture.height(), Qt::blue, c.embedded.width(),
                     c.embedded.height(), Qt::red);
    for (const Case& c : cases) {
        ThumbnailSource source = ThumbnailSource::None;
        const platform::Bitmap bitmap = Thumbnail(c.name, c.flags, 32, &source);
        EXPECT_EQ(QSize(bitmap.width, bitmap.height), c.expected) << c.name;
        EXPECT_EQ(source, c.source) << c.name;
        const QColor seen(bitmap.pixel(bitmap.width / 2, bitmap.height / 2));
        EXPECT_TRUE(Near(seen, c.source == ThumbnailSource::ExifThumbnail ? Qt::red : Qt::blue))
            << c.name;
    }
}

// Thumbnails are of the upright picture, whether the camera's EXIF thumbnail (stored as its
// picture is) serves, the picture is decoded or the desktop's cache holds it (upright, as every
// program shows it): a quarter turn swaps the fitted size's sides.
TEST_F(ShellItems, ThumbnailsAreDrawnUprightByTheOrientation) {
    cache_ = Host("cache/thumbnails");
    const lumo::test::Quarters stored = lumo::test::distinctQuarters();
    const lumo::test::Bytes picture = Encoded(lumo::test::quarteredPicture(480, 240, stored));
    const lumo::test::Bytes embedded = Encoded(lumo::test::quarteredPicture(160, 80, stored));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const auto value = static_cast<uint16_t>(orientation);
        lumo::test::writeBytes(Host("exif.jpg"),
                               lumo::test::WithExifThumbnail(
                                   picture, embedded, lumo::test::ByteOrder::Motorola, value));
        const std::string decoded = "decoded" + std::to_string(orientation) + ".jpg";
        lumo::test::writeBytes(Host(decoded), lumo::test::WithOrientation(picture, value));
        const QSize fitted = orientation >= 5 ? QSize(60, 120) : QSize(120, 60);
        for (const auto& [name, expectedSource] :
             {std::pair{std::string("exif.jpg"), platform::ThumbnailSource::ExifThumbnail},
              std::pair{decoded, platform::ThumbnailSource::Decoded},
              std::pair{decoded, platform::ThumbnailSource::Cache}}) {
            platform::ThumbnailSource source = platform::ThumbnailSource::None;
            const QImage thumbnail =
                platform::toQImage(Thumbnail(name, platform::IEIFLAG_SCREEN, 32, &source));
            EXPECT_EQ(source, expectedSource) << name << " " << orientation;
            EXPECT_EQ(thumbnail.size(), fitted) << name << " " << orientation;
            EXPECT_TRUE(lumo::test::nearColours(lumo::test::quarterColours(thumbnail),
                                                lumo::test::uprightQuarters(stored, orientation)))
                << name << " " << orientation;
        }
    }
}

// Printers' pictures get thumbnails too, in their colours: CMYK with plain inks, Adobe's inverted
// CMYK and Adobe's YCCK.
TEST_F(ShellItems, CmykAndYcckPicturesGetThumbnailsInTheirColours) {
    using lumo::test::JpegInk;
    const lumo::test::Quarters colours{qRgb(200, 30, 30), qRgb(30, 160, 60), qRgb(40, 40, 180),
                                       qRgb(128, 64, 0)};
    const QImage picture = lumo::test::quarteredPicture(480, 240, colours);
    for (const JpegInk ink : {JpegInk::Cmyk, JpegInk::AdobeCmyk, JpegInk::AdobeYcck}) {
        lumo::test::writeFile(Host("ink.jpg"),
                              lumo::test::encodeJpegBytes(picture, {.quality = 95, .ink = ink}));
        platform::ThumbnailSource source = platform::ThumbnailSource::None;
        const QImage thumbnail =
            platform::toQImage(Thumbnail("ink.jpg", platform::IEIFLAG_SCREEN, 32, &source));
        EXPECT_EQ(source, platform::ThumbnailSource::Decoded) << int(ink);
        EXPECT_EQ(thumbnail.size(), QSize(120, 60)) << int(ink);
        EXPECT_TRUE(lumo::test::nearColours(lumo::test::quarterColours(thumbnail), colours))
            << int(ink);
    }
}

TEST_F(ShellItems, ThumbnailsComeInTheColourDepthAskedFor) {
    WritePicture("a.jpg", 320, 240, Qt::darkCyan);
    // The depth each request gives, and the most colours a thumbnail of it can hold.
    const struct {
        uint32_t asked;
        int depth;
        size_t colours;
    } depths[] = {{4, 4, 16},         {8, 8, 256},        {16, 16, 65536},
                  {24, 24, 1u << 24}, {32, 32, 1u << 24}, {1, 32, 1u << 24}};
    for (const auto& d : depths) {
        const platform::Bitmap bitmap = Thumbnail("a.jpg", 0x20, d.asked);
        EXPECT_EQ(bitmap.depth, d.depth) << d.asked;
        const std::set<platform::Rgb> colours(bitmap.pixels.begin(), bitmap.pixels.end());
        EXPECT_LE(colours.size(), d.colours) << d.asked;
        for (const platform::Rgb colour : colours)
            EXPECT_EQ(platform::shownInDepth(colour, d.depth), colour) << d.asked;
    }
}

TEST(JpegThumbnailScale, SmallestScaleNotBelowTheSizeAsked) {
    struct Case {
        int width, height;
        QSize atLeast;
        int numerator;
    };
    for (const Case& c :
         {Case{6000, 4000, {120, 80}, 1}, Case{640, 480, {120, 90}, 2},
          Case{800, 600, {120, 90}, 2}, Case{200, 133, {120, 79}, 5},
          Case{5184, 3456, {150, 100}, 1}, Case{100, 68, {100, 68}, 8}, Case{64, 48, {120, 90}, 8}})
        EXPECT_EQ(platform::thumbnailScaleNumerator(c.width, c.height, c.atLeast), c.numerator)
            << c.width << " x " << c.height;
}

TEST_F(ShellItems, KillEndsARunningExtraction) {
    // Large enough that a full-size decode takes far longer than the kill needs to arrive.
    QImage noise(3000, 2000, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x)
            line[x] = qRgb((x * 37 + y * 11) & 255, (x * y) & 255, (x ^ y) & 255);
    }
    lumo::test::writeBytes(Host("big.jpg"), Encoded(noise));
    std::shared_ptr<platform::ExtractImage> extractor;
    ASSERT_TRUE(GetExtractImageFor(*Folder(), "big.jpg", *allocator_, extractor));
    std::u16string location;
    uint32_t priority = 0;
    uint32_t flags = platform::IEIFLAG_ASYNC | platform::IEIFLAG_QUALITY;
    ASSERT_EQ(extractor->GetLocation(location, 261, priority, QSize(3000, 2000), 32, flags),
              platform::E_PENDING);
    EXPECT_EQ(location, u"C:\\big.jpg");
    std::shared_ptr<platform::RunnableTask> task;
    ASSERT_EQ(extractor->QueryInterface(platform::IID_IRunnableTask, task), platform::S_OK);
    std::thread killer([task] {
        while (!task->IsRunning())
            std::this_thread::yield();
        task->Kill(false);
    });
    platform::Bitmap bitmap;
    EXPECT_EQ(extractor->Extract(bitmap), platform::E_ABORT);
    killer.join();
    EXPECT_TRUE(bitmap.isNull());
    EXPECT_FALSE(task->IsRunning());
    // A killed extractor makes nothing any more.
    EXPECT_EQ(extractor->Extract(bitmap), platform::E_ABORT);
}

TEST_F(ShellItems, ATaskKilledBeforeItIsStoredIsKilledOnArrival) {
    WritePicture("a.jpg", 64, 48, Qt::blue);
    std::shared_ptr<platform::ExtractImage> extractor;
    ASSERT_TRUE(GetExtractImageFor(*Folder(), "a.jpg", *allocator_, extractor));
    TRunnableTaskSlot slot;
    EXPECT_FALSE(slot.Abort());
    uint32_t flags = 0;
    platform::Bitmap bitmap;
    // The stop request came between two items: the next extraction is killed as it starts.
    EXPECT_FALSE(ExtractImageToBitmap(*extractor, 120, 120, 32, flags, slot, bitmap));
    EXPECT_TRUE(bitmap.isNull());
}

// ---- Through the desktop's thumbnail cache ------------------------------------------------

class CachedThumbnails : public ShellItems {
protected:
    void SetUp() override {
        ShellItems::SetUp();
        cache_ = Host("cache/thumbnails");
        WritePicture("plain.jpg", 1600, 1200, Qt::blue);
    }
    platform::ThumbnailSubject Subject() const {
        return platform::ThumbnailCache(cache_).subjectOf(Program("plain.jpg"), "").value();
    }
    std::string CacheFile(const std::string& size) const {
        return cache_ + "/" + size + "/" + platform::thumbnailFileName(Subject().uri);
    }
    // Another program's red thumbnail of plain.jpg; stale when its time is off.
    void Plant(const std::string& size, QSize thumbnail, int64_t timeOff = 0) const {
        std::filesystem::create_directories(cache_ + "/" + size);
        const platform::Bitmap red(thumbnail.width(), thumbnail.height(),
                                   platform::rgbOf(255, 0, 0));
        lumo::test::writeFile(
            CacheFile(size),
            platform::encodePng(red,
                                {{"Thumb::URI", Subject().uri},
                                 {"Thumb::MTime", std::to_string(Subject().mtime + timeOff)}}));
    }
    // The size of plain.jpg's fresh normal thumbnail in the cache; empty when there is none.
    QSize Cached() const {
        const auto cached =
            platform::ThumbnailCache(cache_).thumbnail(Subject(), platform::ThumbnailSize::Normal);
        return cached ? QSize(cached->width, cached->height) : QSize();
    }
};

TEST_F(CachedThumbnails, ADecodedPictureIsCachedAndServesTheNextRequests) {
    WritePicture("camera.jpg", 1600, 1200, Qt::blue, 160, 120, Qt::red);
    using platform::ThumbnailSource;
    const struct {
        uint32_t flags, depth;
        QSize size;
        ThumbnailSource source;
    } requests[] = {
        {0x20, 32, {120, 90}, ThumbnailSource::Decoded},
        {0x20, 32, {120, 90}, ThumbnailSource::Cache},
        {0x20, 16, {120, 90}, ThumbnailSource::Cache},
        // Filling the box needs 160 x 120: more than the normal size holds.
        {0x24, 32, {120, 120}, ThumbnailSource::Decoded},
        // Quality asks for the picture itself.
        {0x220, 32, {120, 90}, ThumbnailSource::Decoded},
    };
    for (const auto& r : requests) {
        ThumbnailSource source = ThumbnailSource::None;
        const platform::Bitmap bitmap = Thumbnail("plain.jpg", r.flags, r.depth, &source);
        EXPECT_EQ(source, r.source) << r.flags << " " << r.depth;
        EXPECT_EQ(QSize(bitmap.width, bitmap.height), r.size) << r.flags;
        EXPECT_EQ(bitmap.depth, int(r.depth)) << r.flags;
        EXPECT_TRUE(Near(QColor(bitmap.pixel(bitmap.width / 2, bitmap.height / 2)), Qt::blue));
        EXPECT_EQ(Cached(), QSize(128, 96));
    }
    // The camera's own thumbnail costs nothing to read again: nothing is cached for it.
    ThumbnailSource source = ThumbnailSource::None;
    Thumbnail("camera.jpg", 0x20, 32, &source);
    EXPECT_EQ(source, ThumbnailSource::ExifThumbnail);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache_ + "/normal"), {}), 1);
}

TEST_F(CachedThumbnails, AnotherProgramsThumbnailServesWhenFreshLargeEnoughAndOfTheSameShape) {
    const struct {
        const char* what;
        const char* size;
        QSize planted;
        int64_t timeOff;
        bool used;
    } cases[] = {
        {"fresh", "normal", {128, 96}, 0, true},
        {"stale", "normal", {128, 96}, -1, false},
        {"too small", "normal", {100, 75}, 0, false},
        {"of other proportions", "normal", {128, 64}, 0, false},
        {"large", "large", {256, 192}, 0, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(cache_);
        Plant(c.size, c.planted, c.timeOff);
        platform::ThumbnailSource source = platform::ThumbnailSource::None;
        const platform::Bitmap bitmap = Thumbnail("plain.jpg", 0x20, 32, &source);
        EXPECT_EQ(QSize(bitmap.width, bitmap.height), QSize(120, 90)) << c.what;
        EXPECT_EQ(source,
                  c.used ? platform::ThumbnailSource::Cache : platform::ThumbnailSource::Decoded)
            << c.what;
        EXPECT_TRUE(Near(QColor(bitmap.pixel(60, 45)), c.used ? Qt::red : Qt::blue)) << c.what;
        if (!c.used) {
            EXPECT_EQ(Cached(), QSize(128, 96)) << c.what; // one that did not serve is made again
        }
    }
    // A damaged one too; a cache that cannot be written only costs the time.
    std::filesystem::remove_all(cache_);
    std::filesystem::create_directories(cache_ + "/normal");
    lumo::test::writeFile(CacheFile("normal"), "\x89PNG\r\n\x1a\n damaged");
    EXPECT_EQ(Thumbnail("plain.jpg").width, 120);
    EXPECT_EQ(Cached(), QSize(128, 96));
    std::filesystem::remove_all(Host("cache"));
    lumo::test::writeFile(Host("cache"), "a file where the cache's folder would be");
    EXPECT_EQ(Thumbnail("plain.jpg").width, 120);
}

TEST_F(CachedThumbnails, APictureThatFailedIsNotDecodedAgainUntilItChanges) {
    WriteBrokenPicture("broken.jpg");
    const platform::ThumbnailCache cache(cache_);
    const auto broken = [&] {
        return cache.subjectOf(Program("broken.jpg"), "").value();
    };
    EXPECT_FALSE(cache.failedBefore(broken()));
    std::shared_ptr<platform::ExtractImage> extractor;
    platform::Bitmap bitmap;
    TRunnableTaskSlot slot;
    uint32_t flags = 0;
    ASSERT_TRUE(GetExtractImageFor(*Folder(), "broken.jpg", *allocator_, extractor));
    EXPECT_FALSE(ExtractImageToBitmap(*extractor, 120, 120, 32, flags, slot, bitmap));
    EXPECT_TRUE(cache.failedBefore(broken()));
    // This program's record, private as a thumbnail, in the cache's folder of failures.
    const std::filesystem::directory_entry program(
        *std::filesystem::directory_iterator(cache_ + "/fail"));
    EXPECT_TRUE(program.path().filename().string().starts_with("lumograph-"));
    const auto record = program.path() / platform::thumbnailFileName(broken().uri);
    EXPECT_EQ(std::filesystem::status(record).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // A record of failing on a good picture shows that the record alone is trusted: no thumbnail
    // until the picture changes.
    ASSERT_TRUE(cache.recordFailure(Subject()));
    ASSERT_TRUE(GetExtractImageFor(*Folder(), "plain.jpg", *allocator_, extractor));
    EXPECT_FALSE(ExtractImageToBitmap(*extractor, 120, 120, 32, flags, slot, bitmap));
    const std::string path = Host("plain.jpg");
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                               std::chrono::seconds(2));
    EXPECT_EQ(Thumbnail("plain.jpg").width, 120);
}

} // namespace
