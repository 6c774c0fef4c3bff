// The full decoder and the encoder, steps of the guarded libjpeg call; the decoded picture is
// turned upright after the step.
#include "platform/headless/jpeg_codec.h"

#include <algorithm>
#include <cstdlib>

#include "geometry/orientation.h"
#include "platform/headless/jpeg_pixels.h"
#include "platform/headless/upright.h"
#include "platform/jpeg/jpeg_guard.h"

namespace platform {

namespace {

unsigned scaleDenominator(unsigned width, unsigned height, int fitWidth, int fitHeight) {
    if (fitWidth <= 0 || fitHeight <= 0)
        return 1;
    for (unsigned denom : {8u, 4u, 2u}) {
        const unsigned w = (width + denom - 1) / denom;
        const unsigned h = (height + denom - 1) / denom;
        if (w >= unsigned(fitWidth) || h >= unsigned(fitHeight))
            return denom;
    }
    return 1;
}

struct DecodeJob {
    const JpegInput* input = nullptr;
    int fitWidth = 0;
    int fitHeight = 0;
    Bitmap bitmap;
    JpegHeader header;
};

void decode(jpeg_decompress_struct& cinfo, DecodeJob& job) {
    const auto common = reinterpret_cast<j_common_ptr>(&cinfo);
    // The decoder's own buffers (a progressive picture keeps all its coefficients) stay within
    // the same bound as the picture it makes; beyond it the decoder stops with an error.
    cinfo.mem->max_memory_to_use = static_cast<long>(MaxDecodedBytes);
    if (job.input->file != nullptr)
        jpeg_stdio_src(&cinfo, job.input->file);
    else
        jpeg_mem_src(&cinfo, job.input->data, static_cast<unsigned long>(job.input->size));
    keepExifSegments(cinfo);
    jpeg_read_header(&cinfo, TRUE);
    job.header = {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
                  keptOrientation(cinfo)};
    // The box is the upright picture's; a picture turned a quarter fits it with its sides swapped.
    const bool swaps = geometry::SwapsSides(job.header.orientation);
    cinfo.scale_num = 1;
    cinfo.scale_denom = scaleDenominator(cinfo.image_width, cinfo.image_height,
                                         swaps ? job.fitHeight : job.fitWidth,
                                         swaps ? job.fitWidth : job.fitHeight);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
    jpeg_calc_output_dimensions(&cinfo);
    if (uint64_t{cinfo.output_width} * cinfo.output_height * 4 > MaxDecodedBytes) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text,
                      "Picture too large (%u x %u pixels would need more than %llu MB)",
                      cinfo.output_width, cinfo.output_height,
                      static_cast<unsigned long long>(MaxDecodedBytes >> 20));
        failJpegStep(common, text);
    }
    decodeRgb32Rows(cinfo, job.bitmap, cmyk);
}

} // namespace

Bitmap decodeJpegBitmap(const JpegInput& input, int fitWidth, int fitHeight,
                        const std::string& errorPrefix, JpegHeader* header) {
    if (input.file == nullptr && (input.data == nullptr || input.size == 0))
        throw EJpegError("Empty JPEG data");
    DecodeJob job;
    job.input = &input;
    job.fitWidth = fitWidth;
    job.fitHeight = fitHeight;
    auto step = [&job](jpeg_decompress_struct& cinfo) {
        decode(cinfo, job);
    };
    withDecompressor(step, errorPrefix);
    if (header != nullptr)
        *header = job.header;
    return orientBitmap(std::move(job.bitmap), job.header.orientation);
}

std::string encodeJpegBitmap(const Bitmap& bitmap, int quality) {
    if (bitmap.isNull())
        throw EJpegError("Cannot encode an empty picture");
    unsigned char* buffer = nullptr; // malloc'd by libjpeg, freed here on every path
    unsigned long size = 0;
    auto step = [&](jpeg_compress_struct& cinfo) {
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = static_cast<JDIMENSION>(bitmap.width);
        cinfo.image_height = static_cast<JDIMENSION>(bitmap.height);
        cinfo.input_components = 4;
        cinfo.in_color_space = kRgb32Space;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(
                const_cast<Rgb*>(bitmap.row(static_cast<int>(cinfo.next_scanline))));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
    };
    struct FreeBuffer {
        unsigned char*& buffer;
        ~FreeBuffer() { std::free(buffer); }
    } freeBuffer{buffer};
    withCompressor(step);
    return std::string(reinterpret_cast<const char*>(buffer), size);
}

} // namespace platform
