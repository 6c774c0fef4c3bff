// Test-side pictures for the decoders: content with the structure of a photograph at any size,
// and JPEG bytes written straight through libjpeg in the forms cameras and editors write
// (baseline or progressive).
#pragma once

#include <string>

#include <QImage>

namespace lumo::test {

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
};

// Smooth colour fields, texture at three scales and a little sensor-like noise, so that it
// compresses as a photograph does (about 3 bits a pixel at quality 90). The same for the same
// seed. Format_RGB32.
QImage photoLikePicture(int width, int height, unsigned seed = 1);

// A colour JPEG (4:2:0 chroma, as cameras write) of image.
std::string encodeJpegBytes(const QImage& image, JpegOptions options = {});

} // namespace lumo::test
