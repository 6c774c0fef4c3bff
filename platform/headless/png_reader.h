// PNG files read through libpng with bounded effort, for pictures other programs wrote (the
// desktop's thumbnail cache): pictures larger than the limit, more text chunks or larger ones than
// a thumbnail needs, and anything libpng finds amiss, even in a chunk it could skip, give no
// picture rather than a crash or a large allocation. Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/bitmap.h"
#include "platform/headless/png_writer.h"

namespace platform {

struct PngPicture {
    Bitmap bitmap;              // opaque; translucent pixels are laid over white
    std::vector<PngText> texts; // the text chunks in file order, compressed ones too
};

// The picture in data, when it is a PNG no wider and no higher than maxSide that libpng reads
// without an error. nullopt otherwise.
std::optional<PngPicture> decodePng(const uint8_t* data, size_t size, int maxSide);

} // namespace platform
