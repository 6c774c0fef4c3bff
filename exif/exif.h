// TExif: the EXIF attributes of one JPEG file as the windows show them. Read finds the file's
// APP1 segment, walks the first image directory and the Exif sub-directory in either byte order
// and fills the plain attributes below, texts of coded values and rationals included. Standard
// C++ only: the bytes come from a ByteSource its caller opened.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "bytes/byte_source.h"

class ByteReader;

// One object per file, used on one thread: create it, call Read, look at Valid, copy attributes.
// Callers only read the attributes.
class TExif {
public:
    std::string ImageDesc;
    std::string Make;
    std::string Model;
    uint8_t Orientation = 0;
    std::string OrientationDesc;
    std::string Copyright;
    bool Valid = false; // an APP1 segment was found; the rest is read from it
    std::string DateTime;
    std::string DateTimeOriginal;
    std::string DateTimeDigitized;
    std::string UserComments;
    std::string Exposure;
    std::string FStops;
    std::string ShutterSpeed;
    std::string Aperture;
    std::string MaxAperture;
    uint8_t ExposureProgram = 0;
    std::string ExposureProgramDesc;
    uint32_t PixelXDimension = 0;
    uint32_t PixelYDimension = 0;
    uint32_t XResolution = 0; // numerator of the rational only
    uint32_t YResolution = 0; // numerator of the rational only
    uint8_t MeteringMode = 0;
    std::string MeteringMethod;
    uint8_t LightSource = 0;
    std::string LightSourceDesc;
    uint8_t Flash = 0;
    std::string FlashDesc;
    uint16_t ISOSpeed = 0;
    std::string Software;
    std::string Artist;
    std::string CompressedBPP;

    // Fills the record from a file's bytes, which the caller opens (the platform's file source,
    // or memory in tests and fuzzing). The record is cleared first; bytes that are no JPEG or
    // have no APP1 segment give Valid false. Throws EInOutError when a read the walk depends on
    // fails, or would have to move to 2^31 or beyond; attributes filled before that stay filled.
    void Read(ByteSource& source);
    void Clear();

private:
    // A directory entry after normalisation: an inline BYTE or SHORT value is cut to its low
    // 8 bits (the ISO speed tag keeps 16).
    struct Entry {
        uint16_t Tag = 0;
        uint16_t Type = 0;
        uint32_t Count = 0;
        uint32_t Value = 0;
    };

    // Values kept away from their directory entry (texts, longs, rationals). They are read once
    // the walk is over: a directory may name one attribute tens of thousands of times and only
    // the last entry counts, so reading every one of them would let a small crafted file cost
    // minutes. Where the walk would have failed on a value's position, it still fails there.
    enum class Deferred : uint8_t {
        ImageDesc,
        Make,
        Model,
        XResolution,
        YResolution,
        Software,
        DateTime,
        Artist,
        Copyright,
        Exposure,
        FStops,
        DateTimeOriginal,
        DateTimeDigitized,
        CompressedBPP,
        ShutterSpeed,
        Aperture,
        MaxAperture,
        UserComments,
        Count
    };
    struct DeferredValue {
        uint64_t Offset = 0;
        uint32_t Count = 0; // the entry's count (texts only)
        bool Pending = false;
    };

    uint16_t Get16(const uint8_t* bytes) const;
    uint32_t Get32(const uint8_t* bytes) const;
    std::optional<uint64_t> FindApp1(); // the TIFF header's position
    void ReadTiffBlock(uint64_t TiffBase);
    void ReadIfd0Entry(const Entry& entry, uint64_t TiffBase);
    void ReadExifEntry(const Entry& entry, uint64_t TiffBase);
    void WalkDirectories(uint64_t TiffBase);
    void Defer(Deferred value, uint64_t offset, uint32_t count = 0);
    void ReadDeferred();

    // The operations below that take an offset leave the read position where they found it.
    Entry ReadEntry();
    std::string ReadText(uint64_t offset, uint32_t count);
    uint32_t ReadLong(uint64_t offset);
    bool ReadRational(uint64_t offset, uint32_t& numerator, uint32_t& denominator);
    enum class RationalForm { Decimal, Fraction };
    std::string RationalText(uint64_t offset, RationalForm form);
    long double RationalValue(uint64_t offset);

    ByteReader* Handle = nullptr; // set only while a source is read
    uint32_t ExifOffset = 0;      // Exif sub-directory from the TIFF header, 0 when none
    bool Motorola = false;        // big-endian ("MM") block
    std::array<DeferredValue, static_cast<size_t>(Deferred::Count)> DeferredValues{};
};
