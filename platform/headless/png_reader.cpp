// libpng reports errors by longjmp: the reading happens in readPicture, whose locals have trivial
// destructors; what it makes lives in the caller's Reading, and the read and info structs are
// destroyed on every path by its caller.
#include "platform/headless/png_reader.h"

#include <csetjmp>
#include <cstring>

#include <png.h>

namespace platform {

namespace {

// A thumbnail carries a handful of text chunks of a few hundred bytes; these bounds leave room
// for any sensible one and keep a hostile file from making libpng allocate much.
constexpr png_uint_32 MaxAncillaryChunks = 64;
constexpr png_alloc_size_t MaxChunkBytes = 256 * 1024;

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at;
};

struct Reading {
    Input input{};
    int maxSide = 0;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    std::vector<png_byte> pixels; // RGBA rows
    std::vector<png_bytep> rows;
};

extern "C" void readBytes(png_structp png, png_bytep out, size_t length) {
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    if (length > input->size - input->at)
        png_error(png, "data cut short");
    std::memcpy(out, input->data + input->at, length);
    input->at += length;
}

extern "C" void onPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

extern "C" void onPngWarning(png_structp, png_const_charp) {}

// False when libpng raised an error.
bool readPicture(png_structp png, png_infop info, Reading& reading) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, png_uint_32(reading.maxSide), png_uint_32(reading.maxSide));
    png_set_chunk_cache_max(png, MaxAncillaryChunks);
    png_set_chunk_malloc_max(png, MaxChunkBytes);
    // libpng only warns about a chunk beyond these limits and may still make room for it: here
    // that ends the reading, before any such allocation.
    png_set_benign_errors(png, 0);
    png_set_read_fn(png, &reading.input, readBytes);
    png_read_info(png, info);
    // Every kind of PNG becomes 8-bit RGBA: palettes and grey expanded, 16 bits cut to 8, a
    // transparent colour turned into alpha and an opaque alpha added where there is none.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    reading.width = png_get_image_width(png, info);
    reading.height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t(reading.width) * 4)
        png_error(png, "unexpected row layout");
    reading.pixels.resize(size_t(reading.width) * reading.height * 4);
    reading.rows.resize(reading.height);
    for (png_uint_32 y = 0; y < reading.height; ++y)
        reading.rows[y] = reading.pixels.data() + size_t(y) * reading.width * 4;
    png_read_image(png, reading.rows.data());
    // Text chunks may also follow the picture.
    png_read_end(png, info);
    return true;
}

// Straight alpha over white.
int overWhite(int colour, int alpha) {
    return (colour * alpha + 255 * (255 - alpha) + 127) / 255;
}

} // namespace

std::optional<PngPicture> decodePng(const uint8_t* data, size_t size, int maxSide) {
    if (data == nullptr || maxSide < 1 || size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return std::nullopt;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (png == nullptr)
        return std::nullopt;
    png_infop info = png_create_info_struct(png);
    Reading reading;
    reading.input = {data, size, 0};
    reading.maxSide = maxSide;
    std::optional<PngPicture> picture;
    if (info != nullptr && readPicture(png, info, reading)) {
        picture.emplace();
        Bitmap& bitmap = picture->bitmap;
        bitmap = Bitmap(int(reading.width), int(reading.height));
        const png_byte* in = reading.pixels.data();
        for (int y = 0; y < bitmap.height; ++y) {
            Rgb* out = bitmap.row(y);
            for (int x = 0; x < bitmap.width; ++x, in += 4)
                out[x] = rgbOf(overWhite(in[0], in[3]), overWhite(in[1], in[3]),
                               overWhite(in[2], in[3]));
        }
        png_textp texts = nullptr;
        const int count = png_get_text(png, info, &texts, nullptr);
        for (int i = 0; i < count; ++i)
            picture->texts.push_back({texts[i].key, texts[i].text ? texts[i].text : ""});
    }
    png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    return picture;
}

} // namespace platform
