// Small pictures of big JPEGs for thumbnails: libjpeg-turbo's DCT scaling at the smallest of its
// scales (1/8 to 8/8) that still leaves the picture at least as large as asked, so a thumbnail of
// a camera picture never costs a full-size decode, and a decode that a stop request can end
// between rows. Greyscale, CMYK and YCCK pictures come out as RGB. Thread-safe.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <QSize>

#include "platform/headless/bitmap.h"

namespace platform {

struct ThumbnailDecode {
    QSize atLeast;         // the decoded picture is at least this large in both dimensions
    bool accurate = false; // accurate DCT and smooth chroma upsampling (slower)
    const std::atomic<bool>* cancel = nullptr; // polled between rows; set = stop at once
};

// The scale numerator n (the picture decodes at n/8) that decodeJpegThumbnail uses for a picture
// of width x height: the smallest that keeps both sides at least atLeast, 8 when none smaller does.
int thumbnailScaleNumerator(int width, int height, QSize atLeast);

// Decodes a JPEG held in memory at that scale. nullopt when cancelled; raises EJpegError
// (jpeg_error.h) for data that is not a decodable JPEG.
std::optional<Bitmap> decodeJpegThumbnail(const uint8_t* data, size_t size,
                                          const ThumbnailDecode& how);

} // namespace platform
