// Name rules of the thumbnail browser.
#include "thumbs/core/file_names.h"

#include "thumbs/core/remove_all.h"

namespace {

size_t NameStart(std::string_view path) {
    const size_t delimiter = path.find_last_of("\\:");
    return delimiter == std::string_view::npos ? 0 : delimiter + 1;
}

} // namespace

std::string FourCharExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < NameStart(name))
        return {};
    return std::string(name.substr(dot, 4));
}

std::string FileNameOf(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

bool IsPictureName(std::string_view name) {
    return UpperAscii(FourCharExtension(name)) == ".JPG";
}

bool IsRawName(std::string_view name) {
    return UpperAscii(FourCharExtension(name)) == ".CR2";
}

std::string SidecarPath(std::string_view folder, std::string_view rawPath,
                        std::string_view prefix) {
    std::string path(folder);
    if (path.empty() || path.back() != '\\')
        path += '\\';
    path += prefix;
    path += RemoveAll(".CR2", FileNameOf(rawPath));
    path += ".CR2.JPG";
    return path;
}

std::string ShownPath(std::string_view path) {
    std::string shown(path.substr(0, 2));
    for (const char c : path.substr(shown.size())) {
        if (c != '\\' || shown.empty() || shown.back() != '\\')
            shown += c;
    }
    return shown;
}

std::string CaptionAfterExtraction(std::string_view caption) {
    if (FourCharExtension(caption) != ".JPG")
        return std::string(caption);
    std::string raw = RemoveAll(".JPG", caption);
    return IsRawName(raw) ? raw : std::string(caption);
}

std::string SelectionTitle(std::string_view folder, std::string_view caption) {
    const std::string path = std::string(folder) + std::string(caption);
    if (IsPictureName(path)) {
        const std::string raw = RemoveAll(".JPG", path);
        if (IsRawName(raw))
            return "Lumograph - " + FileNameOf(raw);
    }
    return "Lumograph - " + std::string(caption);
}
