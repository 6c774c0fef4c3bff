// Header and row texts of the image table.
#include "browser/core/row_texts.h"

#include "exif/exif.h"

const std::array<const char*, ImageTableColumns> ImageTableHeaders = {
    "Filename",
    "Filesize",
    "Make",
    "Model",
    "Image Desk",
    "Copyright",
    "DateTime",
    "Original DateTime",
    "Created DateTime",
    "Comment",
    "Software",
    "Artist",
    "Orientation",
    "Exposure",
    "Exposure Program",
    "Fstops",
    "Shutter Speed",
    "Aperture",
    "Max Aperture",
    "Compressed",
    "ISOSpeed",
    "PixelX Dimension",
    "PixelY Dimension",
    "Xresolution",
    "Yresolution",
    "Metering Mode",
    "Metering Methode",
    "Lightsource",
    "Flash",
};

namespace {

// "Label: code (name)", the form of the four coded columns.
std::string CodedText(const char* label, unsigned code, const std::string& name) {
    return std::string(label) + ": " + std::to_string(code) + " (" + name + ")";
}

} // namespace

RowTexts RowTextsFromRecord(const std::string& caption, const std::string& sizeText,
                            const TExif& exif) {
    RowTexts row;
    row[0] = caption;
    row[1] = sizeText;
    if (!exif.Valid) {
        for (size_t column = 2; column < ImageTableColumns; ++column)
            row[column] = "-";
        return row;
    }
    row[2] = exif.Make;
    row[3] = exif.Model;
    row[4] = exif.ImageDesc;
    row[5] = exif.Copyright;
    row[6] = exif.DateTime;
    row[7] = exif.DateTimeOriginal;
    row[8] = exif.DateTimeDigitized;
    row[9] = exif.UserComments;
    row[10] = exif.Software;
    row[11] = exif.Artist;
    row[12] = CodedText("Orientation", exif.Orientation, exif.OrientationDesc);
    row[13] = exif.Exposure;
    row[14] = CodedText("Exposure Program", exif.ExposureProgram, exif.ExposureProgramDesc);
    row[15] = exif.FStops;
    row[16] = exif.ShutterSpeed;
    row[17] = exif.Aperture;
    row[18] = exif.MaxAperture;
    row[19] = exif.CompressedBPP;
    row[20] = std::to_string(exif.ISOSpeed);
    row[21] = std::to_string(exif.PixelXDimension);
    row[22] = std::to_string(exif.PixelYDimension);
    row[23] = std::to_string(exif.XResolution);
    row[24] = std::to_string(exif.YResolution);
    row[25] = std::to_string(exif.MeteringMode);
    row[26] = exif.MeteringMethod;
    row[27] = CodedText("LightSource", exif.LightSource, exif.LightSourceDesc);
    row[28] = CodedText("Flash", exif.Flash, exif.FlashDesc);
    return row;
}
