// Size texts in thousands of bytes.
#include "browser/core/file_size_text.h"

#include "platform/core/files.h"

std::string SizeText(uint64_t bytes) {
    if (bytes < 1000)
        return "1KB";
    uint64_t thousands = bytes / 1000;
    const uint64_t rest = bytes % 1000;
    if (rest > 500 || (rest == 500 && thousands % 2 != 0))
        ++thousands;
    return std::to_string(thousands) + "KB";
}

std::string FileSizeText(const std::string& path) {
    const std::optional<uint64_t> size = platform::fileSize(path);
    return size ? SizeText(*size) : std::string();
}
