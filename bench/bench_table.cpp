// Image table timing, offscreen: listing a folder of 5,000 camera JPEGs into the main window's
// table (enumeration, display names, icons, EXIF rows) until the table is laid out and usable.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "browser/image_table.h"
#include "browser/tform1.h"
#include "platform/drives.h"
#include "platform/image_list.h"

namespace {

constexpr int PictureCount = 5000;

// C: is a temporary folder with 5,000 copies of the camera pictures.
class TableBenchFolder {
public:
    TableBenchFolder() {
        QDir photos(QStringLiteral(LUMO_TESTDATA "/photos"));
        const QStringList sources =
            photos.entryList({QStringLiteral("*.jpg"), QStringLiteral("*.JPG")}, QDir::Files);
        for (int i = 0; i < PictureCount && !sources.isEmpty(); ++i) {
            const QString source = photos.filePath(sources.at(i % sources.size()));
            QFile::copy(source,
                        temp.filePath(QStringLiteral("pic%1.jpg").arg(i, 5, 10, QLatin1Char('0'))));
        }
        count = static_cast<int>(QDir(temp.path()).entryList(QDir::Files).size());
        platform::setDriveMap(
            {platform::DriveInfo{'C', temp.path().toStdString(), platform::DRIVE_FIXED, "", true}});
    }
    int count = 0;

private:
    QTemporaryDir temp;
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
