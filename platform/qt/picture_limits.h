// The checks a picture file passes before the viewer's decoder reads its pixels: only regular
// files are read (a folder, a device or a pipe named like a picture is refused before it can block
// or feed endless data), and no picture is decoded whose full-size pixels would take more memory
// than kMaxDecodedBytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// 1 GiB: a 16384 x 16384 picture at four bytes a pixel. A progressive JPEG's decoder keeps
// coefficients for the whole picture whatever the output scale, so the limit is on the full size.
inline constexpr uint64_t kMaxDecodedBytes = uint64_t{1} << 30;

// Raises EJpegError when the open file fd is not a regular file. path names it in the message.
void checkPictureFile(int fd, std::string_view path);
// Raises EJpegError when a picture of width x height pixels would exceed kMaxDecodedBytes, or has
// no pixels at all.
void checkPictureSize(uint64_t width, uint64_t height, std::string_view path);

} // namespace platform
