#include "platform/qt/picture_limits.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <sys/stat.h>

#include "platform/qt/jpeg.h"

namespace platform {

void checkPictureFile(int fd, std::string_view path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EJpegError("Cannot open file " + std::string(path) + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw EJpegError("Cannot open file " + std::string(path) + ": not a regular file");
}

void checkPictureSize(uint64_t width, uint64_t height, std::string_view path) {
    if (width == 0 || height == 0)
        throw EJpegError(std::string(path) + ": the picture has no pixels");
    // Both sides are below 2^32 wherever they come from, so the product cannot wrap.
    if (width > UINT32_MAX || height > UINT32_MAX || width * height * 4 > MaxDecodedBytes)
        throw EJpegError(std::string(path) + ": picture too large (" + std::to_string(width) +
                         " x " + std::to_string(height) + ")");
}

} // namespace platform
