// Colour reductions of thumbnails.
#include "platform/headless/bitmap_depth.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <unordered_map>

namespace platform {

namespace {

// The 16 colours of a 4-bit picture.
std::array<Rgb, 16> sixteenColours() {
    std::array<Rgb, 16> table{};
    for (int i = 0; i < 16; ++i) {
        const int level = (i & 8) ? 255 : 128;
        table[size_t(i)] =
            i == 8   ? rgbOf(192, 192, 192)
            : i == 7 ? rgbOf(128, 128, 128)
                     : rgbOf((i & 4) ? level : 0, (i & 2) ? level : 0, (i & 1) ? level : 0);
    }
    return table;
}

int distance(Rgb a, Rgb b) {
    return std::abs(redOf(a) - redOf(b)) + std::abs(greenOf(a) - greenOf(b)) +
           std::abs(blueOf(a) - blueOf(b)) + std::abs(alphaOf(a) - alphaOf(b));
}

void toSixteenColours(Bitmap& picture) {
    static const std::array<Rgb, 16> table = sixteenColours();
    std::unordered_map<Rgb, Rgb> nearest;
    for (Rgb& pixel : picture.pixels) {
        const auto known = nearest.find(pixel);
        if (known != nearest.end()) {
            pixel = known->second;
            continue;
        }
        Rgb best = table[0];
        int bestDistance = INT_MAX;
        for (const Rgb candidate : table) {
            const int d = distance(pixel, candidate);
            if (d < bestDistance) {
                bestDistance = d;
                best = candidate;
            }
        }
        nearest.emplace(pixel, best);
        pixel = best;
    }
}

bool hasAtMost256Colours(const Bitmap& picture) {
    std::unordered_map<Rgb, bool> seen;
    for (const Rgb pixel : picture.pixels) {
        seen.emplace(pixel, true);
        if (seen.size() > 256)
            return false;
    }
    return true;
}

// The 6 x 6 x 6 cube with Floyd-Steinberg error diffusion, one channel at a time, rows walked in
// alternating directions.
void toColourCube(Bitmap& picture) {
    const int width = picture.width;
    const int height = picture.height;
    const int shifts[3] = {0, 8, 16}; // blue, green, red
    std::vector<int> lines(size_t(width) * 9);
    int* line1[3];
    int* line2[3];
    int* levels[3];
    for (int c = 0; c < 3; ++c) {
        line1[c] = lines.data() + size_t(width) * size_t(2 * c);
        line2[c] = lines.data() + size_t(width) * size_t(2 * c + 1);
        levels[c] = lines.data() + size_t(width) * size_t(6 + c);
    }
    const Bitmap source = picture;
    for (int y = 0; y < height; ++y) {
        const Rgb* row = source.row(y);
        const Rgb* next = y + 1 < height ? source.row(y + 1) : nullptr;
        for (int c = 0; c < 3; ++c) {
            int* l1 = (y & 1) ? line2[c] : line1[c];
            int* l2 = (y & 1) ? line1[c] : line2[c];
            if (y == 0) {
                for (int i = 0; i < width; ++i)
                    l1[i] = int((row[i] >> shifts[c]) & 0xFF);
            }
            if (next != nullptr) {
                for (int i = 0; i < width; ++i)
                    l2[i] = int((next[i] >> shifts[c]) & 0xFF);
            }
            const auto quantise = [&](int x) {
                const int level = std::clamp((l1[x] * 5 + 128) / 255, 0, 5);
                levels[c][x] = level;
                return l1[x] - level * 255 / 5;
            };
            if (y & 1) {
                for (int x = 0; x < width; ++x) {
                    const int err = quantise(x);
                    if (x + 1 < width) {
                        l1[x + 1] += (err * 7) >> 4;
                        l2[x + 1] += err >> 4;
                    }
                    l2[x] += (err * 5) >> 4;
                    if (x > 1)
                        l2[x - 1] += (err * 3) >> 4;
                }
            } else {
                for (int x = width; x-- > 0;) {
                    const int err = quantise(x);
                    if (x > 0) {
                        l1[x - 1] += (err * 7) >> 4;
                        l2[x - 1] += err >> 4;
                    }
                    l2[x] += (err * 5) >> 4;
                    if (x + 1 < width)
                        l2[x + 1] += (err * 3) >> 4;
                }
            }
        }
        Rgb* out = picture.row(y);
        for (int x = 0; x < width; ++x)
            out[x] = rgbOf(levels[2][x] * 255 / 5, levels[1][x] * 255 / 5, levels[0][x] * 255 / 5);
    }
}

} // namespace

Rgb shownInDepth(Rgb colour, int depth) {
    if (depth != 16)
        return colour;
    const int r = redOf(colour) >> 3;
    const int g = greenOf(colour) >> 2;
    const int b = blueOf(colour) >> 3;
    return rgbOf((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

Bitmap inColourDepth(const Bitmap& picture, uint32_t depth) {
    Bitmap reduced = picture;
    switch (depth) {
    case 4:
        toSixteenColours(reduced);
        break;
    case 8:
        if (!hasAtMost256Colours(reduced))
            toColourCube(reduced);
        break;
    case 16:
        for (Rgb& pixel : reduced.pixels)
            pixel = shownInDepth(pixel, 16);
        break;
    case 24:
        break;
    default:
        depth = 32;
        break;
    }
    reduced.depth = int(depth);
    return reduced;
}

} // namespace platform
