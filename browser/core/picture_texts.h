// The image table row and the properties report of a picture file: reads its size and EXIF block
// and hands the record to the text functions of row_texts.h and report_lines.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browser/core/row_texts.h"

class TExif;
namespace platform {
class FileSource;
}

// Reads the EXIF record of the file at a program path, opened through the platform's file source.
// A missing file or a folder leaves the record untouched; otherwise the record is cleared first.
// Throws EInOutError naming the path, after the file is closed, when the file cannot be opened or
// a read the walk depends on fails.
void ReadExifFile(TExif& exif, const std::string& path);

// The row of the picture at a program path; a file whose EXIF block is missing or cannot be read
// gives the row of dashes (no message: the listing goes on).
RowTexts ImageRowTexts(const std::string& caption, const std::string& path);

// The row of an entry a listing found (path is its folder and its name as the listing gave it).
// The EXIF block and the size are read from exactly that entry; a file gone since keeps the size
// the listing saw and gives dashes, and no other spelling of its name is looked for.
RowTexts ListedImageRowTexts(const std::string& caption, const std::string& path, uint64_t size);

// The row of the picture at a host path taken exactly as given (the command-line tools).
RowTexts HostImageRowTexts(const std::string& caption, const std::string& hostPath);
// The row of a picture file the caller has open (the table tool opens each file it is given once:
// to learn what it is, and to read it).
RowTexts OpenImageRowTexts(const std::string& caption, platform::FileSource& file);

// The report of the picture at a program path; width and height are its own size in pixels.
std::vector<std::string> PictureReportLines(const std::string& path, int width, int height);
// The same for a picture file the caller has open; fileName is the name its first line shows.
std::vector<std::string> OpenPictureReportLines(const std::string& fileName,
                                                platform::FileSource& file, int width, int height);
