// TExif::Read: finds the APP1 segment, reads the TIFF header and walks IFD0 and the Exif
// sub-directory, picking out the tags the windows show.
#include "exif/exif.h"

#include <algorithm>

#include "bytes/byte_reader.h"
#include "exif/exif_render.h"
#include "exif/exif_tags.h"

namespace {

namespace tag = exif::tag;

// A text's character index is 16 bits wide; longer values are cut there.
constexpr uint32_t MaxTextLength = 65535;

// Walking the search for APP1 pair by pair sees a marker only at odd offsets; the bound keeps a
// file without APP1 from being read to its end.
constexpr unsigned MaxSearchPairs = 1000;

// The reader is built around a signed 32-bit file offset: positions from 2^31 on cannot be
// expressed, and moving there is an I/O error.
constexpr uint64_t PositionLimit = uint64_t{1} << 31;

// A text count read as a signed 32-bit number is zero or negative: nothing to read, and the
// value's position is never visited.
bool TextCountReadsNothing(uint32_t count) {
    return count == 0 || count >= 0x80000000u;
}

bool IsMarker(const uint8_t* bytes, uint8_t code) {
    return bytes[0] == 0xFF && bytes[1] == code;
}

// Clears the handle pointer on every way out of a walk.
class HandleScope {
public:
    HandleScope(ByteReader*& slot, ByteReader& handle) : slot_(slot) { slot_ = &handle; }
    ~HandleScope() { slot_ = nullptr; }
    HandleScope(const HandleScope&) = delete;
    HandleScope& operator=(const HandleScope&) = delete;

private:
    ByteReader*& slot_;
};

// Moves back to where a value read started, also when the read fails.
class PositionKeeper {
public:
    explicit PositionKeeper(ByteReader& handle) : handle_(handle), saved_(handle.position()) {}
    ~PositionKeeper() { handle_.restore(saved_); }
    PositionKeeper(const PositionKeeper&) = delete;
    PositionKeeper& operator=(const PositionKeeper&) = delete;

private:
    ByteReader& handle_;
    uint64_t saved_;
};

} // namespace

void TExif::Clear() {
    for (std::string* text : {&ImageDesc,
                              &Make,
                              &Model,
                              &OrientationDesc,
                              &Copyright,
                              &DateTime,
                              &DateTimeOriginal,
                              &DateTimeDigitized,
                              &UserComments,
                              &Exposure,
                              &FStops,
                              &ShutterSpeed,
                              &Aperture,
                              &MaxAperture,
                              &ExposureProgramDesc,
                              &MeteringMethod,
                              &LightSourceDesc,
                              &FlashDesc,
                              &Software,
                              &Artist,
                              &CompressedBPP})
        text->clear();
    Orientation = ExposureProgram = MeteringMode = LightSource = Flash = 0;
    ISOSpeed = 0;
    PixelXDimension = PixelYDimension = XResolution = YResolution = 0;
    Valid = false;
    ExifOffset = 0;
    DeferredValues = {};
}

void TExif::Read(ByteSource& source) {
    Clear();
    ByteReader handle(source, PositionLimit);
    HandleScope scope(Handle, handle);
    if (const std::optional<uint64_t> tiffBase = FindApp1()) {
        Valid = true;
        ReadTiffBlock(*tiffBase);
    }
}

std::optional<uint64_t> TExif::FindApp1() {
    uint8_t soi[2];
    Handle->read(soi, sizeof soi);
    if (!IsMarker(soi, 0xD8))
        return std::nullopt;

    // Segment head: marker, length, five identifier bytes; only the marker is looked at.
    uint8_t head[9];
    Handle->seek(2);
    Handle->read(head, sizeof head);
    if (IsMarker(head, 0xE0)) {
        // A JFIF APP0 of the usual length 16 ends at offset 20.
        Handle->seek(20);
        Handle->read(head, sizeof head);
    }
    if (!IsMarker(head, 0xE1)) {
        uint8_t pair[2];
        unsigned pairs = 0;
        do {
            Handle->read(pair, sizeof pair);
            ++pairs;
        } while (!IsMarker(pair, 0xE1) && !Handle->atEnd() && pairs <= MaxSearchPairs);
        if (IsMarker(pair, 0xE1)) {
            Handle->seek(Handle->position() - 2);
            Handle->read(head, sizeof head);
        }
    }
    if (!IsMarker(head, 0xE1))
        return std::nullopt;
    // The TIFF header follows "Exif" and two NULs: one byte past the 9-byte head.
    return Handle->position() + 1;
}

uint16_t TExif::Get16(const uint8_t* bytes) const {
    return Motorola ? static_cast<uint16_t>(bytes[0] << 8 | bytes[1])
                    : static_cast<uint16_t>(bytes[1] << 8 | bytes[0]);
}

uint32_t TExif::Get32(const uint8_t* bytes) const {
    return Motorola ? uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 |
                          uint32_t{bytes[2]} << 8 | bytes[3]
                    : uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 |
                          uint32_t{bytes[1]} << 8 | bytes[0];
}

void TExif::ReadTiffBlock(uint64_t TiffBase) {
    try {
        WalkDirectories(TiffBase);
    } catch (const EInOutError&) {
        // Attributes whose entries came before the failure keep their values, as they would
        // have had them read on the way.
        try {
            ReadDeferred();
        } catch (const EInOutError&) {
            // The walk's own failure is the one to report.
        }
        throw;
    }
    ReadDeferred();
}

void TExif::WalkDirectories(uint64_t TiffBase) {
    // One byte before the header (the identifier's last NUL), byte order, magic number (never
    // checked), IFD0 offset, and the 16-bit number at TiffBase + 8.
    uint8_t header[11];
    Handle->seek(TiffBase - 1);
    Handle->read(header, sizeof header);
    Motorola = header[1] == 'M' && header[2] == 'M';
    const uint32_t ifd0Offset = Get32(header + 5);
    uint16_t entryCount = Get16(header + 9);
    if (ifd0Offset != 8) {
        uint8_t count[2];
        Handle->seek(TiffBase + ifd0Offset);
        Handle->read(count, sizeof count);
        entryCount = Get16(count);
    }
    // A count of 0 in IFD0 is taken for a damaged count, not an empty directory.
    const unsigned ifd0Entries = entryCount == 0 ? 100 : entryCount;
    for (unsigned i = 0; i < ifd0Entries; ++i) {
        const Entry entry = ReadEntry();
        if (entry.Tag == 0)
            break;
        ReadIfd0Entry(entry, TiffBase);
    }

    if (ExifOffset == 0)
        return;
    uint8_t count[2];
    Handle->seek(TiffBase + ExifOffset);
    Handle->read(count, sizeof count);
    const unsigned exifEntries = Get16(count);
    for (unsigned i = 0; i < exifEntries; ++i) {
        const Entry entry = ReadEntry();
        if (entry.Tag == 0)
            break;
        ReadExifEntry(entry, TiffBase);
    }
}

TExif::Entry TExif::ReadEntry() {
    // 12 bytes: tag (16 bits), type (16), count (32), value or offset from TiffBase (32).
    uint8_t bytes[12];
    Handle->read(bytes, sizeof bytes);
    Entry entry;
    entry.Tag = Get16(bytes);
    entry.Type = Get16(bytes + 2);
    entry.Count = Get32(bytes + 4);
    const bool byteOrShort = entry.Type == 1 || entry.Type == 3;
    if (byteOrShort && Motorola) {
        // The 16-bit number in the field's first two bytes; cut to 8 bits that is its second byte.
        const uint16_t number = Get16(bytes + 8);
        entry.Value = entry.Tag == tag::IsoSpeed ? number : number & 0xFFu;
    } else if (byteOrShort && entry.Tag != tag::IsoSpeed) {
        entry.Value = bytes[8];
    } else {
        entry.Value = Get32(bytes + 8);
    }
    return entry;
}

void TExif::ReadIfd0Entry(const Entry& entry, uint64_t TiffBase) {
    const uint64_t at = TiffBase + entry.Value;
    switch (entry.Tag) {
    case tag::ImageDescription:
        Defer(Deferred::ImageDesc, at, entry.Count);
        break;
    case tag::Make:
        Defer(Deferred::Make, at, entry.Count);
        break;
    case tag::Model:
        Defer(Deferred::Model, at, entry.Count);
        break;
    case tag::Orientation:
        Orientation = static_cast<uint8_t>(entry.Value);
        OrientationDesc = exif::OrientationName(Orientation);
        break;
    case tag::XResolution:
        Defer(Deferred::XResolution, at);
        break;
    case tag::YResolution:
        Defer(Deferred::YResolution, at);
        break;
    case tag::Software:
        Defer(Deferred::Software, at, entry.Count);
        break;
    case tag::DateTime:
        Defer(Deferred::DateTime, at, entry.Count);
        break;
    case tag::Artist:
        Defer(Deferred::Artist, at, entry.Count);
        break;
    case tag::Copyright:
        Defer(Deferred::Copyright, at, entry.Count);
        break;
    case tag::ExifPointer:
        ExifOffset = entry.Value;
        break;
    default:
        break;
    }
}

void TExif::ReadExifEntry(const Entry& entry, uint64_t TiffBase) {
    const uint64_t at = TiffBase + entry.Value;
    switch (entry.Tag) {
    case tag::ExposureTime:
        Defer(Deferred::Exposure, at);
        break;
    case tag::FNumber:
        Defer(Deferred::FStops, at);
        break;
    case tag::ExposureProgram:
        ExposureProgram = static_cast<uint8_t>(entry.Value);
        ExposureProgramDesc = exif::ExposureProgramName(entry.Value);
        break;
    case tag::IsoSpeed:
        ISOSpeed = static_cast<uint16_t>(entry.Value);
        break;
    case tag::DateTimeOriginal:
        Defer(Deferred::DateTimeOriginal, at, entry.Count);
        break;
    case tag::DateTimeDigitized:
        Defer(Deferred::DateTimeDigitized, at, entry.Count);
        break;
    case tag::CompressedBitsPerPixel:
        Defer(Deferred::CompressedBPP, at);
        break;
    case tag::ShutterSpeedValue:
        Defer(Deferred::ShutterSpeed, at);
        break;
    case tag::ApertureValue:
        Defer(Deferred::Aperture, at);
        break;
    case tag::MaxApertureValue:
        Defer(Deferred::MaxAperture, at);
        break;
    case tag::MeteringMode:
        MeteringMode = static_cast<uint8_t>(entry.Value);
        MeteringMethod = exif::MeteringName(entry.Value);
        break;
    case tag::LightSource:
        LightSource = static_cast<uint8_t>(entry.Value);
        LightSourceDesc = exif::LightSourceName(entry.Value);
        break;
    case tag::Flash:
        Flash = static_cast<uint8_t>(entry.Value);
        FlashDesc = exif::FlashName(entry.Value);
        break;
    case tag::UserComment:
        Defer(Deferred::UserComments, at, entry.Count);
        break;
    case tag::PixelXDimension:
        PixelXDimension = entry.Value;
        break;
    case tag::PixelYDimension:
        PixelYDimension = entry.Value;
        break;
    default:
        break;
    }
}

void TExif::Defer(Deferred value, uint64_t offset, uint32_t count) {
    bool text = true;
    switch (value) {
    case Deferred::XResolution:
    case Deferred::YResolution:
    case Deferred::Exposure:
    case Deferred::FStops:
    case Deferred::CompressedBPP:
    case Deferred::ShutterSpeed:
    case Deferred::Aperture:
    case Deferred::MaxAperture:
        text = false;
        break;
    default:
        break;
    }
    if (!text || !TextCountReadsNothing(count)) {
        // A position the reader cannot express fails now, where reading there would have.
        PositionKeeper keeper(*Handle);
        Handle->seek(offset);
    }
    DeferredValues[static_cast<size_t>(value)] = {offset, count, true};
}

void TExif::ReadDeferred() {
    for (size_t index = 0; index < DeferredValues.size(); ++index) {
        DeferredValue& value = DeferredValues[index];
        if (!value.Pending)
            continue;
        value.Pending = false;
        const uint64_t at = value.Offset;
        switch (static_cast<Deferred>(index)) {
        case Deferred::ImageDesc:
            ImageDesc = ReadText(at, value.Count);
            break;
        case Deferred::Make:
            Make = ReadText(at, value.Count);
            break;
        case Deferred::Model:
            Model = ReadText(at, value.Count);
            break;
        case Deferred::XResolution:
            XResolution = ReadLong(at);
            break;
        case Deferred::YResolution:
            YResolution = ReadLong(at);
            break;
        case Deferred::Software:
            Software = ReadText(at, value.Count);
            break;
        case Deferred::DateTime:
            DateTime = ReadText(at, value.Count);
            break;
        case Deferred::Artist:
            Artist = ReadText(at, value.Count);
            break;
        case Deferred::Copyright:
            Copyright = ReadText(at, value.Count);
            break;
        case Deferred::Exposure:
            Exposure = RationalText(at, RationalForm::Fraction) + " seconds";
            break;
        case Deferred::FStops:
            FStops = RationalText(at, RationalForm::Decimal);
            break;
        case Deferred::DateTimeOriginal:
            DateTimeOriginal = ReadText(at, value.Count);
            break;
        case Deferred::DateTimeDigitized:
            DateTimeDigitized = ReadText(at, value.Count);
            break;
        case Deferred::CompressedBPP:
            CompressedBPP = RationalText(at, RationalForm::Decimal);
            break;
        case Deferred::ShutterSpeed:
            // APEX value, taken in single precision like the value it came from.
            ShutterSpeed = exif::ShutterSpeedText(static_cast<float>(RationalValue(at)));
            break;
        case Deferred::Aperture:
            Aperture = RationalText(at, RationalForm::Decimal);
            break;
        case Deferred::MaxAperture:
            MaxAperture = RationalText(at, RationalForm::Decimal);
            break;
        case Deferred::UserComments:
            UserComments = ReadText(at, value.Count);
            break;
        case Deferred::Count:
            break;
        }
    }
}

std::string TExif::ReadText(uint64_t offset, uint32_t count) {
    if (TextCountReadsNothing(count))
        return {};
    PositionKeeper keeper(*Handle);
    Handle->seek(offset);
    // Byte by byte until a NUL, leaving out the last counted byte (the terminator as a rule);
    // the first byte is read even when the count is 1.
    const uint32_t limit = std::min(std::max<uint32_t>(count - 1, 1), MaxTextLength);
    std::string text;
    for (uint32_t i = 0; i < limit; ++i) {
        uint8_t byte;
        if (!Handle->tryRead(&byte, 1))
            return {};
        text.push_back(static_cast<char>(byte));
        if (byte == 0)
            break;
    }
    const auto kept = std::find_if(text.rbegin(), text.rend(),
                                   [](char c) { return static_cast<unsigned char>(c) > 32; });
    text.erase(kept.base(), text.end());
    return text;
}

uint32_t TExif::ReadLong(uint64_t offset) {
    PositionKeeper keeper(*Handle);
    Handle->seek(offset);
    uint8_t bytes[4];
    return Handle->tryRead(bytes, sizeof bytes) ? Get32(bytes) : 0;
}

bool TExif::ReadRational(uint64_t offset, uint32_t& numerator, uint32_t& denominator) {
    PositionKeeper keeper(*Handle);
    Handle->seek(offset);
    uint8_t bytes[8];
    if (!Handle->tryRead(bytes, sizeof bytes))
        return false;
    numerator = Get32(bytes);
    denominator = Get32(bytes + 4);
    return true;
}

std::string TExif::RationalText(uint64_t offset, RationalForm form) {
    uint32_t numerator = 0;
    uint32_t denominator = 0;
    if (!ReadRational(offset, numerator, denominator))
        return {};
    return form == RationalForm::Decimal ? exif::DecimalText(numerator, denominator)
                                         : exif::FractionText(numerator, denominator);
}

long double TExif::RationalValue(uint64_t offset) {
    uint32_t numerator = 0;
    uint32_t denominator = 0;
    if (!ReadRational(offset, numerator, denominator) || denominator == 0)
        return 0;
    return static_cast<long double>(numerator) / denominator;
}
