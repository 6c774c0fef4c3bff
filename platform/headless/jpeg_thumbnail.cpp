// DCT-scaled, cancellable JPEG decoding, one step of the guarded libjpeg call.
#include "platform/headless/jpeg_thumbnail.h"

#include "platform/headless/jpeg_pixels.h"
#include "platform/jpeg/jpeg_guard.h"

namespace platform {

namespace {

struct Job {
    const uint8_t* data = nullptr;
    size_t size = 0;
    const ThumbnailDecode* how = nullptr;
    Bitmap bitmap;
    bool cancelled = false;
};

// Colour and greyscale pictures come out as RGB words directly; CMYK and YCCK ones (printers'
// pictures) are read as CMYK a row at a time and turned into RGB.
void decode(jpeg_decompress_struct& cinfo, Job& job) {
    jpeg_mem_src(&cinfo, job.data, static_cast<unsigned long>(job.size));
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.scale_num = static_cast<unsigned>(
        thumbnailScaleNumerator(static_cast<int>(cinfo.image_width),
                                static_cast<int>(cinfo.image_height), job.how->atLeast));
    cinfo.scale_denom = 8;
    cinfo.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
    cinfo.dct_method = job.how->accurate ? JDCT_ISLOW : JDCT_IFAST;
    cinfo.do_fancy_upsampling = job.how->accurate ? TRUE : FALSE;
    job.cancelled = !decodeRgb32Rows(cinfo, job.bitmap, cmyk, job.how->cancel);
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

std::optional<Bitmap> decodeJpegThumbnail(const uint8_t* data, size_t size,
                                          const ThumbnailDecode& how) {
    if (data == nullptr || size == 0)
        throw EJpegError("Empty JPEG data");
    Job job;
    job.data = data;
    job.size = size;
    job.how = &how;
    auto step = [&job](jpeg_decompress_struct& cinfo) {
        decode(cinfo, job);
    };
    withDecompressor(step);
    if (job.cancelled)
        return std::nullopt;
    return std::move(job.bitmap);
}

} // namespace platform
