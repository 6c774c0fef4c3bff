// Viewer timing, offscreen: "Next" on 24-megapixel JPEGs, from the click until the sharpest picture
// is painted in the picture box (the thumbnail window's preview and its copy follow as in the
// program). Counters: first_ms, the click until the first picture is painted; final_ms, until the
// final one is painted; decoded_MB, the final picture's pixels; peak_MB, the process's peak
// resident memory above what it held before the first click.
//
// The pictures are a camera's own when the shared test pictures hold one of 20 megapixels or
// more; otherwise two photo-like 6000 x 4000 pictures (baseline and progressive, quality 90,
// 4:2:0) are written into a temporary folder first.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include "platform/core/drives.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/picture_decode.h"
#include "platform/qt/picture_loader.h"
#include "tests/support/picture_writer.h"
#include "viewer/tform4.h"
#include "widgets/timage.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCameraPixels = 20'000'000;

// C: is a folder holding two 24-megapixel pictures of each kind.
class BenchPictures {
public:
    BenchPictures() {
        std::string pattern = (fs::temp_directory_path() / "lumo-viewer-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        root_ = pattern;
        platform::setDriveMap({{'C', root_.string(), platform::DRIVE_FIXED, "", true}});
        if (copyCameraPictures())
            return;
        for (unsigned seed : {1u, 2u}) {
            const QImage picture = lumo::test::photoLikePicture(6000, 4000, seed);
            for (bool progressive : {false, true}) {
                const std::string name = std::string(progressive ? "progressive" : "baseline") +
                                         std::to_string(seed) + ".jpg";
                std::ofstream(root_ / name, std::ios::binary)
                    << lumo::test::encodeJpegBytes(picture, {.progressive = progressive});
                (progressive ? progressive_ : baseline_).push_back(QString::fromStdString(name));
            }
        }
    }
    ~BenchPictures() {
        std::error_code error;
        fs::remove_all(root_, error);
    }
    QStringList baseline_, progressive_;
    bool camera_ = false;

private:
    bool copyCameraPictures() {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(LUMO_TESTDATA "/photos", error)) {
            try {
                const platform::JpegSize size =
                    platform::jpegSize(platform::fromHostPath(entry.path().string()));
                if (int64_t{size.width} * size.height < kCameraPixels)
                    continue;
            } catch (const platform::EJpegError&) {
                continue;
            }
            for (const char* copy : {"camera1.jpg", "camera2.jpg"}) {
                fs::copy_file(entry.path(), root_ / copy, error);
                baseline_.push_back(QString::fromLatin1(copy));
            }
            camera_ = true;
            return true;
        }
        return false;
    }
    fs::path root_;
};

// The list Next walks, standing for the thumbnail window's, with previews of its sizes.
class BenchList : public TViewerList {
public:
    explicit BenchList(QStringList captions) : captions_(std::move(captions)) {
        preview_.resize(443, 330);
        copy_.resize(443, 330);
    }
    int ItemCount() const override { return static_cast<int>(captions_.size()); }
    int ItemIndex() const override { return index_; }
    void SelectItem(int index) override { index_ = index; }
    QString ItemCaption(int index) const override { return captions_.at(index); }
    QString Folder() const override { return QStringLiteral("C:\\"); }
    TImage* Preview() const override { return &preview_; }
    TImage* PreviewCopy() const override { return &copy_; }

private:
    QStringList captions_;
    int index_ = -1;
    mutable TImage preview_, copy_;
};

// Notes when the picture box is first painted after the clock was started.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(const QElapsedTimer& clock) : clock_(clock) {}
    void reset() { ns = -1; }
    qint64 ns = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && ns < 0)
            ns = clock_.nsecsElapsed();
        return false;
    }

private:
    const QElapsedTimer& clock_;
};

long residentKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return 0;
}

// Next, timed from the click until the final picture is painted. With lookFirst each click comes
// once the picture after the shown one has been decoded ahead, as when the user looks at a
// picture before going on; without, at once after the last one was shown.
void NextOn(benchmark::State& state, const QStringList& captions, int zoomUps,
            bool lookFirst = false) {
    if (captions.isEmpty()) {
        state.SkipWithError("the pictures could not be written");
        return;
    }
    TForm4 viewer(std::make_unique<BenchList>(captions));
    viewer.show();
    for (int i = 0; i < zoomUps; ++i)
        viewer.SpeedButton5Click();
    bool shown = false;
    QObject::connect(&viewer, &TForm4::PictureShown, [&shown] { shown = true; });
    const auto next = [&] {
        shown = false;
        viewer.SpeedButton1->click();
        while (!shown)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        viewer.Image1->repaint();
    };
    // One picture first, so that every timed click replaces a picture, as in use.
    next();
    QElapsedTimer clock;
    FirstPaint firstPaint(clock);
    viewer.Image1->installEventFilter(&firstPaint);
    // Peak memory from here on (writing 5 to clear_refs resets the peak).
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = residentKb("VmRSS:");
    double first = 0, final = 0;
    auto* ahead = viewer.findChild<platform::PictureLoader*>(QStringLiteral("prefetcher"));
    bool decodedAhead = false;
    QObject::connect(ahead, &platform::PictureLoader::stageReady,
                     [&decodedAhead](quint64, const platform::PictureStage& stage) {
                         decodedAhead = decodedAhead || stage.final;
                     });
    for (auto _ : state) {
        state.PauseTiming();
        while (lookFirst && !decodedAhead)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        decodedAhead = false;
        state.ResumeTiming();
        firstPaint.reset();
        clock.start();
        next();
        const qint64 elapsed = clock.nsecsElapsed();
        state.SetIterationTime(static_cast<double>(elapsed) / 1e9);
        first += static_cast<double>(firstPaint.ns) / 1e6;
        final += static_cast<double>(elapsed) / 1e6;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["first_ms"] = first / n;
    state.counters["final_ms"] = final / n;
    state.counters["decoded_MB"] =
        static_cast<double>(viewer.Image1->Picture().sizeInBytes()) / (1024.0 * 1024.0);
    state.counters["peak_MB"] = static_cast<double>(residentKb("VmHWM:") - before) / 1024.0;
}

BenchPictures& Pictures() {
    static BenchPictures pictures;
    return pictures;
}

// The start-up box, 473 x 443: a 6000 x 4000 picture decodes at 1/8.
void BM_NextBaseline24MP(benchmark::State& state) {
    NextOn(state, Pictures().baseline_, 0);
}
BENCHMARK(BM_NextBaseline24MP)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

// The same after looking at each picture until the next one is decoded ahead.
void BM_NextBaseline24MPAfterLooking(benchmark::State& state) {
    NextOn(state, Pictures().baseline_, 0, true);
}
BENCHMARK(BM_NextBaseline24MPAfterLooking)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);

void BM_NextProgressive24MP(benchmark::State& state) {
    if (Pictures().camera_) {
        state.SkipWithError("no generated progressive pictures beside a camera's");
        return;
    }
    NextOn(state, Pictures().progressive_, 0);
}
BENCHMARK(BM_NextProgressive24MP)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

// Three steps of "Zoom Up", 773 x 743: 1/4, after a quick 1/8 pass.
void BM_NextBaseline24MPZoomedUp3(benchmark::State& state) {
    NextOn(state, Pictures().baseline_, 3);
}
BENCHMARK(BM_NextBaseline24MPZoomedUp3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);

// The decoder alone at 1/8, on this thread, for comparison with the click figures.
void BM_DecodeBaseline24MPEighth(benchmark::State& state) {
    if (Pictures().baseline_.isEmpty()) {
        state.SkipWithError("the pictures could not be written");
        return;
    }
    const std::string path = "C:\\" + Pictures().baseline_.front().toStdString();
    for (auto _ : state) {
        QImage decoded;
        platform::decodePicture(
            {path, {473, 315}, false}, std::stop_token(),
            [&decoded](platform::PictureStage stage) { decoded = stage.image; });
        benchmark::DoNotOptimize(decoded.constBits());
    }
}
BENCHMARK(BM_DecodeBaseline24MPEighth)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
