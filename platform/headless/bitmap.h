// Bitmap: a picture as plain pixels, the kind of picture the thumbnail extraction makes and the
// only one that crosses threads. Rows of 32-bit words 0xAARRGGBB, top row first, without padding:
// the memory layout of QImage's Format_RGB32 (alpha 0xFF) and Format_ARGB32_Premultiplied, so the
// window's side takes a Bitmap over without converting a pixel. Free of any toolkit; a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// One pixel, 0xAARRGGBB.
using Rgb = uint32_t;

constexpr Rgb rgbOf(int red, int green, int blue) {
    return 0xFF000000u | (uint32_t(red & 0xFF) << 16) | (uint32_t(green & 0xFF) << 8) |
           uint32_t(blue & 0xFF);
}
constexpr int redOf(Rgb pixel) {
    return int((pixel >> 16) & 0xFF);
}
constexpr int greenOf(Rgb pixel) {
    return int((pixel >> 8) & 0xFF);
}
constexpr int blueOf(Rgb pixel) {
    return int(pixel & 0xFF);
}
constexpr int alphaOf(Rgb pixel) {
    return int(pixel >> 24);
}

struct Bitmap {
    Bitmap() = default;
    // width x height pixels of one colour; an empty size gives a null bitmap.
    Bitmap(int width, int height, Rgb fill = rgbOf(0, 0, 0));

    bool isNull() const { return pixels.empty(); }
    Rgb* row(int y) { return pixels.data() + size_t(y) * size_t(width); }
    const Rgb* row(int y) const { return pixels.data() + size_t(y) * size_t(width); }
    Rgb pixel(int x, int y) const { return row(y)[x]; }
    void fill(Rgb colour);

    int width = 0;
    int height = 0;
    // The colour depth (bits a pixel: 4, 8, 16, 24 or 32) whose colours alone it holds, stored
    // as full colours: what a screen of that depth shows of the picture.
    int depth = 32;
    // The top byte is a premultiplied alpha (an icon's transparency); otherwise it is 0xFF.
    bool premultiplied = false;
    std::vector<Rgb> pixels;
};

// The rectangle (x, y, width, height) of source as a new bitmap; the parts outside are black.
Bitmap copyRect(const Bitmap& source, int x, int y, int width, int height);
// Draws source unscaled with its top left corner at (x, y) of target, clipped to target. A
// premultiplied source is blended over what is there; any other replaces it.
void drawBitmap(Bitmap& target, int x, int y, const Bitmap& source);
// A one-pixel frame around the whole bitmap in colour, as the bitmap's depth shows it; a bitmap of
// 4 or 8 bits is widened to 32 first (its colours stay, the frame's is exact).
void drawFrame(Bitmap& target, Rgb colour);

} // namespace platform
