// A healthy share is not slowed by the bounded wait: the table's listing of 500 camera pictures on
// an sshfs share (a private sshd on 127.0.0.1, tests/support/frozen_share.h), each row's EXIF read
// with the bounded open and reads, against the same listing with every call made directly (as
// inside one bounded call, where calls run inline), which is how the rows were read before. Also
// the same listing of a local folder while a share is mounted, where each file's path is followed
// through its links to tell whether it leads to a share, and that check alone against the check
// of the path's text that was all before.
#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>

#include "browser/core/picture_files.h"
#include "browser/core/picture_texts.h"
#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "tests/support/frozen_share.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr size_t kPictures = 500;

// The share with 500 copies of the camera pictures, and a local folder with the same; drive C:
// is the share's mount point, D: the local folder.
struct ShareBench {
    ShareBench() {
        namespace fs = std::filesystem;
        share = std::make_unique<lumo::test::FrozenShare>(place / "nas");
        if (!share->available()) {
            problem = share->reason();
            return;
        }
        std::vector<fs::path> sources;
        for (const auto& entry : fs::directory_iterator(LUMO_TESTDATA "/photos", ignored))
            if (entry.path().extension() == ".jpg")
                sources.push_back(entry.path());
        if (sources.empty()) {
            problem = "the camera pictures are not available";
            return;
        }
        fs::create_directory(place / "local");
        for (size_t i = 0; i < kPictures; ++i) {
            const std::string name = "p" + std::to_string(i) + ".jpg";
            fs::copy_file(sources[i % sources.size()], share->served() + "/" + name);
            fs::copy_file(sources[i % sources.size()], place / ("local/" + name));
        }
        platform::setDriveMap({{'C', share->mountPoint(), platform::DRIVE_REMOTE, "", true},
                               {'D', place / "local", platform::DRIVE_FIXED, "", true}});
        platform::detail::invalidateHostDriveMap();
    }
    std::error_code ignored;
    lumo::test::TempDir place;
    std::unique_ptr<lumo::test::FrozenShare> share;
    std::string problem;
};

ShareBench& Bench() {
    static ShareBench bench;
    return bench;
}

size_t ListRows(const std::string& folder) {
    size_t rows = 0;
    for (const platform::FindData& entry : PictureFiles(folder)) {
        const RowTexts texts = ListedImageRowTexts(entry.name, folder + entry.name, entry.size);
        rows += texts[2] != "-" ? 1 : 0;
    }
    return rows;
}

bool Ready(benchmark::State& state) {
    if (!Bench().problem.empty())
        state.SkipWithError(Bench().problem.c_str());
    return Bench().problem.empty();
}

void BM_ShareListingBounded(benchmark::State& state) {
    if (!Ready(state))
        return;
    size_t rows = 0;
    for (auto _ : state)
        rows = ListRows("C:\\");
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_ShareListingDirect(benchmark::State& state) {
    if (!Ready(state))
        return;
    size_t rows = 0;
    for (auto _ : state) {
        // On the helper thread every bounded call runs inline: the reads of before.
        platform::detail::runOnHelper(
            Bench().share->mountPoint(), [&rows] { rows = ListRows("C:\\"); },
            std::chrono::hours(1));
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_LocalListingWhileAShareIsMounted(benchmark::State& state) {
    if (!Ready(state))
        return;
    size_t rows = 0;
    for (auto _ : state)
        rows = ListRows("D:\\");
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_NetworkCheckOfALocalPicture(benchmark::State& state) {
    if (!Ready(state))
        return;
    const std::string picture = Bench().place / "local/p7.jpg";
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::detail::networkRootOf(picture));
}

// The check as it was before links were followed: the path's text and the mount table alone.
void BM_NetworkCheckOfALocalPictureByItsText(benchmark::State& state) {
    if (!Ready(state))
        return;
    const std::string picture = Bench().place / "local/p7.jpg";
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::detail::networkRootOfText(picture));
}

} // namespace

// Direct and bounded by turns, so that both see the same share and the same page cache.
BENCHMARK(BM_ShareListingDirect)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ShareListingBounded)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_LocalListingWhileAShareIsMounted)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_NetworkCheckOfALocalPicture);
BENCHMARK(BM_NetworkCheckOfALocalPictureByItsText);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Bench().share.reset(); // the share goes before the static objects it uses
    benchmark::Shutdown();
}
