// DCT-scaled, cancellable JPEG decoding: libjpeg's errors longjmp back into one small function
// whose locals all have trivial destructors, and come out as EJpegError.
#include "platform/qt/jpeg_thumbnail.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "platform/qt/jpeg.h"

namespace platform {

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_BGRX; // Format_RGB32 in memory order B,G,R,X
#else
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_XRGB;
#endif

// Rows decoded between two looks at the cancel flag.
constexpr JDIMENSION RowsPerCheck = 16;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void onThumbnailJpegError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (a damaged segment, data cut short) are not errors: a thumbnail shows what is there.
extern "C" void onThumbnailJpegMessage(j_common_ptr) {}

enum class Outcome { Decoded, Cancelled, Failed };

struct Job {
    const uint8_t* data = nullptr;
    size_t size = 0;
    const ThumbnailDecode* how = nullptr;
    QImage* image = nullptr;
    char message[JMSG_LENGTH_MAX] = {};
};

// Colour pictures as RGB; CMYK and YCCK (rare in cameras) are left to the full decoder.
Outcome runDecode(Job& job) {
    jpeg_decompress_struct cinfo;
    ErrorManager manager;
    cinfo.err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onThumbnailJpegError;
    manager.pub.output_message = onThumbnailJpegMessage;
    manager.message[0] = '\0';
    if (setjmp(manager.jump)) {
        std::memcpy(job.message, manager.message, sizeof job.message);
        jpeg_destroy_decompress(&cinfo);
        return Outcome::Failed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, job.data, static_cast<unsigned long>(job.size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        std::snprintf(job.message, sizeof job.message, "CMYK pictures are not scaled here");
        jpeg_destroy_decompress(&cinfo);
        return Outcome::Failed;
    }
    cinfo.scale_num = static_cast<unsigned>(
        thumbnailScaleNumerator(static_cast<int>(cinfo.image_width),
                                static_cast<int>(cinfo.image_height), job.how->atLeast));
    cinfo.scale_denom = 8;
    cinfo.out_color_space = kRgb32Space;
    cinfo.dct_method = job.how->accurate ? JDCT_ISLOW : JDCT_IFAST;
    cinfo.do_fancy_upsampling = job.how->accurate ? TRUE : FALSE;
    jpeg_start_decompress(&cinfo);
    *job.image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                        QImage::Format_RGB32);
    if (job.image->isNull()) {
        std::snprintf(job.message, sizeof job.message, "Picture too large (%u x %u)",
                      cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return Outcome::Failed;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        if (job.how->cancel && cinfo.output_scanline % RowsPerCheck == 0 &&
            job.how->cancel->load(std::memory_order_relaxed)) {
            jpeg_destroy_decompress(&cinfo);
            return Outcome::Cancelled;
        }
        JSAMPROW row = job.image->scanLine(static_cast<int>(cinfo.output_scanline));
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
    }
    // A stream that stopped early keeps the rows decoded so far.
    if (cinfo.output_scanline == cinfo.output_height)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return Outcome::Decoded;
}

} // namespace

int thumbnailScaleNumerator(int width, int height, QSize atLeast) {
    for (int n = 1; n < 8; ++n) {
        // libjpeg rounds a scaled side up.
        const int64_t w = (int64_t{width} * n + 7) / 8;
        const int64_t h = (int64_t{height} * n + 7) / 8;
        if (w >= atLeast.width() && h >= atLeast.height())
            return n;
    }
    return 8;
}

std::optional<QImage> decodeJpegThumbnail(const uint8_t* data, size_t size,
                                          const ThumbnailDecode& how) {
    if (data == nullptr || size == 0)
        throw EJpegError("Empty JPEG data");
    QImage image;
    Job job;
    job.data = data;
    job.size = size;
    job.how = &how;
    job.image = &image;
    switch (runDecode(job)) {
    case Outcome::Decoded:
        return image;
    case Outcome::Cancelled:
        return std::nullopt;
    case Outcome::Failed:
        break;
    }
    throw EJpegError(job.message);
}

} // namespace platform
