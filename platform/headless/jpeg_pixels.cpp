#include "platform/headless/jpeg_pixels.h"

namespace platform {

void cmykToRgb32(const JSAMPLE* cmyk, Rgb* out, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = rgbOf(c * k / 255, m * k / 255, y * k / 255);
    }
}

} // namespace platform
