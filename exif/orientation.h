// The orientation a picture is stored in (the eight values of geometry/orientation.h), read from
// the Orientation entry (tag 0x0112) of the first directory of a TIFF block: a JPEG's EXIF block or
// a raw file. Read through the bounds-checked TIFF walk, apart from the EXIF reader and its texts.
// A missing entry, one that is not a single SHORT or LONG, or a value outside 1..8 reads as 1: the
// picture is drawn as stored. Standard C++ only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

class ByteReader;
class TTiffBlock;
struct TTiffDirectory;

// The orientation that ifd0, the first directory of tiff, gives.
int OrientationOf(const TTiffBlock& tiff, const TTiffDirectory& ifd0);
// The orientation of the TIFF block of length bytes at start of the reader's data.
int ReadOrientation(ByteReader& reader, uint64_t start, uint64_t length);
// The orientation of the EXIF block an APP1 segment's payload holds ("Exif", two NULs and the
// TIFF block); nullopt for a payload that is no EXIF block (an XMP packet).
std::optional<int> ExifSegmentOrientation(const uint8_t* payload, size_t length);
