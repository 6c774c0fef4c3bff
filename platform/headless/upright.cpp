// EXIF orientation from the kept segments, and the pixel turn in tiles.
#include "platform/headless/upright.h"

#include <algorithm>

#include "exif/orientation.h"
#include "geometry/orientation.h"

namespace platform {

namespace {

// Pixels are copied in squares of this side, so that a quarter turn reads and writes within a
// few cache lines at a time rather than striding across the whole picture for every pixel.
constexpr int Tile = 64;

} // namespace

void keepExifSegments(jpeg_decompress_struct& cinfo) {
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
}

int keptOrientation(const jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr;
         marker = marker->next) {
        // The first EXIF block counts, as in the outline walk; other APP1 segments (XMP) do not.
        if (const auto orientation = ExifSegmentOrientation(marker->data, marker->data_length))
            return *orientation;
    }
    return 1;
}

void orientPixels(const Rgb* source, int width, int height, ptrdiff_t sourceStride, Rgb* target,
                  ptrdiff_t targetStride, int orientation) {
    const geometry::Size stored{width, height};
    const geometry::Size upright = geometry::UprightSize(stored, orientation);
    if (upright.width <= 0 || upright.height <= 0)
        return;
    // The stored pixel of upright (x, y) lies at origin + x * stepX + y * stepY.
    const auto offset = [&](geometry::Point p) {
        return p.x + p.y * sourceStride;
    };
    const ptrdiff_t origin = offset(geometry::StoredPoint({0, 0}, stored, orientation));
    const ptrdiff_t stepX = offset(geometry::StoredPoint({1, 0}, stored, orientation)) - origin;
    const ptrdiff_t stepY = offset(geometry::StoredPoint({0, 1}, stored, orientation)) - origin;
    for (int top = 0; top < upright.height; top += Tile) {
        const int bottom = std::min(top + Tile, upright.height);
        for (int left = 0; left < upright.width; left += Tile) {
            const int right = std::min(left + Tile, upright.width);
            for (int y = top; y < bottom; ++y) {
                const Rgb* from = source + origin + y * stepY + left * stepX;
                Rgb* to = target + y * targetStride + left;
                for (int x = left; x < right; ++x, from += stepX)
                    *to++ = *from;
            }
        }
    }
}

Bitmap orientBitmap(Bitmap bitmap, int orientation) {
    if (geometry::KnownOrientation(orientation) == 1 || bitmap.isNull())
        return bitmap;
    const geometry::Size upright =
        geometry::UprightSize({bitmap.width, bitmap.height}, orientation);
    Bitmap turned(upright.width, upright.height);
    turned.depth = bitmap.depth;
    turned.premultiplied = bitmap.premultiplied;
    orientPixels(bitmap.pixels.data(), bitmap.width, bitmap.height, bitmap.width,
                 turned.pixels.data(), turned.width, orientation);
    return turned;
}

} // namespace platform
