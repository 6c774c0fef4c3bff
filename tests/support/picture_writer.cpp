// Test-side picture writer.
#include "tests/support/picture_writer.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

#include "tests/support/tiff_layout.h"

namespace lumo::test {

namespace {

// Value noise: random values on a grid of cell-sized squares, blended bilinearly in between.
class NoiseField {
public:
    NoiseField(int width, int height, int cell, int amplitude, std::mt19937& random)
        : cell_(cell), columns_(width / cell + 2) {
        std::uniform_int_distribution<int> value(-amplitude, amplitude);
        grid_.resize(static_cast<size_t>(columns_) * static_cast<size_t>(height / cell + 2));
        for (int& v : grid_)
            v = value(random);
    }
    // The field's values along row y, added to out.
    void addRow(int y, std::vector<int>& out) const {
        const int gy = y / cell_;
        const int fy = y % cell_;
        const int* top = &grid_[static_cast<size_t>(gy) * static_cast<size_t>(columns_)];
        const int* bottom = top + columns_;
        for (size_t x = 0; x < out.size(); ++x) {
            const int gx = static_cast<int>(x) / cell_;
            const int fx = static_cast<int>(x) % cell_;
            const int upper = top[gx] * (cell_ - fx) + top[gx + 1] * fx;
            const int lower = bottom[gx] * (cell_ - fx) + bottom[gx + 1] * fx;
            out[x] += (upper * (cell_ - fy) + lower * fy) / (cell_ * cell_);
        }
    }

private:
    int cell_;
    int columns_;
    std::vector<int> grid_;
};

int clampByte(int v) {
    return std::clamp(v, 0, 255);
}

} // namespace

QImage photoLikePicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    const NoiseField light(width, height, 512, 90, random);
    const NoiseField shapes(width, height, 64, 40, random);
    const NoiseField texture(width, height, 8, 30, random);
    const NoiseField detail(width, height, 2, 24, random);
    const NoiseField warm(width, height, 256, 40, random);
    const NoiseField cool(width, height, 256, 40, random);
    QImage image(width, height, QImage::Format_RGB32);
    std::vector<int> luma(static_cast<size_t>(width));
    std::vector<int> red(static_cast<size_t>(width));
    std::vector<int> blue(static_cast<size_t>(width));
    uint32_t grain = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        std::fill(luma.begin(), luma.end(), 128);
        std::fill(red.begin(), red.end(), 0);
        std::fill(blue.begin(), blue.end(), 0);
        light.addRow(y, luma);
        shapes.addRow(y, luma);
        texture.addRow(y, luma);
        detail.addRow(y, luma);
        warm.addRow(y, red);
        cool.addRow(y, blue);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int l = luma[static_cast<size_t>(x)] + static_cast<int>(grain >> 28) - 8;
            line[x] = qRgb(clampByte(l + red[static_cast<size_t>(x)]), clampByte(l),
                           clampByte(l + blue[static_cast<size_t>(x)]));
        }
    }
    return image;
}

namespace {

// The inks of one row: black ink k = 255 - the brightest channel, and each colour ink what its
// channel lacks of that brightest one, so that a decoder's (255 - ink) * (255 - k) / 255 gives
// the colour back.
std::vector<JSAMPLE> InkRow(const QImage& rgb, int y, bool inverted) {
    std::vector<JSAMPLE> inks;
    inks.reserve(size_t(rgb.width()) * 4);
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
        const int channels[3] = {qRed(line[x]), qGreen(line[x]), qBlue(line[x])};
        const int brightest = std::max({channels[0], channels[1], channels[2]});
        for (const int channel : channels) {
            const int ink = brightest == 0 ? 0 : (brightest - channel) * 255 / brightest;
            inks.push_back(static_cast<JSAMPLE>(inverted ? 255 - ink : ink));
        }
        inks.push_back(static_cast<JSAMPLE>(inverted ? brightest : 255 - brightest));
    }
    return inks;
}

} // namespace

std::string encodeJpegBytes(const QImage& image, JpegOptions options) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const bool inks = options.ink != JpegInk::Rgb;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
    cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = inks                              ? JCS_CMYK
                           : Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX
                                                             : JCS_EXT_XRGB;
    jpeg_set_defaults(&cinfo);
    if (options.ink == JpegInk::AdobeYcck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    // libjpeg writes the Adobe marker for every CMYK and YCCK picture unless told not to.
    cinfo.write_Adobe_marker =
        options.ink == JpegInk::AdobeCmyk || options.ink == JpegInk::AdobeYcck;
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        std::vector<JSAMPLE> inkRow;
        if (inks)
            inkRow = InkRow(rgb, y, options.ink != JpegInk::Cmyk);
        JSAMPROW row = inks ? inkRow.data() : const_cast<JSAMPLE*>(rgb.constScanLine(y));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

std::string turnedJpegBytes(const QImage& image, int orientation, JpegOptions options) {
    const std::string plain = encodeJpegBytes(image, options);
    const Bytes turned =
        WithOrientation(Bytes(plain.begin(), plain.end()), static_cast<uint16_t>(orientation));
    return std::string(turned.begin(), turned.end());
}

Quarters distinctQuarters() {
    return {qRgb(220, 30, 30), qRgb(30, 200, 60), qRgb(40, 40, 220), qRgb(230, 220, 40)};
}

QImage quarteredPicture(int width, int height, const Quarters& colours) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, colours[size_t((y >= height / 2 ? 2 : 0) + (x >= width / 2))]);
    return picture;
}

Quarters quarterColours(const QImage& picture) {
    const int w = picture.width();
    const int h = picture.height();
    return {picture.pixel(w / 4, h / 4), picture.pixel(3 * w / 4, h / 4),
            picture.pixel(w / 4, 3 * h / 4), picture.pixel(3 * w / 4, 3 * h / 4)};
}

Quarters uprightQuarters(const Quarters& stored, int orientation) {
    // Which stored quarter (0 top left, 1 top right, 2 bottom left, 3 bottom right) is drawn in
    // each upright quarter.
    static constexpr int From[9][4] = {
        {0, 1, 2, 3}, // (no orientation 0)
        {0, 1, 2, 3}, // 1 as stored
        {1, 0, 3, 2}, // 2 mirrored left to right
        {3, 2, 1, 0}, // 3 half a turn
        {2, 3, 0, 1}, // 4 mirrored top to bottom
        {0, 2, 1, 3}, // 5 mirrored about the main diagonal
        {2, 0, 3, 1}, // 6 a quarter clockwise
        {3, 1, 2, 0}, // 7 mirrored about the other diagonal
        {1, 3, 0, 2}, // 8 a quarter anticlockwise
    };
    const int* from = From[orientation >= 1 && orientation <= 8 ? orientation : 1];
    return {stored[size_t(from[0])], stored[size_t(from[1])], stored[size_t(from[2])],
            stored[size_t(from[3])]};
}

bool nearColours(const Quarters& seen, const Quarters& expected, int tolerance) {
    for (size_t i = 0; i < seen.size(); ++i) {
        if (std::abs(qRed(seen[i]) - qRed(expected[i])) > tolerance ||
            std::abs(qGreen(seen[i]) - qGreen(expected[i])) > tolerance ||
            std::abs(qBlue(seen[i]) - qBlue(expected[i])) > tolerance)
            return false;
    }
    return true;
}

} // namespace lumo::test
