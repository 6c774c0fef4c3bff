// The lines of the properties report.
#include "browser/core/report_lines.h"

#include "exif/exif.h"

namespace {

std::string Coded(const char* label, unsigned code, const std::string& text) {
    // "%d (%s)" with the code and its name, as the table shows coded values.
    return std::string(label) + std::to_string(code) + " (" + text + ")";
}

void AddFileLines(std::vector<std::string>& lines, const ReportFile& file) {
    lines.push_back("Filename : " + file.name);
    lines.push_back("File Size: " + file.sizeText);
    lines.push_back("Dimension: " + std::to_string(file.width) + " x " +
                    std::to_string(file.height));
}

} // namespace

std::vector<std::string> ReportLinesFromRecord(const ReportFile& file, const TExif& exif,
                                               ExifOutcome outcome) {
    std::vector<std::string> lines;
    if (outcome == ExifOutcome::Failed) {
        lines.push_back("Error reading file");
        AddFileLines(lines, file);
        return lines;
    }
    if (!exif.Valid) {
        lines.push_back("Exif Header is not valid");
        AddFileLines(lines, file);
        return lines;
    }
    AddFileLines(lines, file);
    lines.push_back("Make: " + exif.Make);
    lines.push_back("Model: " + exif.Model);
    lines.push_back("Image Desk: " + exif.ImageDesc);
    lines.push_back("Copyright: " + exif.Copyright);
    lines.push_back("DateTime: " + exif.DateTime);
    lines.push_back("Original DateTime: " + exif.DateTimeOriginal);
    lines.push_back("Created DateTime: " + exif.DateTimeDigitized);
    lines.push_back("UserComments: " + exif.UserComments);
    lines.push_back("Software: " + exif.Software);
    lines.push_back("Artist: " + exif.Artist);
    lines.push_back(Coded("Orientation: ", exif.Orientation, exif.OrientationDesc));
    lines.push_back("Exposure: " + exif.Exposure);
    lines.push_back(Coded("Exposure Program: ", exif.ExposureProgram, exif.ExposureProgramDesc));
    lines.push_back("Fstops: " + exif.FStops);
    lines.push_back("ShutterSpeed: " + exif.ShutterSpeed);
    lines.push_back("Aperture: " + exif.Aperture);
    lines.push_back("MaxAperture: " + exif.MaxAperture);
    lines.push_back("Compressed BPP: " + exif.CompressedBPP);
    lines.push_back("ISO speed: " + std::to_string(exif.ISOSpeed));
    lines.push_back("PixelXDimension: " + std::to_string(exif.PixelXDimension));
    lines.push_back("PixelYDimension: " + std::to_string(exif.PixelYDimension));
    lines.push_back("XResolution: " + std::to_string(exif.XResolution));
    lines.push_back("YResolution: " + std::to_string(exif.YResolution));
    lines.push_back("MeteringMode: " + std::to_string(exif.MeteringMode));
    lines.push_back("MeteringMethod: " + exif.MeteringMethod);
    lines.push_back(Coded("LightSource: ", exif.LightSource, exif.LightSourceDesc));
    lines.push_back(Coded("Flash: ", exif.Flash, exif.FlashDesc));
    return lines;
}
