// Fuzz target: arbitrary bytes as a JPEG file through the outline walk that finds the picture's
// size, its orientation and its EXIF thumbnail, and as an APP1 payload whose orientation the
// decoders read. It must never crash, leak, hang or read outside its data, a thumbnail it finds
// must lie inside the data and start like a JPEG, and an orientation is always one of 1..8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bytes/byte_source.h"
#include "exif/jpeg_outline.h"
#include "exif/orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source({data, size});
    const TJpegOutline outline = ReadJpegOutline(source);
    if (const auto& thumbnail = outline.ExifThumbnail) {
        if (thumbnail->Offset > size || thumbnail->Length > size - thumbnail->Offset ||
            thumbnail->Length < 2 || data[thumbnail->Offset] != 0xFF ||
            data[thumbnail->Offset + 1] != 0xD8 || !outline.ExifThumbnailSize)
            std::abort();
    }
    const auto segment = ExifSegmentOrientation(data, size).value_or(1);
    if (outline.Orientation < 1 || outline.Orientation > 8 || segment < 1 || segment > 8)
        std::abort();
    return 0;
}
