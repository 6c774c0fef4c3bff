// Filling, cutting out, drawing and framing bitmaps.
#include "platform/headless/bitmap.h"

#include <algorithm>

#include "platform/headless/bitmap_depth.h"

namespace platform {

namespace {

// c * a / 255 per channel, rounded as the toolkit's painter rounds it.
uint32_t byteMul(uint32_t pixel, uint32_t a) {
    uint64_t t = ((uint64_t(pixel) | (uint64_t(pixel) << 24)) & 0x00FF00FF00FF00FFull) * a;
    t = (t + ((t >> 8) & 0x00FF00FF00FF00FFull) + 0x0080008000800080ull) >> 8;
    t &= 0x00FF00FF00FF00FFull;
    return uint32_t(t) | uint32_t(t >> 24);
}

// A premultiplied pixel over an opaque one.
Rgb sourceOver(Rgb source, Rgb destination) {
    if (alphaOf(source) == 0xFF)
        return source;
    if (source == 0)
        return destination;
    return source + byteMul(destination, 255 - uint32_t(alphaOf(source)));
}

} // namespace

Bitmap::Bitmap(int width_, int height_, Rgb fillColour) {
    if (width_ <= 0 || height_ <= 0)
        return;
    width = width_;
    height = height_;
    pixels.assign(size_t(width) * size_t(height), fillColour);
}

void Bitmap::fill(Rgb colour) {
    std::fill(pixels.begin(), pixels.end(), colour);
}

Bitmap copyRect(const Bitmap& source, int x, int y, int width, int height) {
    Bitmap copy(width, height);
    copy.depth = source.depth;
    copy.premultiplied = source.premultiplied;
    if (copy.isNull())
        return copy;
    if (source.premultiplied)
        copy.fill(0);
    drawBitmap(copy, -x, -y, source);
    return copy;
}

void drawBitmap(Bitmap& target, int x, int y, const Bitmap& source) {
    const int left = std::max(0, x);
    const int top = std::max(0, y);
    const int right = std::min(target.width, x + source.width);
    const int bottom = std::min(target.height, y + source.height);
    if (left >= right || top >= bottom)
        return;
    for (int row = top; row < bottom; ++row) {
        const Rgb* from = source.row(row - y) + (left - x);
        Rgb* to = target.row(row) + left;
        if (!source.premultiplied || target.premultiplied) {
            std::copy(from, from + (right - left), to);
            continue;
        }
        for (int i = 0; i < right - left; ++i)
            to[i] = sourceOver(from[i], to[i]);
    }
}

void drawFrame(Bitmap& target, Rgb colour) {
    if (target.isNull())
        return;
    // A picture of few colours is widened to full colour before it is painted on.
    if (target.depth < 16)
        target.depth = 32;
    const Rgb shown = shownInDepth(colour, target.depth);
    std::fill(target.row(0), target.row(0) + target.width, shown);
    std::fill(target.row(target.height - 1), target.row(target.height - 1) + target.width, shown);
    for (int y = 0; y < target.height; ++y) {
        target.row(y)[0] = shown;
        target.row(y)[target.width - 1] = shown;
    }
}

} // namespace platform
