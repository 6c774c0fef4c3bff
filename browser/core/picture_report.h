// The properties report of one picture: its name, size and pixel dimensions and every EXIF value
// the reader supplies, as labelled lines. The main window's properties dialog and the thumbnail
// window's memo show the same lines.
#pragma once

#include <string>
#include <vector>

// path is the picture's program path; width and height its own size in pixels.
// 30 lines when the EXIF block is valid; "Exif Header is not valid" and the three file lines when
// it is not; "Error reading file" and the three file lines when reading it fails.
std::vector<std::string> PictureReportLines(const std::string& path, int width, int height);
