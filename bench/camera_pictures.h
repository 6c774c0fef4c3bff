// Camera-like pictures for the thumbnail benchmarks, made in a temporary folder: large JPEGs of
// realistic detail, with a 160 x 120 EXIF thumbnail as cameras write one or without. Removed when
// the object dies.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class CameraPictures {
public:
    // count pictures of width x height; with thumbnails, each carries a 160 x 120 EXIF thumbnail.
    CameraPictures(int count, int width, int height, bool thumbnails);
    ~CameraPictures();
    CameraPictures(const CameraPictures&) = delete;
    CameraPictures& operator=(const CameraPictures&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    const std::vector<std::filesystem::path>& files() const { return files_; }

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> files_;
};

// The bytes of a JPEG file with an EXIF block whose IFD1 holds thumbnail, as cameras write it.
std::string WithExifThumbnail(const std::string& jpeg, const std::string& thumbnail);
