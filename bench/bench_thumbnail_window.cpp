// Thumbnail window timing, offscreen: a folder of 1,000 camera JPEGs with embedded EXIF thumbnails
// is listed and every thumbnail applied to the window's list. Reports the time from the folder
// change to the last thumbnail applied, what the worker's pauses alone take (10 ms after each item
// of each pass), the time per picture beyond them, and the longest the window's event loop went
// without turning (a 5 ms timer's largest gap), which says whether it answered input throughout.
// Then the same listing while another program makes and removes a folder every 0.3 s beside the
// folder and in it: how many listings ran (1: none restarted), how many thumbnails arrived, and
// how long until the last.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "app/application.h"
#include "app/window_set.h"
#include "bench/camera_pictures.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"
#include "thumbs/core/thumbnail_passes.h"
#include "thumbs/extraction/thumbnail_thread.h"
#include "thumbs/tmainform.h"

namespace {

namespace fs = std::filesystem;

constexpr int PictureCount = 1000;
constexpr double PauseMs = 10.0;

// Drive C: over source's folder, with the folder "Photos" of PictureCount copies of its one
// picture (a camera picture with its 160 x 120 thumbnail: the listing reads every copy), and the
// window set made and shown. Returns the host folder of "C:\Photos".
fs::path ShowWindowsOverPhotos(const CameraPictures& source) {
    const fs::path folder = source.folder() / "Photos";
    fs::create_directory(folder);
    for (int i = 0; i < PictureCount; ++i)
        fs::copy_file(source.files().front(),
                      folder / ("IMG_" + std::to_string(10000 + i) + ".jpg"));
    platform::setDriveMap({{'C', source.folder().string(), platform::DRIVE_FIXED, "", true}});
    CreateWindowSet();
    MainForm->show();
    return folder;
}

// Until the thumbnail window's worker has ended.
void WaitForTheWorker() {
    while (MainForm->FThread)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_ListAndShowThumbnails(benchmark::State& state) {
    const CameraPictures source(1, 1600, 1200, true);
    ShowWindowsOverPhotos(source);

    for (auto _ : state) {
        // Start from another folder so that the listing below is a folder change.
        MainForm->explor->OpenPath(QStringLiteral("C:\\"));
        WaitForTheWorker();

        QElapsedTimer clock;
        qint64 lastThumbnail = 0;
        int thumbnails = 0;
        const auto applied =
            QObject::connect(MainForm, &TMainForm::MessageApplied, [&](unsigned msg, int) {
                if (MainForm->FThumbnailPass &&
                    (msg == WM_THUMB_ADDIMAGE || msg == WM_THUMB_REPLACEIMAGE)) {
                    lastThumbnail = clock.nsecsElapsed();
                    ++thumbnails;
                }
            });
        qint64 lastTick = 0;
        qint64 longestGap = 0;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestGap = std::max(longestGap, now - lastTick);
            lastTick = now;
        });
        clock.start();
        ticker.start();
        MainForm->explor->OpenPath(QStringLiteral("C:\\Photos"));
        longestGap = std::max(longestGap, clock.nsecsElapsed() - lastTick); // the listing itself
        lastTick = clock.nsecsElapsed();
        WaitForTheWorker();
        ticker.stop();
        QObject::disconnect(applied);
        if (thumbnails != PictureCount) {
            state.SkipWithError("not every picture got its thumbnail");
            break;
        }
        const double totalMs = double(lastThumbnail) / 1e6;
        const double pausesMs = 2 * PictureCount * PauseMs;
        state.SetIterationTime(totalMs / 1000.0);
        state.counters["pauses_ms"] = pausesMs;
        state.counters["beyond_pauses_ms_per_picture"] = (totalMs - pausesMs) / PictureCount;
        state.counters["longest_event_loop_gap_ms"] = double(longestGap) / 1e6;
    }
    DestroyWindowSet();
    platform::setDriveMap({});
}
BENCHMARK(BM_ListAndShowThumbnails)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ListWhileFoldersComeAndGo(benchmark::State& state) {
    const CameraPictures source(1, 1600, 1200, true);
    const fs::path folder = ShowWindowsOverPhotos(source);

    for (auto _ : state) {
        MainForm->explor->OpenPath(QStringLiteral("C:\\"));
        WaitForTheWorker();
        int listings = 0;
        int thumbnails = 0;
        qint64 lastThumbnail = 0;
        QElapsedTimer clock;
        const auto applied =
            QObject::connect(MainForm, &TMainForm::MessageApplied, [&](unsigned msg, int) {
                if (msg == WM_THUMB_ICONSDONE)
                    ++listings;
                if (MainForm->FThumbnailPass &&
                    (msg == WM_THUMB_ADDIMAGE || msg == WM_THUMB_REPLACEIMAGE)) {
                    lastThumbnail = clock.nsecsElapsed();
                    ++thumbnails;
                }
            });
        std::atomic<bool> done{false};
        std::thread other([&] {
            for (int i = 0; !done && i < 50; ++i) { // 15 s at most
                const fs::path made = (i % 2 ? folder : source.folder()) / "made by another";
                fs::create_directory(made);
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                fs::remove(made);
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
            }
        });
        clock.start();
        MainForm->explor->OpenPath(QStringLiteral("C:\\Photos"));
        // Until the last listing is over (a restarted one ends its worker and starts another),
        // 60 s at most.
        while ((MainForm->FThread || MainForm->FRestartPending) && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        done = true;
        other.join();
        QObject::disconnect(applied);
        state.SetIterationTime(double(lastThumbnail) / 1e9);
        state.counters["listings"] = listings;
        state.counters["thumbnails"] = thumbnails;
        if (thumbnails < PictureCount)
            state.SkipWithError("not every picture got its thumbnail");
    }
    DestroyWindowSet();
    platform::setDriveMap({});
}
BENCHMARK(BM_ListWhileFoldersComeAndGo)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
