// Large camera-like pictures with or without their EXIF thumbnails.
#include "bench/camera_pictures.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

#include <QImage>
#include <QPainter>

#include "platform/qt/jpeg.h"

namespace {

void Put16(std::string& out, uint16_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char(v >> 8));
}

void Put32(std::string& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(char((v >> shift) & 0xFF));
}

// Smooth shading with fine grain, so that the picture compresses about as well as a photograph
// (some megabytes for 24 megapixels at quality 90).
QImage Scene(int width, int height, int seed) {
    QImage picture(width, height, QImage::Format_RGB32);
    uint32_t state = 2463534242u + static_cast<uint32_t>(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int grain = static_cast<int>(state & 31) - 16;
            const int r = 255 * x / width + grain;
            const int g = 255 * y / height + grain;
            const int b = 128 + ((x / 97 + y / 61 + seed) % 5) * 20 + grain;
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return picture;
}

} // namespace

std::string WithExifThumbnail(const std::string& jpeg, const std::string& thumbnail) {
    // TIFF block: header, IFD0 (Orientation) at 8, IFD1 at 26 with the thumbnail's offset and
    // length, the thumbnail at 64.
    std::string tiff = "II";
    Put16(tiff, 42);
    Put32(tiff, 8);
    Put16(tiff, 1);
    Put16(tiff, 0x0112);
    Put16(tiff, 3);
    Put32(tiff, 1);
    Put32(tiff, 1);
    Put32(tiff, 26);
    Put16(tiff, 2);
    for (const auto& [tag, value] : {std::pair<uint16_t, uint32_t>{0x0201, 64},
                                     {0x0202, static_cast<uint32_t>(thumbnail.size())}}) {
        Put16(tiff, tag);
        Put16(tiff, 4);
        Put32(tiff, 1);
        Put32(tiff, value);
    }
    Put32(tiff, 0);
    tiff.resize(64, '\0');
    tiff += thumbnail;
    const size_t length = 2 + 6 + tiff.size();
    std::string file = jpeg.substr(0, 2);
    file += "\xFF\xE1";
    file.push_back(char(length >> 8));
    file.push_back(char(length & 0xFF));
    file += std::string("Exif\0\0", 6);
    file += tiff;
    file += jpeg.substr(2);
    return file;
}

CameraPictures::CameraPictures(int count, int width, int height, bool thumbnails) {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    folder_ = pattern;
    for (int i = 0; i < count; ++i) {
        const QImage scene = Scene(width, height, i);
        std::string bytes = platform::encodeJpeg(scene, 90);
        if (thumbnails)
            bytes = WithExifThumbnail(
                bytes,
                platform::encodeJpeg(
                    scene.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 90));
        files_.push_back(folder_ / ("IMG_" + std::to_string(1000 + i) + ".jpg"));
        std::ofstream(files_.back(), std::ios::binary) << bytes;
    }
}

CameraPictures::~CameraPictures() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
}
