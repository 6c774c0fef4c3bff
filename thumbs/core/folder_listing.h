// Which files of a folder the thumbnail window works on: the raw files of its raw step and the
// pictures of its list, in enumeration order.
#pragma once

#include <string>
#include <vector>

struct TRawListing {
    std::vector<std::string> Names; // the raw files, in enumeration order
    // Raw files whose names hold a backslash, which no program path can name (the host's file
    // system allows it); they are left out of Names.
    std::vector<std::string> Unnamable;
};

// The raw files of a folder (a program path ending in a backslash): entries matching "*.CR2" that
// are neither hidden nor system files, whose upper-cased four-character extension is ".CR2".
// The enumeration stops at the first request that fails.
TRawListing RawFileNames(const std::string& folder);

struct TPictureListing {
    bool AnyFile = false;           // the folder yielded at least one file
    std::vector<std::string> Names; // the pictures, in enumeration order
};

// The list items of a folder: every file (hidden ones included; system files, volume labels and
// folders left out) whose upper-cased four-character extension is ".JPG". a.jpg, b.JPG,
// x.CR2.JPG and y.jpgx are listed; c.jpeg is not.
TPictureListing PictureItemNames(const std::string& folder);
