// The numbers of the TIFF/EXIF tags the program reads, shared by the EXIF reader, the thumbnail
// walks and the test-side writer, so that a number is written down once.
#pragma once

#include <cstdint>

namespace exif::tag {

// First image directory (IFD0).
inline constexpr uint16_t ImageDescription = 0x010E;
inline constexpr uint16_t Make = 0x010F;
inline constexpr uint16_t Model = 0x0110;
inline constexpr uint16_t StripOffsets = 0x0111;
inline constexpr uint16_t Orientation = 0x0112;
inline constexpr uint16_t StripByteCounts = 0x0117;
inline constexpr uint16_t XResolution = 0x011A;
inline constexpr uint16_t YResolution = 0x011B;
inline constexpr uint16_t Software = 0x0131;
inline constexpr uint16_t DateTime = 0x0132;
inline constexpr uint16_t Artist = 0x013B;
inline constexpr uint16_t Copyright = 0x8298;
inline constexpr uint16_t ExifPointer = 0x8769; // offset of the Exif sub-directory

// Thumbnail directory (IFD1): where its JPEG thumbnail lies.
inline constexpr uint16_t JpegInterchangeFormat = 0x0201;
inline constexpr uint16_t JpegInterchangeFormatLength = 0x0202;

// Exif sub-directory.
inline constexpr uint16_t ExposureTime = 0x829A;
inline constexpr uint16_t FNumber = 0x829D;
inline constexpr uint16_t ExposureProgram = 0x8822;
inline constexpr uint16_t IsoSpeed = 0x8827;
inline constexpr uint16_t DateTimeOriginal = 0x9003;
inline constexpr uint16_t DateTimeDigitized = 0x9004;
inline constexpr uint16_t CompressedBitsPerPixel = 0x9102;
inline constexpr uint16_t ShutterSpeedValue = 0x9201;
inline constexpr uint16_t ApertureValue = 0x9202;
inline constexpr uint16_t MaxApertureValue = 0x9205;
inline constexpr uint16_t MeteringMode = 0x9207;
inline constexpr uint16_t LightSource = 0x9208;
inline constexpr uint16_t Flash = 0x9209;
inline constexpr uint16_t UserComment = 0x9286;
inline constexpr uint16_t PixelXDimension = 0xA002;
inline constexpr uint16_t PixelYDimension = 0xA003;

} // namespace exif::tag
