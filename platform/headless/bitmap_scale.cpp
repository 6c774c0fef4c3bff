// Box-filter scaling in fixed point. For each output column (row) the tables hold the first
// source column (row) it reads and, when shrinking, the weight of that first pixel in the low 16
// bits and the weight of each whole pixel after it in the high 16 bits, in units of 1/16384 of
// the output pixel; the last pixel takes what is left of the 16384. When enlarging the weight is
// the 1/256 share of the next pixel.
#include "platform/headless/bitmap_scale.h"

#include <algorithm>
#include <array>

namespace platform {

namespace {

struct Axis {
    std::vector<int> points;  // first source pixel of each output pixel
    std::vector<int> weights; // see above
    bool up = false;          // not shrunk: interpolated
};

Axis axisOf(int source, int target) {
    Axis axis;
    axis.up = target >= source;
    axis.points.resize(size_t(target));
    axis.weights.resize(size_t(target));
    const int64_t inc = (int64_t(source) << 16) / target;
    int64_t val = axis.up ? int64_t{0x8000} * source / target - 0x8000 : 0;
    for (int i = 0; i < target; ++i) {
        axis.points[size_t(i)] = int(std::max<int64_t>(0, val >> 16));
        val += inc;
    }
    if (axis.up) {
        val = int64_t{0x8000} * source / target - 0x8000;
        for (int i = 0; i < target; ++i) {
            const int64_t pos = val >> 16;
            axis.weights[size_t(i)] = pos < 0 || pos >= source - 1 ? 0 : int((val >> 8) & 0xFF);
            val += inc;
        }
    } else {
        val = 0;
        const int whole = int(((int64_t(target) << 14) + source - 1) / source);
        for (int i = 0; i < target; ++i) {
            const int first = int(((0x10000 - (val & 0xFFFF)) * whole) >> 16);
            axis.weights[size_t(i)] = first | (whole << 16);
            val += inc;
        }
    }
    return axis;
}

// Red, green, blue; a whole pixel of 255 in both directions comes to 255 << 24.
using Sums = std::array<int64_t, 3>;

// The weighted sum (weights adding up to 16384) of the pixels from pixel on, step apart.
Sums boxSum(const Rgb* pixel, int weights, int step, const Rgb* end) {
    const int first = weights & 0xFFFF;
    const int whole = weights >> 16;
    Sums sums = {redOf(*pixel) * first, greenOf(*pixel) * first, blueOf(*pixel) * first};
    int left = (1 << 14) - first;
    for (; left > whole; left -= whole) {
        pixel += step;
        sums[0] += redOf(*pixel) * whole;
        sums[1] += greenOf(*pixel) * whole;
        sums[2] += blueOf(*pixel) * whole;
    }
    pixel += step;
    // What is left may be nothing at all, and then the pixel after the last need not exist.
    if (left > 0 && pixel < end) {
        sums[0] += redOf(*pixel) * left;
        sums[1] += greenOf(*pixel) * left;
        sums[2] += blueOf(*pixel) * left;
    }
    return sums;
}

// a * (256 - w) + b * w, per channel, in 1/256.
Rgb interpolate(Rgb a, Rgb b, int w) {
    uint32_t t = (a & 0xFF00FF) * uint32_t(256 - w) + (b & 0xFF00FF) * uint32_t(w);
    t = (t >> 8) & 0xFF00FF;
    uint32_t u = ((a >> 8) & 0xFF00FF) * uint32_t(256 - w) + ((b >> 8) & 0xFF00FF) * uint32_t(w);
    u &= 0xFF00FF00;
    return u | t;
}

// The box sums across of one source row for every output column, each shifted down by 4 bits as
// the vertical sum takes them: three values a column.
void rowSums(const Rgb* line, int lineWidth, const Axis& xs, int width,
             std::vector<uint32_t>& out) {
    for (int x = 0; x < width; ++x) {
        const Rgb* pixel = line + xs.points[size_t(x)];
        const int weights = xs.weights[size_t(x)];
        const uint32_t first = uint32_t(weights & 0xFFFF);
        const uint32_t whole = uint32_t(weights >> 16);
        uint32_t r = uint32_t(redOf(*pixel)) * first;
        uint32_t g = uint32_t(greenOf(*pixel)) * first;
        uint32_t b = uint32_t(blueOf(*pixel)) * first;
        uint32_t left = (1u << 14) - first;
        for (; left > whole; left -= whole) {
            ++pixel;
            r += uint32_t(redOf(*pixel)) * whole;
            g += uint32_t(greenOf(*pixel)) * whole;
            b += uint32_t(blueOf(*pixel)) * whole;
        }
        // What is left may be nothing at all, and then the pixel after the last need not exist.
        if (left > 0 && pixel + 1 < line + lineWidth) {
            ++pixel;
            r += uint32_t(redOf(*pixel)) * left;
            g += uint32_t(greenOf(*pixel)) * left;
            b += uint32_t(blueOf(*pixel)) * left;
        }
        out[size_t(3 * x)] = r >> 4;
        out[size_t(3 * x + 1)] = g >> 4;
        out[size_t(3 * x + 2)] = b >> 4;
    }
}

// Row by row: each source row's sums across, weighted into the output row's sums. A whole pixel
// of 255 in both directions comes to 255 << 24, within 32 bits.
void shrinkBoth(const Bitmap& source, Bitmap& target, const Axis& xs, const Axis& ys) {
    const size_t columns = size_t(target.width) * 3;
    std::vector<uint32_t> across(columns);
    std::vector<uint32_t> sums(columns);
    const auto add = [&](int sourceRow, uint32_t weight, bool first) {
        rowSums(source.row(sourceRow), source.width, xs, target.width, across);
        for (size_t i = 0; i < columns; ++i)
            sums[i] = (first ? 0 : sums[i]) + across[i] * weight;
    };
    for (int y = 0; y < target.height; ++y) {
        const int weights = ys.weights[size_t(y)];
        const uint32_t first = uint32_t(weights & 0xFFFF);
        const uint32_t whole = uint32_t(weights >> 16);
        int row = ys.points[size_t(y)];
        add(row, first, true);
        uint32_t left = (1u << 14) - first;
        for (; left > whole; left -= whole)
            add(++row, whole, false);
        if (left > 0 && row + 1 < source.height)
            add(++row, left, false);
        Rgb* out = target.row(y);
        for (int x = 0; x < target.width; ++x)
            out[x] = rgbOf(int(sums[size_t(3 * x)] >> 24), int(sums[size_t(3 * x + 1)] >> 24),
                           int(sums[size_t(3 * x + 2)] >> 24));
    }
}

// Shrinks along the axis of step (1: across, the row length: down) and interpolates along the
// other, whose weights are in across.
void shrinkOne(const Bitmap& source, Bitmap& target, const Axis& xs, const Axis& ys,
               bool shrinkRows) {
    const int stride = source.width;
    const Rgb* end = source.pixels.data() + source.pixels.size();
    for (int y = 0; y < target.height; ++y) {
        Rgb* out = target.row(y);
        for (int x = 0; x < target.width; ++x) {
            const Rgb* pixel = source.row(ys.points[size_t(y)]) + xs.points[size_t(x)];
            const int boxWeights = shrinkRows ? ys.weights[size_t(y)] : xs.weights[size_t(x)];
            const int step = shrinkRows ? stride : 1;
            const int otherStep = shrinkRows ? 1 : stride;
            const int share = shrinkRows ? xs.weights[size_t(x)] : ys.weights[size_t(y)];
            Sums sums = boxSum(pixel, boxWeights, step, end);
            if (share > 0) {
                const Sums next = boxSum(pixel + otherStep, boxWeights, step, end);
                for (int c = 0; c < 3; ++c)
                    sums[size_t(c)] =
                        (sums[size_t(c)] * (256 - share) + next[size_t(c)] * share) >> 8;
            }
            out[x] = rgbOf(int(sums[0] >> 14), int(sums[1] >> 14), int(sums[2] >> 14));
        }
    }
}

void enlargeBoth(const Bitmap& source, Bitmap& target, const Axis& xs, const Axis& ys) {
    const int stride = source.width;
    for (int y = 0; y < target.height; ++y) {
        const Rgb* line = source.row(ys.points[size_t(y)]);
        const int yShare = ys.weights[size_t(y)];
        Rgb* out = target.row(y);
        for (int x = 0; x < target.width; ++x) {
            const Rgb* pixel = line + xs.points[size_t(x)];
            const int xShare = xs.weights[size_t(x)];
            // Down first, then across: two roundings, as the desktop's scaling makes them.
            if (yShare > 0)
                out[x] = xShare > 0
                             ? interpolate(interpolate(pixel[0], pixel[stride], yShare),
                                           interpolate(pixel[1], pixel[stride + 1], yShare), xShare)
                             : interpolate(pixel[0], pixel[stride], yShare);
            else
                out[x] = xShare > 0 ? interpolate(pixel[0], pixel[1], xShare) : pixel[0];
        }
    }
}

} // namespace

Bitmap smoothScaled(const Bitmap& picture, int width, int height) {
    Bitmap target(width, height);
    if (target.isNull() || picture.isNull())
        return {};
    target.depth = picture.depth;
    const Axis xs = axisOf(picture.width, width);
    const Axis ys = axisOf(picture.height, height);
    if (xs.up && ys.up)
        enlargeBoth(picture, target, xs, ys);
    else if (xs.up)
        shrinkOne(picture, target, xs, ys, true);
    else if (ys.up)
        shrinkOne(picture, target, xs, ys, false);
    else
        shrinkBoth(picture, target, xs, ys);
    return target;
}

} // namespace platform
