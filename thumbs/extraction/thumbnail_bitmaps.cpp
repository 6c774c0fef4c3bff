// Default icon squares, fitting and border of thumbnails.
#include "thumbs/extraction/thumbnail_bitmaps.h"

#include "geometry/placement.h"

platform::Bitmap MakeDefaultIconBitmap(const platform::Bitmap& icon, int width, int height,
                                       platform::Rgb windowColor, platform::Rgb borderColor) {
    platform::Bitmap bitmap(width, height, windowColor);
    platform::drawBitmap(bitmap, geometry::CentreOffset(icon.width, width),
                         geometry::CentreOffset(icon.height, height), icon);
    DrawThumbnailBorder(bitmap, borderColor);
    return bitmap;
}

void FitThumbnail(platform::Bitmap& thumbnail, int width, int height, platform::Rgb windowColor) {
    platform::Bitmap fitted(width, height, windowColor);
    platform::drawBitmap(fitted, geometry::CentreOffset(thumbnail.width, width),
                         geometry::CentreOffset(thumbnail.height, height), thumbnail);
    thumbnail = std::move(fitted);
}

void DrawThumbnailBorder(platform::Bitmap& thumbnail, platform::Rgb borderColor) {
    platform::drawFrame(thumbnail, borderColor);
}
