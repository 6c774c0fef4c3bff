// Image table timing, offscreen: listing a folder of 5,000 camera JPEGs into the main window's
// table (enumeration, display names, icons, EXIF rows) until the table is laid out and usable.
#include <QApplication>

#include <benchmark/benchmark.h>

#include "bench/picture_folder.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "platform/core/drives.h"
#include "platform/qt/image_list.h"

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

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
