// The name rules of the thumbnail browser: which files it lists, which are raw files, how a
// sidecar is named and how a sidecar item is shown under its raw file's name. Extensions are
// compared by their first four characters, so "y.jpgx" counts as a picture and "c.jpeg" does not.
#pragma once

#include <string>
#include <string_view>

// The extension of a file name or path (from its last dot after the last "\" or ":", dot
// included), cut to its first four characters, letter case kept. Empty when there is none.
std::string FourCharExtension(std::string_view name);
// The part of a path after its last "\" or ":".
std::string FileNameOf(std::string_view path);
std::string UpperAscii(std::string_view text);

// A listed picture: the upper-cased four-character extension is ".JPG".
bool IsPictureName(std::string_view name);
// A Canon raw file: the upper-cased four-character extension is ".CR2".
bool IsRawName(std::string_view name);

// The sidecar of a raw file: folder, exactly one backslash (added only when the folder has none at
// its end), prefix, the raw file's name with every ".CR2" removed (case-sensitive), ".CR2.JPG".
// "D:\Shots\" with "D:\Shots\\IMG_0042.CR2" gives "D:\Shots\IMG_0042.CR2.JPG".
std::string SidecarPath(std::string_view folder, std::string_view rawPath, std::string_view prefix);

// A path as a message shows it to the user: every run of backslashes after the first two
// characters folded into one, so the doubled backslash a raw file's path carries before its name
// is not shown. "C:\tmp\raw\\STUB.CR2" -> "C:\tmp\raw\STUB.CR2".
std::string ShownPath(std::string_view path);

// The caption a list item keeps once its worker has ended: a sidecar item (its extension cut to
// four characters is exactly ".JPG" and, without every ".JPG", it is a raw name) shows the raw
// file's name; any other caption stays. "IMG_1.CR2.JPG" -> "IMG_1.CR2"; "photo.jpg" stays.
std::string CaptionAfterExtraction(std::string_view caption);

// The window caption when an item is selected: "Lumograph - " and the item's caption, or for a
// sidecar (the path folder + caption, by the upper-cased rules) the raw file's name.
std::string SelectionTitle(std::string_view folder, std::string_view caption);
