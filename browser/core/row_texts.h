// The 29 columns of the main window's image table and the texts of one row, made from a picture's
// EXIF record. Plain functions that the window, the thumbnail window and the table tool share.
#pragma once

#include <array>
#include <cstddef>
#include <string>

class TExif;

constexpr size_t ImageTableColumns = 29;

using RowTexts = std::array<std::string, ImageTableColumns>;

extern const std::array<const char*, ImageTableColumns> ImageTableHeaders;

// The caption, the size text, then the 27 EXIF columns of a record; "-" in each of those when the
// record is not Valid (no EXIF block, or reading it failed and the record was cleared).
RowTexts RowTextsFromRecord(const std::string& caption, const std::string& sizeText,
                            const TExif& exif);
