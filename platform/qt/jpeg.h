// JPEG pictures through libjpeg-turbo: full and DCT-scaled decoding into QImage, upright as their
// EXIF orientation says, and encoding. libjpeg's errors come out as EJpegError.
// Thread-safe (no shared state); a worker may decode while the window thread does too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <QImage>
#include <QSize>

#include "platform/jpeg/jpeg_error.h"

namespace platform {

struct JpegSize {
    int width = 0;
    int height = 0;
};

// Decodes a JPEG held in memory, drawn upright as its EXIF orientation says. With a non-empty
// fitInto the decoder uses the largest DCT reduction (1/2, 1/4, 1/8) that still leaves the upright
// picture at least as large as the box in one dimension of the fit, so a small preview of a big
// photo decodes quickly. Greyscale and CMYK pictures come out as RGB. Raises EJpegError.
QImage decodeJpeg(const uint8_t* data, size_t size, QSize fitInto = {});
// Same for a program path, decoded from the file as it is read (never loaded whole). Anything but
// a regular file (a FIFO, a device, a folder) is refused before it is read. Raises EJpegError.
QImage loadJpeg(std::string_view path, QSize fitInto = {});
// The picture's own size from its header, without decoding the pixels; regular files only.
JpegSize jpegSize(std::string_view path);
// Encodes a colour baseline JPEG (quality 1..100) to a program path: written under a temporary
// name in the same folder and renamed, so a failure leaves no half-written file. Raises EJpegError.
void saveJpeg(const QImage& image, std::string_view path, int quality = 90);
// Encodes into memory.
std::string encodeJpeg(const QImage& image, int quality = 90);

// A picture as a picture box takes it: its pixels upright (a JPEG's perhaps DCT-reduced), its own
// size as stored, which the texts show, and the orientation that turned it (1: as stored).
struct LoadedPicture {
    QImage image;
    QSize ownSize;
    int orientation = 1;
};

// TPicture.LoadFromFile for the picture boxes: JPEG by extension (.jpg, .jpeg, .jpe, .jfif, any
// case) through the decoder above, other formats the toolkit reads (.bmp, .png, .gif, ...), with
// the same refusals (not a regular file, larger than MaxDecodedBytes decoded).
// An unknown extension raises EJpegError("Unknown picture file extension (.xyz)").
LoadedPicture readPicture(std::string_view path, QSize fitInto = {});
// Its pixels alone.
QImage loadPicture(std::string_view path, QSize fitInto = {});

} // namespace platform
