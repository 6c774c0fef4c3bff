// The viewer's staged decoder and its loader thread: the DCT scale chosen for a size, the stages
// of progressive and baseline pictures, stopping, damaged and refused files, stale requests and
// destruction while a decode runs.
#include "platform/qt/picture_decode.h"

#include <filesystem>
#include <vector>

#include <sys/stat.h>

#include <QSignalSpy>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/picture_limits.h"
#include "platform/qt/picture_loader.h"
#include "tests/platform/qt_helpers.h"
#include "tests/support/picture_writer.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;

namespace {

// C: is a temporary folder for the whole suite.
class PictureDecodeTest : public testing::Test {
protected:
    void SetUp() override { setDriveMap({{'C', dir.path(), DRIVE_FIXED, "", true}}); }
    void TearDown() override { setDriveMap({}); }

    // Writes bytes to C:\name and returns the program path.
    std::string put(const std::string& name, const std::string& bytes) {
        writeFile(dir / name, bytes);
        return "C:\\" + name;
    }
    std::vector<PictureStage> decodeAll(const PictureRequest& request) {
        std::vector<PictureStage> stages;
        decodePicture(request, std::stop_token(),
                      [&stages](PictureStage stage) { stages.push_back(std::move(stage)); });
        return stages;
    }

    TempDir dir;
};

// The dominant colour of a picture's centre, within the tolerance of lossy coding.
void expectCentreColour(const QImage& image, QRgb expected) {
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    EXPECT_NEAR(qRed(centre), qRed(expected), 12);
    EXPECT_NEAR(qGreen(centre), qGreen(expected), 12);
    EXPECT_NEAR(qBlue(centre), qBlue(expected), 12);
}

QImage filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(PictureScale, SmallestDctReductionThatStillFillsTheSizeAskedFor) {
    struct Case {
        QSize own, atLeast;
        int reduction;
        QSize reduced;
    };
    for (const Case& c : {
             // A 24-megapixel photo in the viewer's start-up box (drawn 473 x 315): 1/8.
             Case{{6000, 4000}, {473, 315}, 8, {750, 500}},
             // Three steps of "Zoom Up" (drawn 773 x 515): 1/4.
             Case{{6000, 4000}, {773, 515}, 4, {1500, 1000}},
             // One dimension short at 1/8 is enough to need 1/4.
             Case{{3000, 2000}, {376, 200}, 4, {750, 500}},
             Case{{3000, 2000}, {375, 250}, 8, {375, 250}},
             // Odd sides round up, as libjpeg's output does.
             Case{{3001, 2001}, {376, 251}, 8, {376, 251}},
             // Larger than the picture, or no size: the picture's own.
             Case{{640, 480}, {1000, 900}, 1, {640, 480}},
             Case{{640, 480}, {}, 1, {640, 480}},
             Case{{640, 480}, {320, 240}, 2, {320, 240}},
         }) {
        EXPECT_EQ(reductionFor(c.own, c.atLeast), c.reduction)
            << c.own.width() << " for " << c.atLeast.width();
        EXPECT_EQ(reducedSize(c.own, c.reduction), c.reduced);
    }
}

TEST(PictureLimits, RefuseEmptyAndOversizedPictures) {
    EXPECT_NO_THROW(checkPictureSize(16384, 16384, "C:\\a.jpg")); // exactly 1 GiB
    EXPECT_NO_THROW(checkPictureSize(65535, 4096, "C:\\a.jpg"));
    EXPECT_THROW(checkPictureSize(16385, 16384, "C:\\a.jpg"), EJpegError);
    EXPECT_THROW(checkPictureSize(65535, 65535, "C:\\a.jpg"), EJpegError);
    EXPECT_THROW(checkPictureSize(0, 10, "C:\\a.jpg"), EJpegError);
    EXPECT_THROW(checkPictureSize(uint64_t{1} << 33, 1, "C:\\a.jpg"), EJpegError);
}

TEST_F(PictureDecodeTest, ProgressivePictureShowsCoarseScansBeforeTheFinalOne) {
    const std::string bytes = encodeJpegBytes(photoLikePicture(1200, 800), {.progressive = true});
    const std::string path = put("p.jpg", bytes);
    const PictureInfo info = probePicture(path);
    EXPECT_TRUE(info.jpeg);
    EXPECT_TRUE(info.progressive);
    EXPECT_EQ(info.size, QSize(1200, 800));

    const std::vector<PictureStage> stages = decodeAll({path, {300, 200}, true});
    ASSERT_GE(stages.size(), 2u); // the first scan at once, then the whole picture
    for (size_t i = 0; i < stages.size(); ++i) {
        EXPECT_EQ(stages[i].final, i + 1 == stages.size());
        EXPECT_EQ(stages[i].size, QSize(1200, 800));
        EXPECT_EQ(stages[i].image.size(), QSize(300, 200)); // 1/4 fills the size asked for
    }
    // The final stage is the picture itself, scaled.
    EXPECT_EQ(stages.back().image, decodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()),
                                              bytes.size(), QSize(300, 200)));

    // Refining a picture already shown: no coarse stage.
    const std::vector<PictureStage> sharp = decodeAll({path, {600, 400}, false});
    ASSERT_EQ(sharp.size(), 1u);
    EXPECT_TRUE(sharp[0].final);
    EXPECT_EQ(sharp[0].image.size(), QSize(600, 400));
}

TEST_F(PictureDecodeTest, BaselinePictureGetsAQuickEighthScalePassOnlyWhenLargerIsNeeded) {
    const std::string path = put("b.jpg", encodeJpegBytes(filled(1600, 1200, qRgb(200, 40, 90))));
    EXPECT_FALSE(probePicture(path).progressive);

    std::vector<PictureStage> stages = decodeAll({path, {800, 600}, true});
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_FALSE(stages[0].final);
    EXPECT_EQ(stages[0].image.size(), QSize(200, 150));
    EXPECT_TRUE(stages[1].final);
    EXPECT_EQ(stages[1].image.size(), QSize(800, 600));
    expectCentreColour(stages[1].image, qRgb(200, 40, 90));

    // At 1/8 already: one pass; without a size: the whole picture in one pass.
    stages = decodeAll({path, {200, 100}, true});
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_EQ(stages[0].image.size(), QSize(200, 150));
    stages = decodeAll({path, {}, false});
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_EQ(stages[0].image.size(), QSize(1600, 1200));
}

// Printers' pictures: CMYK with and without Adobe's inverted inks, and Adobe's YCCK, in their
// colours in the viewer's decoder and the picture boxes' loader, at full size and reduced.
TEST_F(PictureDecodeTest, CmykAndYcckPicturesComeOutInTheirColours) {
    const Quarters colours{qRgb(200, 30, 30), qRgb(30, 160, 60), qRgb(40, 40, 180),
                           qRgb(128, 64, 0)};
    const QImage picture = quarteredPicture(128, 64, colours);
    for (const JpegInk ink : {JpegInk::Cmyk, JpegInk::AdobeCmyk, JpegInk::AdobeYcck}) {
        const std::string path =
            put("ink.jpg", encodeJpegBytes(picture, {.quality = 95, .ink = ink}));
        for (const QSize box : {QSize(), QSize(64, 32)}) {
            const std::vector<PictureStage> stages = decodeAll({path, box, true});
            ASSERT_FALSE(stages.empty());
            const QImage viewed = stages.back().image;
            const QImage previewed = loadPicture(path, box);
            EXPECT_EQ(viewed.size(), box.isEmpty() ? picture.size() : box);
            EXPECT_EQ(previewed.size(), viewed.size());
            EXPECT_TRUE(nearColours(quarterColours(viewed), colours)) << int(ink);
            EXPECT_TRUE(nearColours(quarterColours(previewed), colours)) << int(ink);
        }
    }
}

// Every orientation drawn upright by the viewer's decoder, at every stage of a progressive
// picture and reduced to the size asked for the upright picture, and by the picture boxes'
// loader; the own size stays as stored.
TEST_F(PictureDecodeTest, PicturesAreDrawnUprightByTheirOrientation) {
    const Quarters stored = distinctQuarters();
    const QImage picture = quarteredPicture(128, 64, stored);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const bool swaps = orientation >= 5;
        const QSize upright = swaps ? QSize(64, 128) : QSize(128, 64);
        const QSize half = upright / 2;
        const Quarters expected = uprightQuarters(stored, orientation);
        for (const bool progressive : {false, true}) {
            const std::string path =
                put("turned.jpg", turnedJpegBytes(picture, orientation,
                                                  {.quality = 95, .progressive = progressive}));
            const PictureInfo info = probePicture(path);
            EXPECT_EQ(info.size, QSize(128, 64));
            EXPECT_EQ(info.orientation, orientation);
            EXPECT_EQ(uprightSize(info.size, info.orientation), upright);
            for (const PictureStage& stage : decodeAll({path, half, true})) {
                EXPECT_EQ(stage.size, QSize(128, 64)) << orientation;
                EXPECT_EQ(stage.orientation, orientation);
                EXPECT_EQ(stage.image.width() * 2 == stage.image.height(), swaps) << orientation;
                if (stage.final) {
                    EXPECT_EQ(stage.image.size(), half) << orientation;
                    EXPECT_TRUE(nearColours(quarterColours(stage.image), expected)) << orientation;
                }
            }
            for (const QSize box : {QSize(), half}) {
                const LoadedPicture loaded = readPicture(path, box);
                EXPECT_EQ(loaded.ownSize, QSize(128, 64));
                EXPECT_EQ(loaded.orientation, orientation);
                EXPECT_EQ(loaded.image.size(), box.isEmpty() ? upright : half) << orientation;
                EXPECT_TRUE(nearColours(quarterColours(loaded.image), expected)) << orientation;
            }
        }
    }
    // A damaged orientation draws the picture as stored.
    const std::string path = put("odd.jpg", turnedJpegBytes(picture, 9));
    EXPECT_EQ(probePicture(path).orientation, 1);
    EXPECT_TRUE(nearColours(quarterColours(loadPicture(path)), stored));
}

TEST_F(PictureDecodeTest, StopEndsTheDecodeWithoutFurtherStages) {
    const std::string path =
        put("p.jpg", encodeJpegBytes(photoLikePicture(800, 600), {.progressive = true}));
    std::stop_source stop;
    std::vector<PictureStage> stages;
    decodePicture({path, {}, true}, stop.get_token(), [&](PictureStage stage) {
        stages.push_back(std::move(stage));
        stop.request_stop();
    });
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_FALSE(stages[0].final);

    stop = std::stop_source();
    stop.request_stop();
    stages.clear();
    decodePicture({path, {}, true}, stop.get_token(),
                  [&](PictureStage stage) { stages.push_back(std::move(stage)); });
    EXPECT_TRUE(stages.empty());
}

TEST_F(PictureDecodeTest, DamagedAndForeignFilesGiveWhatTheyHoldOrAClearError) {
    // A file cut in the middle of its scan still shows, grey below what it holds.
    const std::string whole = encodeJpegBytes(filled(400, 400, qRgb(20, 200, 20)));
    const std::string cut = put("cut.jpg", whole.substr(0, whole.size() / 2));
    std::vector<PictureStage> stages = decodeAll({cut, {}, false});
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_EQ(stages[0].image.size(), QSize(400, 400));
    EXPECT_NEAR(qGreen(stages[0].image.pixel(200, 10)), 200, 12);

    // Another format the toolkit reads comes in one stage at its own size.
    const QImage png = filled(30, 20, qRgb(0, 0, 255));
    ASSERT_TRUE(png.save(QString::fromStdString(dir / "small.png")));
    EXPECT_EQ(probePicture("C:\\small.png").size, QSize(30, 20));
    stages = decodeAll({"C:\\small.png", {300, 200}, true});
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_TRUE(stages[0].final);
    EXPECT_EQ(stages[0].image.size(), QSize(30, 20));

    // Refused before any pixel is read, each with a message that names the file.
    std::filesystem::create_directory(dir / "folder.jpg");
    ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
    put("text.jpg", "not a picture at all");
    put("notes.txt", "text");
    std::string huge = encodeJpegBytes(filled(16, 16, qRgb(1, 2, 3)));
    const size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    huge[frame + 5] = huge[frame + 6] = huge[frame + 7] = huge[frame + 8] = '\x7F'; // 32639 x 32639
    put("huge.jpg", huge);
    for (const char* name :
         {"missing.jpg", "folder.jpg", "pipe.jpg", "text.jpg", "notes.txt", "huge.jpg"}) {
        const std::string path = std::string("C:\\") + name;
        EXPECT_THROW(probePicture(path), EJpegError) << name;
        EXPECT_THROW(decodeAll({path, {}, true}), EJpegError) << name;
    }
    try {
        probePicture("C:\\huge.jpg");
    } catch (const EJpegError& error) {
        EXPECT_NE(std::string(error.what()).find("too large"), std::string::npos);
    }
}

TEST_F(PictureDecodeTest, LoaderDeliversOnlyTheNewestRequest) {
    const std::string old =
        put("old.jpg", encodeJpegBytes(photoLikePicture(3000, 2000), {.progressive = true}));
    const std::string newest = put("new.jpg", encodeJpegBytes(filled(64, 48, qRgb(9, 9, 9))));
    PictureLoader loader;
    QSignalSpy stages(&loader, &PictureLoader::stageReady);
    QSignalSpy failures(&loader, &PictureLoader::failed);
    loader.load({old, {}, true});
    const quint64 ticket = loader.load({newest, {}, true});
    ASSERT_TRUE(waitFor(
        [&] { return !stages.isEmpty() && stages.last().at(1).value<PictureStage>().final; }));
    for (const QList<QVariant>& stage : stages)
        EXPECT_EQ(stage.at(0).toULongLong(), ticket);
    EXPECT_EQ(stages.last().at(1).value<PictureStage>().size, QSize(64, 48));

    // A failure comes as a message; a cancelled request sends nothing.
    const quint64 failing = loader.load({"C:\\missing.jpg", {}, true});
    ASSERT_TRUE(failures.wait(5000));
    EXPECT_EQ(failures.last().at(0).toULongLong(), failing);
    EXPECT_TRUE(failures.last().at(1).toString().contains("missing.jpg"));
    stages.clear();
    loader.load({newest, {}, true});
    loader.cancel();
    EXPECT_FALSE(stages.wait(300));
}

TEST_F(PictureDecodeTest, LoaderDestroyedWhileDecodingStopsAndJoins) {
    const std::string path =
        put("big.jpg", encodeJpegBytes(photoLikePicture(4000, 3000), {.progressive = true}));
    auto loader = std::make_unique<PictureLoader>();
    QSignalSpy stages(loader.get(), &PictureLoader::stageReady);
    loader->load({path, {}, true});
    // Destroyed after the first scan arrived, while the rest is still being decoded: it must
    // neither hang nor leave the thread behind touching it.
    ASSERT_TRUE(stages.wait(5000));
    EXPECT_FALSE(stages.first().at(1).value<PictureStage>().final);
    loader.reset();
    QCoreApplication::processEvents();
}

} // namespace
