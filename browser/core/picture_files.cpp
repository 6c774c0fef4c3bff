#include "browser/core/picture_files.h"

#include "platform/core/files.h"

std::vector<std::string> PictureFileNames(const std::string& folder) {
    std::vector<std::string> names;
    platform::FindFile find(folder + "*.jpg");
    platform::FindData entry;
    while (find.next(entry)) {
        if (entry.attributes &
            (platform::FILE_ATTRIBUTE_DIRECTORY | platform::FILE_ATTRIBUTE_VOLUMEID))
            continue;
        names.push_back(std::move(entry.name));
    }
    return names;
}
