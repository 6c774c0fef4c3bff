// The properties report of one picture — its name, size and pixel dimensions and every EXIF value
// the reader supplies, as labelled lines — made from a record. The main window's properties
// dialog and the thumbnail window's memo show the same lines.
#pragma once

#include <string>
#include <vector>

class TExif;

// The three file lines of every form.
struct ReportFile {
    std::string name;     // the file name alone, never the folder
    std::string sizeText; // FileSizeText of the picture
    int width = 0;        // the picture's own size in pixels
    int height = 0;
};

// How reading the EXIF block went.
enum class ExifOutcome {
    Read,  // read without error: the full form when the record is Valid, the short form if not
    Failed // the reader raised: the error form
};

// 30 lines when the record is Valid; "Exif Header is not valid" and the three file lines when it
// is not; "Error reading file" and the three file lines when reading failed.
std::vector<std::string> ReportLinesFromRecord(const ReportFile& file, const TExif& exif,
                                               ExifOutcome outcome);
