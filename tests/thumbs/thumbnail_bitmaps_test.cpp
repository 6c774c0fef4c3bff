// The worker's bitmaps: a thumbnail of another size put unscaled on the window's square, the
// border, and the default image of an icon.
#include "thumbs/extraction/thumbnail_bitmaps.h"

#include <gtest/gtest.h>

namespace {

const QColor Window(250, 250, 250);
const QColor Face(200, 200, 200);

// Every pixel tells where it came from: red is its column, green its row.
QImage Gradient(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x, y, 7));
    return picture;
}

TEST(FitThumbnail, AWideThumbnailIsCutAroundItsCentreAndFramedAboveAndBelow) {
    QImage thumbnail = Gradient(160, 90);
    FitThumbnail(thumbnail, 120, 120, Window);
    ASSERT_EQ(thumbnail.size(), QSize(120, 120));
    // Drawn unscaled at x -20, y 15: the middle 120 columns, bands of window colour 15 rows high.
    EXPECT_EQ(thumbnail.pixel(0, 15), qRgb(20, 0, 7));
    EXPECT_EQ(thumbnail.pixel(119, 104), qRgb(139, 89, 7));
    for (int x : {0, 60, 119}) {
        EXPECT_EQ(thumbnail.pixelColor(x, 14), Window);
        EXPECT_EQ(thumbnail.pixelColor(x, 105), Window);
    }
}

TEST(FitThumbnail, ASmallerThumbnailIsFramedAllRound) {
    QImage thumbnail = Gradient(100, 68);
    FitThumbnail(thumbnail, 120, 120, Window);
    EXPECT_EQ(thumbnail.pixel(10, 26), qRgb(0, 0, 7));
    EXPECT_EQ(thumbnail.pixel(109, 93), qRgb(99, 67, 7));
    EXPECT_EQ(thumbnail.pixelColor(9, 60), Window);
    EXPECT_EQ(thumbnail.pixelColor(110, 60), Window);
    EXPECT_EQ(thumbnail.pixelColor(60, 25), Window);
    EXPECT_EQ(thumbnail.pixelColor(60, 94), Window);
}

TEST(DrawThumbnailBorder, FramesTheWholePictureOnePixelWide) {
    QImage thumbnail = Gradient(120, 90).convertToFormat(QImage::Format_Indexed8);
    DrawThumbnailBorder(thumbnail, Face);
    ASSERT_EQ(thumbnail.size(), QSize(120, 90));
    for (const QPoint& p : {QPoint(0, 0), QPoint(119, 0), QPoint(0, 89), QPoint(119, 89),
                            QPoint(60, 0), QPoint(60, 89), QPoint(0, 45), QPoint(119, 45)})
        EXPECT_EQ(thumbnail.pixelColor(p), Face) << p.x() << "," << p.y();
    EXPECT_NE(thumbnail.pixelColor(1, 1), Face);
}

TEST(MakeDefaultIconBitmap, CentresTheIconOnTheWindowColour) {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::blue);
    const QImage bitmap = MakeDefaultIconBitmap(icon, 120, 120, Window, Face);
    ASSERT_EQ(bitmap.size(), QSize(120, 120));
    EXPECT_EQ(bitmap.depth(), 32);
    EXPECT_EQ(bitmap.pixelColor(44, 44), QColor(Qt::blue));
    EXPECT_EQ(bitmap.pixelColor(75, 75), QColor(Qt::blue));
    EXPECT_EQ(bitmap.pixelColor(43, 60), Window);
    EXPECT_EQ(bitmap.pixelColor(76, 60), Window);
    EXPECT_EQ(bitmap.pixelColor(0, 0), Face);
    // Without an icon (the shell knows none) the square stays plain.
    EXPECT_EQ(MakeDefaultIconBitmap(QImage(), 120, 120, Window, Face).pixelColor(60, 60), Window);
}

} // namespace
