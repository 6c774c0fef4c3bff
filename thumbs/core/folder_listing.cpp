// Enumerations of the thumbnail window's listing.
#include "thumbs/core/folder_listing.h"

#include "platform/core/files.h"
#include "thumbs/core/file_names.h"

namespace {

constexpr uint32_t NotAFile =
    platform::FILE_ATTRIBUTE_DIRECTORY | platform::FILE_ATTRIBUTE_VOLUMEID;

} // namespace

TRawListing RawFileNames(const std::string& folder) {
    TRawListing listing;
    platform::FindFile find(folder + "\\*.CR2");
    platform::FindData entry;
    while (find.next(entry)) {
        if (entry.attributes &
            (NotAFile | platform::FILE_ATTRIBUTE_HIDDEN | platform::FILE_ATTRIBUTE_SYSTEM))
            continue;
        if (IsRawName(entry.name))
            listing.Names.push_back(entry.name);
    }
    // Entries no path reaches are judged by their names alone: a dotted name is hidden.
    for (const std::string& name : find.unnamableNames()) {
        if (name.front() != '.' && IsRawName(name))
            listing.Unnamable.push_back(name);
    }
    return listing;
}

TPictureListing PictureItemNames(const std::string& folder) {
    TPictureListing listing;
    platform::FindFile find(folder + "\\*.*");
    platform::FindData entry;
    while (find.next(entry)) {
        if (entry.attributes & (NotAFile | platform::FILE_ATTRIBUTE_SYSTEM))
            continue;
        listing.AnyFile = true;
        if (IsPictureName(entry.name))
            listing.Names.push_back(entry.name);
    }
    return listing;
}
