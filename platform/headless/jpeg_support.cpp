#include "platform/headless/jpeg_support.h"

namespace platform {

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
