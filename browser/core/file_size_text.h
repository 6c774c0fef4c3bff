// The size text of the image table and the properties report.
#pragma once

#include <cstdint>
#include <string>

// "1KB" for 0 to 999 bytes; otherwise the size divided by 1000, rounded half to even, and "KB"
// with no grouping (1500 -> "2KB", 2500 -> "2KB", 4194304 -> "4194KB").
std::string SizeText(uint64_t bytes);

// SizeText of the file at a program path; empty when its size cannot be read, so that a listing
// goes on.
std::string FileSizeText(const std::string& path);
