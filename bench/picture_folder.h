// A temporary folder holding at least a given number of copies of the shared camera pictures,
// for benchmarks that list a large folder. Removed when the object dies.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class PictureFolder {
public:
    // Copies the JPEG files of `source` round-robin until `count` files exist. Empty when the
    // source holds no pictures.
    PictureFolder(const std::filesystem::path& source, size_t count);
    ~PictureFolder();
    PictureFolder(const PictureFolder&) = delete;
    PictureFolder& operator=(const PictureFolder&) = delete;

    const std::vector<std::filesystem::path>& files() const { return files_; }

private:
    std::filesystem::path root_;
    std::vector<std::filesystem::path> files_;
};
