#include "platform/headless/jpeg_pixels.h"

#include <new>

namespace platform {

namespace {

// Rows decoded between two looks at the cancel flag.
constexpr JDIMENSION RowsPerCheck = 16;

} // namespace

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

bool decodeRgb32Rows(jpeg_decompress_struct& cinfo, Bitmap& bitmap, bool cmyk,
                     const std::atomic<bool>* cancel) {
    const auto common = reinterpret_cast<j_common_ptr>(&cinfo);
    jpeg_start_decompress(&cinfo);
    allocateOrFail(common, bitmap, cinfo.output_width, cinfo.output_height);
    JSAMPARRAY cmykRow =
        cmyk ? (*cinfo.mem->alloc_sarray)(common, JPOOL_IMAGE, cinfo.output_width * 4, 1) : nullptr;
    while (cinfo.output_scanline < cinfo.output_height) {
        if (cancel && cinfo.output_scanline % RowsPerCheck == 0 &&
            cancel->load(std::memory_order_relaxed))
            return false;
        Rgb* out = bitmap.row(static_cast<int>(cinfo.output_scanline));
        JSAMPROW row = cmyk ? cmykRow[0] : reinterpret_cast<JSAMPROW>(out);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (cmyk)
            cmykToRgb32(row, out, cinfo.output_width, cinfo.saw_Adobe_marker);
    }
    if (cinfo.output_scanline == cinfo.output_height)
        jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace platform
