// The worker's bitmaps: a thumbnail of another size put unscaled on the window's square, the
// border, and the default image of an icon.
#include "thumbs/extraction/thumbnail_bitmaps.h"

#include <gtest/gtest.h>

namespace {

using platform::Bitmap;
using platform::rgbOf;

const platform::Rgb Window = rgbOf(250, 250, 250);
const platform::Rgb Face = rgbOf(200, 200, 200);

// Every pixel tells where it came from: red is its column, green its row.
Bitmap Gradient(int width, int height) {
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.row(y)[x] = rgbOf(x, y, 7);
    return picture;
}

TEST(FitThumbnail, AWideThumbnailIsCutAroundItsCentreAndFramedAboveAndBelow) {
    Bitmap thumbnail = Gradient(160, 90);
    FitThumbnail(thumbnail, 120, 120, Window);
    ASSERT_EQ(thumbnail.width, 120);
    ASSERT_EQ(thumbnail.height, 120);
    // Drawn unscaled at x -20, y 15: the middle 120 columns, bands of window colour 15 rows high.
    EXPECT_EQ(thumbnail.pixel(0, 15), rgbOf(20, 0, 7));
    EXPECT_EQ(thumbnail.pixel(119, 104), rgbOf(139, 89, 7));
    for (int x : {0, 60, 119}) {
        EXPECT_EQ(thumbnail.pixel(x, 14), Window);
        EXPECT_EQ(thumbnail.pixel(x, 105), Window);
    }
}

TEST(FitThumbnail, ASmallerThumbnailIsFramedAllRound) {
    Bitmap thumbnail = Gradient(100, 68);
    thumbnail.depth = 16;
    FitThumbnail(thumbnail, 120, 120, Window);
    EXPECT_EQ(thumbnail.depth, 32); // the window colour around it is exact
    EXPECT_EQ(thumbnail.pixel(10, 26), rgbOf(0, 0, 7));
    EXPECT_EQ(thumbnail.pixel(109, 93), rgbOf(99, 67, 7));
    EXPECT_EQ(thumbnail.pixel(9, 60), Window);
    EXPECT_EQ(thumbnail.pixel(110, 60), Window);
    EXPECT_EQ(thumbnail.pixel(60, 25), Window);
    EXPECT_EQ(thumbnail.pixel(60, 94), Window);
}

TEST(DrawThumbnailBorder, FramesTheWholePictureOnePixelWide) {
    // A picture of 8 bits a pixel is widened first, so the frame keeps its exact colour; one of 16
    // bits shows it in 5, 6 and 5 bits.
    for (const auto& [depth, shown] : {std::pair{8, Face}, std::pair{16, rgbOf(206, 203, 206)}}) {
        Bitmap thumbnail = Gradient(120, 90);
        thumbnail.depth = depth;
        DrawThumbnailBorder(thumbnail, Face);
        for (const auto& [x, y] :
             {std::pair{0, 0}, {119, 0}, {0, 89}, {119, 89}, {60, 0}, {60, 89}, {0, 45}, {119, 45}})
            EXPECT_EQ(thumbnail.pixel(x, y), shown) << depth << ": " << x << "," << y;
        EXPECT_EQ(thumbnail.pixel(1, 1), rgbOf(1, 1, 7));
    }
}

TEST(MakeDefaultIconBitmap, CentresTheIconOnTheWindowColour) {
    Bitmap icon(32, 32, rgbOf(0, 0, 255));
    icon.premultiplied = true;
    icon.row(0)[0] = 0; // transparent: the window shows through
    const Bitmap bitmap = MakeDefaultIconBitmap(icon, 120, 120, Window, Face);
    ASSERT_EQ(bitmap.width, 120);
    EXPECT_FALSE(bitmap.premultiplied);
    EXPECT_EQ(bitmap.pixel(44, 44), Window);
    EXPECT_EQ(bitmap.pixel(45, 44), rgbOf(0, 0, 255));
    EXPECT_EQ(bitmap.pixel(75, 75), rgbOf(0, 0, 255));
    EXPECT_EQ(bitmap.pixel(43, 60), Window);
    EXPECT_EQ(bitmap.pixel(76, 60), Window);
    EXPECT_EQ(bitmap.pixel(0, 0), Face);
    // Without an icon (the shell knows none) the square stays plain.
    EXPECT_EQ(MakeDefaultIconBitmap(Bitmap(), 120, 120, Window, Face).pixel(60, 60), Window);
}

} // namespace
