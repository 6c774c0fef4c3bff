#include "browser/core/picture_files.h"

std::vector<platform::FindData> PictureFiles(const std::string& folder) {
    std::vector<platform::FindData> entries;
    platform::FindFile find(folder + "*.jpg");
    platform::FindData entry;
    while (find.next(entry)) {
        if (entry.attributes &
            (platform::FILE_ATTRIBUTE_DIRECTORY | platform::FILE_ATTRIBUTE_VOLUMEID))
            continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> PictureFileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (platform::FindData& entry : PictureFiles(folder))
        names.push_back(std::move(entry.name));
    return names;
}
