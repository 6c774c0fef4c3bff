// Which files of a folder the image table lists, in the order it lists them.
#pragma once

#include <string>
#include <vector>

#include "platform/core/files.h"

// The names of the entries of folder (a program path ending in a backslash) that match "*.jpg"
// without regard to case, in enumeration order, with every attribute kind admitted (hidden and
// read-only pictures too) and folders and volume labels left out. Empty when the folder cannot
// be enumerated.
std::vector<std::string> PictureFileNames(const std::string& folder);

// The same entries with what the enumeration found out about each (the name as the file system
// gives it, its size): a listing builds its rows from them without asking for each file again.
std::vector<platform::FindData> PictureFiles(const std::string& folder);
