// Bitmaps against the desktop's image library: scaling, colour depths, drawing and framing give
// the pixels QImage and QPainter give, so a thumbnail made without the toolkit looks as the
// window's own would; turning upright as the toolkit turns; PNG files read back as written; the
// conversions to QImage and back.
#include <random>

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "platform/headless/bitmap_depth.h"
#include "platform/headless/bitmap_scale.h"
#include "platform/headless/png_writer.h"
#include "platform/headless/upright.h"
#include "platform/qt/bitmap_image.h"

namespace {

using namespace platform;

// Noise or a smooth pattern, both telling every pixel apart from its neighbours.
QImage Picture(int width, int height, bool noise, unsigned seed) {
    std::mt19937 random(seed);
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(
                x, y,
                noise ? qRgb(int(random() & 255), int(random() & 255), int(random() & 255))
                      : qRgb((x * 7 + y) & 255, (x * y / 50) & 255, (y * 3) & 255));
    return picture;
}

// The number of pixels in which the two differ; -1 for another size.
int Differences(const QImage& expected, const Bitmap& actual) {
    const QImage image = expected.convertToFormat(QImage::Format_RGB32);
    if (image.size() != QSize(actual.width, actual.height))
        return -1;
    int count = 0;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            count += (image.pixel(x, y) | 0xFF000000u) != (actual.pixel(x, y) | 0xFF000000u);
    return count;
}

TEST(BitmapScale, GivesTheToolkitsSmoothScaling) {
    // Shrinking both ways (camera pictures to thumbnails), one way with the other kept or
    // enlarged, and enlarging both ways.
    const struct {
        QSize from, to;
    } cases[] = {{{750, 500}, {120, 80}}, {{160, 120}, {120, 90}}, {{125, 94}, {120, 90}},
                 {{120, 91}, {120, 90}},  {{91, 120}, {90, 120}},  {{648, 432}, {150, 100}},
                 {{307, 211}, {1, 1}},    {{50, 300}, {75, 100}},  {{300, 50}, {100, 75}},
                 {{64, 48}, {150, 100}},  {{3, 2}, {150, 100}},    {{1, 1}, {7, 5}}};
    unsigned seed = 1;
    for (const auto& c : cases) {
        for (const bool noise : {true, false}) {
            const QImage picture = Picture(c.from.width(), c.from.height(), noise, seed++);
            const QImage expected =
                picture.scaled(c.to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            EXPECT_EQ(
                Differences(expected, smoothScaled(toBitmap(picture), c.to.width(), c.to.height())),
                0)
                << c.from.width() << "x" << c.from.height() << " to " << c.to.width() << "x"
                << c.to.height();
        }
    }
    EXPECT_TRUE(smoothScaled(Bitmap(), 10, 10).isNull());
    EXPECT_TRUE(smoothScaled(Bitmap(4, 4), 0, 10).isNull());
}

TEST(BitmapDepth, GivesTheToolkitsColourReductions) {
    QList<QRgb> sixteen;
    for (int i = 0; i < 16; ++i) {
        const int level = (i & 8) ? 255 : 128;
        sixteen.append(i == 8 ? qRgb(192, 192, 192)
                       : i == 7
                           ? qRgb(128, 128, 128)
                           : qRgb((i & 4) ? level : 0, (i & 2) ? level : 0, (i & 1) ? level : 0));
    }
    // Many colours (the cube with error diffusion at 8 bits) and few (kept exactly).
    const QImage pictures[] = {
        Picture(120, 90, true, 7), Picture(97, 120, false, 0),
        Picture(120, 90, false, 0).convertToFormat(QImage::Format_Indexed8, sixteen)};
    for (const QImage& picture : pictures) {
        const Bitmap bitmap = toBitmap(picture);
        EXPECT_EQ(Differences(picture.convertToFormat(QImage::Format_Indexed8, sixteen),
                              inColourDepth(bitmap, 4)),
                  0);
        EXPECT_EQ(
            Differences(picture.convertToFormat(QImage::Format_Indexed8), inColourDepth(bitmap, 8)),
            0);
        EXPECT_EQ(
            Differences(picture.convertToFormat(QImage::Format_RGB16), inColourDepth(bitmap, 16)),
            0);
        EXPECT_EQ(Differences(picture, inColourDepth(bitmap, 24)), 0);
    }
    EXPECT_EQ(inColourDepth(Bitmap(2, 2), 24).depth, 24);
    EXPECT_EQ(inColourDepth(Bitmap(2, 2), 1).depth, 32);
}

TEST(BitmapDrawing, BlendsAndFramesAsThePainterDoes) {
    // An icon of every transparency over a window colour (as the default icons are made, in 32
    // bits), then the frame; a 16-bit thumbnail gets its frame alone.
    QImage icon(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            icon.setPixel(x, y, qRgba(x * 8, 255 - y * 8, 90, (x * 32 + y) & 255));
    const QRgb window = qRgb(250, 247, 240);
    const QRgb face = qRgb(201, 199, 190);
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB16}) {
        QImage expected(120, 90, format);
        expected.fill(QColor(window));
        {
            QPainter painter(&expected);
            if (format == QImage::Format_RGB32)
                painter.drawImage(44, -3, icon);
            painter.setPen(QPen(QColor(face), 1));
            painter.drawRect(0, 0, expected.width() - 1, expected.height() - 1);
        }
        const int depth = format == QImage::Format_RGB16 ? 16 : 32;
        Bitmap actual(120, 90, shownInDepth(window, depth));
        actual.depth = depth;
        if (depth == 32)
            drawBitmap(actual, 44, -3, toBitmap(icon));
        drawFrame(actual, face);
        if (depth == 16) // a 16-bit picture keeps 16-bit colours
            actual = inColourDepth(actual, 16);
        EXPECT_EQ(Differences(expected, actual), 0) << depth;
    }
    // Cut out: what lies outside the picture is left black.
    const Bitmap cut = copyRect(toBitmap(Picture(10, 10, false, 0)), 8, 2, 4, 3);
    EXPECT_EQ(cut.pixel(1, 0), toBitmap(Picture(10, 10, false, 0)).pixel(9, 2));
    EXPECT_EQ(cut.pixel(2, 0), rgbOf(0, 0, 0));
}

// Turned upright as the toolkit turns and mirrors, for every orientation, on a picture larger than
// the tiles the turn copies in and of no multiple of their size; damaged values change nothing.
TEST(BitmapUpright, TurnsAndMirrorsAsTheToolkitDoes) {
    const QImage picture = Picture(130, 67, true, 5);
    const auto quarter = [](const QImage& image, qreal degrees) {
        return image.transformed(QTransform().rotate(degrees));
    };
    const QImage expected[9] = {
        picture,
        picture,
        picture.mirrored(true, false),
        picture.mirrored(true, true),
        picture.mirrored(false, true),
        quarter(picture, 90).mirrored(true, false),
        quarter(picture, 90),
        quarter(picture, 90).mirrored(false, true),
        quarter(picture, 270),
    };
    for (int orientation = 1; orientation <= 8; ++orientation)
        EXPECT_EQ(Differences(expected[orientation], orientBitmap(toBitmap(picture), orientation)),
                  0)
            << orientation;
    for (const int damaged : {0, 9, -1})
        EXPECT_EQ(Differences(picture, orientBitmap(toBitmap(picture), damaged)), 0) << damaged;
    EXPECT_TRUE(orientBitmap(Bitmap(), 6).isNull());
}

TEST(BitmapFiles, PngReadsBackAsWrittenAndQImagesConvertBothWays) {
    const Bitmap opaque = toBitmap(Picture(37, 23, true, 3));
    const std::string png = encodePng(opaque);
    const QImage read = QImage::fromData(QByteArray::fromStdString(png), "PNG");
    EXPECT_FALSE(read.hasAlphaChannel());
    EXPECT_EQ(Differences(read, opaque), 0);
    EXPECT_EQ(toBitmap(toQImage(opaque)).pixels, opaque.pixels);

    QImage translucent(8, 4, QImage::Format_ARGB32);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 4; ++y)
            translucent.setPixel(x, y, qRgba(200, 100, 50, x * 36 + y));
    const Bitmap icon = toBitmap(translucent);
    EXPECT_TRUE(icon.premultiplied);
    const QImage back = QImage::fromData(QByteArray::fromStdString(encodePng(icon)), "PNG")
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(toBitmap(back).pixels, icon.pixels);
    EXPECT_EQ(toQImage(icon).format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_THROW(encodePng(Bitmap()), std::runtime_error);
    EXPECT_TRUE(toQImage(Bitmap()).isNull());
}

} // namespace
