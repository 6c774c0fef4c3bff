// The checks a picture file passes before the viewer's decoder reads its pixels: only regular
// files are read (a folder, a device or a pipe named like a picture is refused before it can block
// or feed endless data), and no picture is decoded whose full-size pixels would take more memory
// than MaxDecodedBytes (jpeg.h), the limit every picture loader of the program keeps. A
// progressive JPEG's decoder keeps coefficients for the whole picture whatever the output scale,
// so the limit is on the full size.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Raises EJpegError when the open file fd is not a regular file. path names it in the message.
void checkPictureFile(int fd, std::string_view path);
// Raises EJpegError when a picture of width x height pixels would exceed MaxDecodedBytes, or has
// no pixels at all.
void checkPictureSize(uint64_t width, uint64_t height, std::string_view path);

} // namespace platform
