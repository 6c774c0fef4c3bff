// The tree-size walk over 20,000 small files in 400 folders (warm cache), beside a plain
// std::filesystem walk of the same tree that follows no rule of its own, as the yardstick.
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "platform/core/drives.h"
#include "platform/core/tree_size.h"

namespace {

namespace fs = std::filesystem;

constexpr int FolderCount = 400;
constexpr int FilesPerFolder = 50;

class SizeBenchFolders {
public:
    SizeBenchFolders() {
        root = fs::temp_directory_path() / ("lumo-bench-size-" + std::to_string(::getpid()));
        for (int f = 0; f < FolderCount; ++f) {
            const fs::path folder =
                root / ("group" + std::to_string(f / 20)) / ("folder" + std::to_string(f));
            fs::create_directories(folder);
            for (int i = 0; i < FilesPerFolder; ++i)
                std::ofstream(folder / ("file" + std::to_string(i) + ".jpg"))
                    << std::string(size_t(100 + i), 'x');
        }
        platform::setDriveMap(
            {platform::DriveInfo{'C', root.string(), platform::DRIVE_FIXED, "", true}});
    }
    ~SizeBenchFolders() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

SizeBenchFolders& Folders() {
    static SizeBenchFolders folders;
    return folders;
}

void BM_FolderTreeSize(benchmark::State& state) {
    Folders();
    uint64_t files = 0;
    for (auto _ : state) {
        const platform::TreeSize size = platform::folderTreeSize("C:\\");
        files = size.files;
        benchmark::DoNotOptimize(size.bytes);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * files));
}
BENCHMARK(BM_FolderTreeSize)->Unit(benchmark::kMillisecond);

void BM_FilesystemIteratorYardstick(benchmark::State& state) {
    const fs::path root = Folders().root;
    uint64_t files = 0;
    for (auto _ : state) {
        uint64_t bytes = 0;
        files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.is_regular_file()) {
                bytes += entry.file_size();
                ++files;
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * files));
}
BENCHMARK(BM_FilesystemIteratorYardstick)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
