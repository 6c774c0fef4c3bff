// Fuzz target: arbitrary bytes as a JPEG file through the outline walk that finds the picture's
// size and its EXIF thumbnail. It must never crash, leak, hang or read outside its data, and a
// thumbnail it finds must lie inside the data and start like a JPEG.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bytes/byte_source.h"
#include "exif/jpeg_outline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source({data, size});
    const TJpegOutline outline = ReadJpegOutline(source);
    if (const auto& thumbnail = outline.ExifThumbnail) {
        if (thumbnail->Offset > size || thumbnail->Length > size - thumbnail->Offset ||
            thumbnail->Length < 2 || data[thumbnail->Offset] != 0xFF ||
            data[thumbnail->Offset + 1] != 0xD8 || !outline.ExifThumbnailSize)
            std::abort();
    }
    return 0;
}
