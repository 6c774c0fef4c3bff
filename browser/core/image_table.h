// The 29 columns of the main window's image table and the texts of one row, as plain functions
// that the window and the command-line table dump share.
#pragma once

#include <array>
#include <string>

constexpr size_t ImageTableColumns = 29;

extern const std::array<const char*, ImageTableColumns> ImageTableHeaders;

// The row of the picture at a program path: the caption, the size text, then the 27 EXIF
// columns; "-" in each of those when the file has no valid EXIF block or reading it fails.
std::array<std::string, ImageTableColumns> ImageRowTexts(const std::string& caption,
                                                         const std::string& path);
