// The embedded preview of a Canon CR2 raw file, found by walking the file's TIFF directories: the
// full-size preview JPEG that IFD0's strip holds, or, when that one is missing, not a JPEG, or cut
// short (by the end of the file, or by its own length before its frame header or its end-of-image
// marker), the small JPEG thumbnail of IFD1. Only directory entries and the
// preview's own bytes are read; the raw sensor data is never touched. Standard C++ only.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "exif/jpeg_outline.h"

class ByteSource;

enum class TRawPreviewKind {
    FullSize, // IFD0's strip
    Thumbnail // IFD1's JPEG thumbnail
};

struct TRawPreview {
    TRawPreviewKind Kind = TRawPreviewKind::FullSize;
    TByteRange Bytes;    // where the JPEG lies in the file
    int Orientation = 1; // IFD0's, which the camera's previews are stored without
};

// Where the preview lies; nullopt when neither directory holds a JPEG inside the file. Damaged
// directories count as missing; a medium that fails raises the source's EInOutError.
std::optional<TRawPreview> FindRawPreview(ByteSource& source);

// The preview's bytes, a complete JPEG stream as the file holds it; when the raw file is turned
// (an orientation other than 1), an EXIF block that says so is put right after the start-of-image
// marker, so that the preview is drawn upright as the raw file is. nullopt as above.
std::optional<std::vector<uint8_t>> ReadRawPreview(ByteSource& source);
