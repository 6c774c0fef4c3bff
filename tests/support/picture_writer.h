// Test-side pictures for the decoders: content with the structure of a photograph at any size,
// and JPEG bytes written straight through libjpeg in the forms cameras and editors write
// (baseline or progressive).
#pragma once

#include <array>
#include <string>

#include <QImage>

namespace lumo::test {

// How the colours are stored: as the cameras' YCbCr, or as printers' inks. Without an Adobe
// marker CMYK holds the amounts of ink; under one (as Adobe's programs write) it holds them
// inverted, and YCCK is that inverted CMYK in YCbCr form.
enum class JpegInk { Rgb, Cmyk, AdobeCmyk, AdobeYcck };

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    JpegInk ink = JpegInk::Rgb;
};

// Smooth colour fields, texture at three scales and a little sensor-like noise, so that it
// compresses as a photograph does (about 3 bits a pixel at quality 90). The same for the same
// seed. Format_RGB32.
QImage photoLikePicture(int width, int height, unsigned seed = 1);

// Four colours in the four quarters of a width x height picture (Format_RGB32), in the order top
// left, top right, bottom left, bottom right: a picture whose turns and mirrorings all differ.
using Quarters = std::array<QRgb, 4>;
QImage quarteredPicture(int width, int height, const Quarters& colours);
// The colour at the middle of each quarter of picture, in the same order.
Quarters quarterColours(const QImage& picture);
// Red, green, blue and yellow: quarters that tell every turn and mirroring apart.
Quarters distinctQuarters();
// The quarters of a picture whose quarters are stored as stored, once it is drawn upright by the
// EXIF orientation (1..8; written out by hand, one line per orientation).
Quarters uprightQuarters(const Quarters& stored, int orientation);
// Whether each colour is within tolerance of the expected one in every channel (JPEG changes
// colours a little).
bool nearColours(const Quarters& seen, const Quarters& expected, int tolerance = 24);

// A colour JPEG (4:2:0 chroma, as cameras write) of image. Its ink form gets the inks that print
// each colour: black ink for what the brightest channel lacks, the other inks for the rest.
std::string encodeJpegBytes(const QImage& image, JpegOptions options = {});
// The same with an EXIF block whose IFD0 holds the orientation alone, as a turned camera writes
// it: the pixels stay as image has them.
std::string turnedJpegBytes(const QImage& image, int orientation, JpegOptions options = {});

} // namespace lumo::test
