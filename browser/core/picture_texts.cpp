// Reading a picture's size and EXIF record for its table row and its report.
#include "browser/core/picture_texts.h"

#include <exception>
#include <optional>

#include "browser/core/file_size_text.h"
#include "browser/core/report_lines.h"
#include "exif/exif.h"
#include "platform/core/file_source.h"

namespace {

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens a file one way or another and reads its size and EXIF record. A file that is missing
// leaves both untouched (the record not Valid); other failures are the reader's errors, raised
// after the size is known.
template <typename Open> void ReadOpened(TExif& exif, std::optional<uint64_t>& size, Open open) {
    platform::FileSource file;
    if (!open(file))
        return;
    size = file.size();
    exif.Read(file);
}

} // namespace

void ReadExifFile(TExif& exif, const std::string& path) {
    // Declared first, so that it is closed before an error leaves.
    platform::FileSource file;
    bool opened = false;
    try {
        opened = file.open(path);
    } catch (const EInOutError& error) {
        exif.Clear();
        throw EInOutError(path + ": " + error.what());
    }
    if (!opened)
        return;
    try {
        exif.Read(file);
    } catch (const EInOutError& error) {
        throw EInOutError(path + ": " + error.what());
    }
}

RowTexts ImageRowTexts(const std::string& caption, const std::string& path) {
    TExif exif;
    try {
        ReadExifFile(exif, path);
    } catch (const std::exception&) {
        // The table shows a file it cannot read as a row of dashes; no message is wanted there.
        exif.Clear();
    }
    return RowTextsFromRecord(caption, FileSizeText(path), exif);
}

RowTexts ListedImageRowTexts(const std::string& caption, const std::string& path, uint64_t size) {
    TExif exif;
    std::optional<uint64_t> opened;
    try {
        ReadOpened(exif, opened, [&](platform::FileSource& file) { return file.openExact(path); });
    } catch (const std::exception&) {
        exif.Clear(); // as above
    }
    return RowTextsFromRecord(caption, SizeText(opened.value_or(size)), exif);
}

RowTexts OpenImageRowTexts(const std::string& caption, platform::FileSource& file) {
    TExif exif;
    try {
        exif.Read(file);
    } catch (const std::exception&) {
        exif.Clear(); // as above
    }
    return RowTextsFromRecord(caption, SizeText(file.size()), exif);
}

RowTexts HostImageRowTexts(const std::string& caption, const std::string& hostPath) {
    platform::FileSource file;
    try {
        if (file.openHost(hostPath))
            return OpenImageRowTexts(caption, file);
    } catch (const std::exception&) {
        // As above; without a file there is no size either.
    }
    return RowTextsFromRecord(caption, std::string(), TExif());
}

std::vector<std::string> PictureReportLines(const std::string& path, int width, int height) {
    const ReportFile file{FileName(path), FileSizeText(path), width, height};
    TExif exif;
    ExifOutcome outcome = ExifOutcome::Read;
    try {
        ReadExifFile(exif, path);
    } catch (const std::exception&) {
        // A read error is part of the report, not a failure of the command.
        outcome = ExifOutcome::Failed;
    }
    return ReportLinesFromRecord(file, exif, outcome);
}

std::vector<std::string> OpenPictureReportLines(const std::string& fileName,
                                                platform::FileSource& file, int width, int height) {
    TExif exif;
    ExifOutcome outcome = ExifOutcome::Read;
    try {
        exif.Read(file);
    } catch (const std::exception&) {
        outcome = ExifOutcome::Failed; // as above
    }
    const ReportFile report{fileName, SizeText(file.size()), width, height};
    return ReportLinesFromRecord(report, exif, outcome);
}
