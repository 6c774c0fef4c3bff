#include "browser/core/picture_report.h"

#include <exception>

#include "browser/core/file_size_text.h"
#include "exif/exif.h"

namespace {

std::string Coded(const char* label, unsigned code, const std::string& text) {
    // "%d (%s)" with the code and its name, as the table shows coded values.
    return std::string(label) + std::to_string(code) + " (" + text + ")";
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void AddFileLines(std::vector<std::string>& lines, const std::string& path, int width, int height) {
    lines.push_back("Filename : " + FileName(path));
    lines.push_back("File Size: " + FileSizeText(path));
    lines.push_back("Dimension: " + std::to_string(width) + " x " + std::to_string(height));
}

} // namespace

std::vector<std::string> PictureReportLines(const std::string& path, int width, int height) {
    std::vector<std::string> lines;
    try {
        TExif exif;
        exif.Read(path);
        if (!exif.Valid) {
            lines.push_back("Exif Header is not valid");
            AddFileLines(lines, path, width, height);
            return lines;
        }
        AddFileLines(lines, path, width, height);
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
        lines.push_back(
            Coded("Exposure Program: ", exif.ExposureProgram, exif.ExposureProgramDesc));
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
    } catch (const std::exception&) {
        // A read error is part of the report, not a failure of the command: the error form
        // follows whatever lines were already added.
        lines.push_back("Error reading file");
        AddFileLines(lines, path, width, height);
    }
    return lines;
}
