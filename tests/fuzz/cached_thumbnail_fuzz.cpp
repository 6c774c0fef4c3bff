// Fuzz target: arbitrary bytes as a file of the desktop's thumbnail cache, which any program of
// the desktop may have written, read as the thumbnail extractor reads one: the bounded PNG reading
// and the check of its tags. It must never crash, leak, hang or allocate beyond its limits, and a
// thumbnail it accepts must be within the cache's largest size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/headless/thumbnail_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The subject the seeds were made for, so that accepted thumbnails are reached.
    static const platform::ThumbnailSubject subject{"file:///home/ann/Photos/a.jpg", 1700000000,
                                                    123456, "image/jpeg"};
    const auto thumbnail = platform::readCachedThumbnail(
        std::string_view(reinterpret_cast<const char*>(data), size), subject);
    if (thumbnail &&
        (thumbnail->width < 1 || thumbnail->height < 1 ||
         thumbnail->width > platform::MaxCachedSide ||
         thumbnail->height > platform::MaxCachedSide ||
         thumbnail->pixels.size() != size_t(thumbnail->width) * size_t(thumbnail->height)))
        std::abort();
    return 0;
}
