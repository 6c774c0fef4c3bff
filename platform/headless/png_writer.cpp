// libpng reports errors by longjmp: the writing happens in writeRows, whose locals have trivial
// destructors, and the write and info structs are destroyed on every path by its caller.
#include "platform/headless/png_writer.h"

#include <algorithm>
#include <csetjmp>
#include <stdexcept>
#include <vector>

#include <png.h>
#include <zlib.h>

namespace platform {

namespace {

struct Output {
    std::string bytes;
};

extern "C" void appendBytes(png_structp png, png_bytep data, size_t length) {
    static_cast<Output*>(png_get_io_ptr(png))
        ->bytes.append(reinterpret_cast<const char*>(data), length);
}

extern "C" void flushNothing(png_structp) {}

// One row in PNG's byte order: R, G, B and, with alpha, A straight.
void packRow(const Rgb* pixels, int width, bool alpha, png_byte* out) {
    for (int x = 0; x < width; ++x) {
        const Rgb p = pixels[x];
        int r = redOf(p), g = greenOf(p), b = blueOf(p);
        const int a = alphaOf(p);
        if (alpha) {
            if (a != 0 && a != 255) {
                r = std::min(255, (r * 255 + a / 2) / a);
                g = std::min(255, (g * 255 + a / 2) / a);
                b = std::min(255, (b * 255 + a / 2) / a);
            }
        }
        *out++ = png_byte(r);
        *out++ = png_byte(g);
        *out++ = png_byte(b);
        if (alpha)
            *out++ = png_byte(a);
    }
}

// False when libpng raised an error. row is scratch of one packed row; texts are libpng's view of
// the text chunks.
bool writeRows(png_structp png, png_infop info, const Bitmap& bitmap, png_byte* row,
               std::vector<png_text>& texts) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const bool alpha = bitmap.premultiplied;
    png_set_IHDR(png, info, png_uint_32(bitmap.width), png_uint_32(bitmap.height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Thumbnails of photos: one filter and run-length compression make files within a few per
    // cent of libpng's default effort in less than half its time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
    png_set_compression_strategy(png, Z_RLE);
    if (!texts.empty())
        png_set_text(png, info, texts.data(), int(texts.size()));
    png_write_info(png, info);
    for (int y = 0; y < bitmap.height; ++y) {
        packRow(bitmap.row(y), bitmap.width, alpha, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

std::string encodePng(const Bitmap& bitmap, const std::vector<PngText>& texts) {
    if (bitmap.isNull())
        throw std::runtime_error("Cannot encode an empty picture");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        throw std::runtime_error("Cannot encode a PNG picture");
    png_infop info = png_create_info_struct(png);
    Output output;
    std::vector<png_byte> row(size_t(bitmap.width) * 4);
    std::vector<png_text> chunks(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(texts[i].key.c_str());
        chunks[i].text = const_cast<char*>(texts[i].text.c_str());
        chunks[i].text_length = texts[i].text.size();
    }
    bool written = false;
    if (info != nullptr) {
        png_set_write_fn(png, &output, appendBytes, flushNothing);
        written = writeRows(png, info, bitmap, row.data(), chunks);
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    if (!written)
        throw std::runtime_error("Cannot encode a PNG picture");
    return std::move(output.bytes);
}

} // namespace platform
