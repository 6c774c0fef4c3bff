#include "platform/headless/jpeg_pixels.h"

#include <new>

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

void allocateOrFail(j_common_ptr cinfo, Bitmap& bitmap, JDIMENSION width, JDIMENSION height) {
    bool made = true;
    try {
        bitmap = Bitmap(static_cast<int>(width), static_cast<int>(height));
    } catch (const std::bad_alloc&) {
        made = false;
    }
    // Left outside the handler: a longjmp out of it would skip the exception's own clean-up.
    if (!made) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text, "Picture too large (%u x %u)", width, height);
        failJpegStep(cinfo, text);
    }
}

} // namespace platform
