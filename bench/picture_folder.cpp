// Folder of copied camera pictures for the benchmarks.
#include "bench/picture_folder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

PictureFolder::PictureFolder(const fs::path& source, size_t count) {
    std::vector<fs::path> pictures;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(source, error)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (entry.is_regular_file() && extension == ".jpg")
            pictures.push_back(entry.path());
    }
    if (pictures.empty())
        return;
    std::sort(pictures.begin(), pictures.end());
    std::string pattern = (fs::temp_directory_path() / "lumo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    root_ = pattern;
    for (size_t i = 0; i < count; ++i) {
        const fs::path& picture = pictures[i % pictures.size()];
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%05zu_", i);
        const fs::path copy = root_ / (prefix + picture.filename().string());
        fs::copy_file(picture, copy, error);
        if (!error)
            files_.push_back(copy);
    }
    // Warm the page cache, so that the figures measure the reader and not the disk.
    std::vector<char> buffer(1 << 16);
    for (const fs::path& file : files_) {
        std::ifstream in(file, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
            ;
    }
}

PictureFolder::~PictureFolder() {
    std::error_code ignored; // a leftover temporary folder is no reason to fail a benchmark
    if (!root_.empty())
        fs::remove_all(root_, ignored);
}
