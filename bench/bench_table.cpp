// Image table timing, offscreen: listing a folder of 5,000 camera JPEGs into the main window's
// table (enumeration, display names, icons, EXIF rows) until the table is laid out and usable;
// and listing 20,000 small pictures quietly and while half of them are moved out of the folder.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include <QApplication>

#include <benchmark/benchmark.h>

#include "bench/picture_folder.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "platform/core/drives.h"
#include "platform/qt/image_list.h"
#include "tests/support/exif_worst_case.h"

namespace {

constexpr int PictureCount = 5000;

// C: is a temporary folder with 5,000 copies of the camera pictures.
class TableBenchFolder {
public:
    TableBenchFolder() : pictures(LUMO_TESTDATA "/photos", PictureCount) {
        count = static_cast<int>(pictures.files().size());
        if (count > 0)
            platform::setDriveMap(
                {platform::DriveInfo{'C', pictures.files().front().parent_path().string(),
                                     platform::DRIVE_FIXED, "", true}});
    }
    PictureFolder pictures;
    int count = 0;
};

void BM_ListFolderOf5000Pictures(benchmark::State& state) {
    static TableBenchFolder folder;
    if (folder.count < PictureCount) {
        state.SkipWithError("the camera pictures are not available");
        return;
    }
    TImageTable table;
    platform::ImageList icons(16, 16);
    table.resize(900, 600);
    table.SetReportView(true);
    table.SetSmallImages(&icons);
    table.show();
    for (auto _ : state) {
        table.Items()->Clear();
        icons.clear();
        FillImageTable(QStringLiteral("C:\\"), &table, &icons);
        QApplication::processEvents(); // the table's first layout and paint
        benchmark::DoNotOptimize(table.Count());
    }
    state.counters["rows"] = table.Count();
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(table.Count()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ListFolderOf5000Pictures)->Unit(benchmark::kMillisecond)->UseRealTime();

// 20,000 pictures of a few hundred bytes with an EXIF block each, in a temporary folder that C:
// stands for; a folder beside it takes the pictures moved out.
class ChurnFolder {
public:
    static constexpr int Count = 20000;

    ChurnFolder() {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "lumo-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        root = pattern;
        fs::create_directory(root / "pictures");
        fs::create_directory(root / "gone");
        const std::vector<uint8_t> bytes = lumo::test::ExifWorstCase({8, 24, 1});
        for (int i = 0; i < Count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
            std::ofstream(root / "pictures" / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            names.push_back(name);
        }
        // Every other picture leaves, from the end of the listing backwards: most of them are
        // gone by the time the listing reaches them, after the enumeration saw them.
        for (size_t i = names.size() - 1; i < names.size(); i -= 2)
            leaving.push_back(names[i]);
    }
    ~ChurnFolder() {
        std::error_code ignored; // a leftover temporary folder is no reason to fail a benchmark
        if (!root.empty())
            std::filesystem::remove_all(root, ignored);
    }
    void moveOut() const {
        for (const std::string& name : leaving)
            std::filesystem::rename(root / "pictures" / name, root / "gone" / name);
    }
    void moveBack() const {
        for (const std::string& name : leaving)
            std::filesystem::rename(root / "gone" / name, root / "pictures" / name);
    }

    std::filesystem::path root;
    std::vector<std::string> names;
    std::vector<std::string> leaving;
};

void ListChurnFolder(benchmark::State& state, bool churn) {
    static ChurnFolder folder;
    if (folder.names.size() != ChurnFolder::Count) {
        state.SkipWithError("cannot make the pictures");
        return;
    }
    platform::setDriveMap({platform::DriveInfo{'C', (folder.root / "pictures").string(),
                                               platform::DRIVE_FIXED, "", true}});
    TImageTable table;
    platform::ImageList icons(16, 16);
    table.SetReportView(true);
    table.SetSmallImages(&icons);
    for (auto _ : state) {
        table.Items()->Clear();
        icons.clear();
        std::thread mover;
        if (churn)
            mover = std::thread([] { folder.moveOut(); });
        FillImageTable(QStringLiteral("C:\\"), &table, &icons);
        if (mover.joinable())
            mover.join();
        benchmark::DoNotOptimize(table.Count());
        state.PauseTiming();
        if (churn)
            folder.moveBack();
        state.ResumeTiming();
    }
    state.counters["rows"] = table.Count();
    state.counters["leaving"] = churn ? static_cast<double>(folder.leaving.size()) : 0;
    platform::setDriveMap({});
}

void BM_List20000PicturesQuietly(benchmark::State& state) {
    ListChurnFolder(state, false);
}
BENCHMARK(BM_List20000PicturesQuietly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_List20000PicturesWhileHalfLeave(benchmark::State& state) {
    ListChurnFolder(state, true);
}
BENCHMARK(BM_List20000PicturesWhileHalfLeave)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
