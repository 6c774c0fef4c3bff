#include "platform/qt/jpeg_support.h"

namespace platform {

void cmykToRgb32(const JSAMPLE* cmyk, QRgb* out, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

std::string lowerExtension(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.find_last_of("\\/");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string ext(path.substr(dot));
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

bool isJpegExtension(std::string_view lowerExt) {
    return lowerExt == ".jpg" || lowerExt == ".jpeg" || lowerExt == ".jpe" || lowerExt == ".jfif";
}

} // namespace platform
