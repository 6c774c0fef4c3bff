// Reading a picture's size and EXIF record for its table row and its report.
#include "browser/core/picture_texts.h"

#include <exception>

#include "browser/core/file_size_text.h"
#include "browser/core/report_lines.h"
#include "exif/exif.h"

namespace {

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

RowTexts ImageRowTexts(const std::string& caption, const std::string& path) {
    TExif exif;
    try {
        exif.Read(path);
    } catch (const std::exception&) {
        // The table shows a file it cannot read as a row of dashes; no message is wanted there.
        exif.Clear();
    }
    return RowTextsFromRecord(caption, FileSizeText(path), exif);
}

std::vector<std::string> PictureReportLines(const std::string& path, int width, int height) {
    const ReportFile file{FileName(path), FileSizeText(path), width, height};
    TExif exif;
    ExifOutcome outcome = ExifOutcome::Read;
    try {
        exif.Read(path);
    } catch (const std::exception&) {
        // A read error is part of the report, not a failure of the command.
        outcome = ExifOutcome::Failed;
    }
    return ReportLinesFromRecord(file, exif, outcome);
}
