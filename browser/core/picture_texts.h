// The image table row and the properties report of a picture file: reads its size and EXIF block
// and hands the record to the text functions of row_texts.h and report_lines.h.
#pragma once

#include <string>
#include <vector>

#include "browser/core/row_texts.h"

// The row of the picture at a program path; a file whose EXIF block is missing or cannot be read
// gives the row of dashes (no message: the listing goes on).
RowTexts ImageRowTexts(const std::string& caption, const std::string& path);

// The report of the picture at a program path; width and height are its own size in pixels.
std::vector<std::string> PictureReportLines(const std::string& path, int width, int height);
