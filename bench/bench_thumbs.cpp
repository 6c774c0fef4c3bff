// Thumbnail extraction timing. Milliseconds per picture of the worker's extraction step (the shell
// extractor asked for a 120 x 120 thumbnail) on 24-megapixel camera JPEGs with a 160 x 120 EXIF
// thumbnail and without one; the pictures without one opened through the desktop's thumbnail
// cache, the first time (decoded, and the cache written) and again (from the cache);
// vipsthumbnail, ImageMagick and lumograph-thumbs making the same size from the same files in the
// same run (each tool run once over all files, the time divided by their number); and CR2 preview
// sidecars per second from the restored CR2.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include <sys/resource.h>

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include "bench/camera_pictures.h"
#include "platform/core/drives.h"
#include "platform/headless/thumbnail_cache.h"
#include "thumbs/core/file_names.h"
#include "thumbs/extraction/raw_sidecars.h"
#include "thumbs/extraction/shell_items.h"

namespace {

namespace fs = std::filesystem;

// 5664 x 4248: 24 megapixels in the 4:3 proportions of the thumbnails cameras embed.
constexpr int Width = 5664;
constexpr int Height = 4248;
constexpr int Count = 4;
constexpr int SidecarCount = 20;

struct PictureSets {
    CameraPictures withThumbnails{Count, Width, Height, true};
    CameraPictures withoutThumbnails{Count, Width, Height, false};
};

PictureSets& Pictures() {
    static PictureSets sets;
    return sets;
}

const CameraPictures& Set(bool thumbnails) {
    return thumbnails ? Pictures().withThumbnails : Pictures().withoutThumbnails;
}

// The worker's extraction step for one picture of the folder; where its thumbnail came from, None
// when there was none.
platform::ThumbnailSource ExtractionStep(platform::ShellFolder& folder,
                                         platform::ShellTaskAllocator& allocator,
                                         const std::string& name) {
    std::shared_ptr<platform::ExtractImage> extractor;
    uint32_t flags = platform::IEIFLAG_SCREEN;
    TRunnableTaskSlot task;
    platform::Bitmap bitmap;
    if (!GetExtractImageFor(folder, name, allocator, extractor) ||
        !ExtractImageToBitmap(*extractor, 120, 120, 32, flags, task, bitmap))
        return platform::ThumbnailSource::None;
    benchmark::DoNotOptimize(bitmap);
    return extractor->LastSource();
}

void CountMegabytes(benchmark::State& state, const CameraPictures& pictures) {
    uintmax_t bytes = 0;
    for (const fs::path& file : pictures.files())
        bytes += fs::file_size(file);
    state.counters["MB_per_file"] = double(bytes) / 1e6 / double(pictures.files().size());
}

void BM_ExtractionStep(benchmark::State& state, bool thumbnails) {
    const CameraPictures& pictures = Set(thumbnails);
    platform::ShellTaskAllocator* allocator = nullptr;
    platform::shGetMalloc(allocator);
    const auto folder =
        GetShellFolderFor(platform::fromHostPath(pictures.folder().string()), *allocator);
    const platform::ThumbnailSource expected =
        thumbnails ? platform::ThumbnailSource::ExifThumbnail : platform::ThumbnailSource::Decoded;
    size_t next = 0;
    for (auto _ : state) {
        const std::string name = pictures.files()[next++ % pictures.files().size()].filename();
        if (ExtractionStep(*folder, *allocator, name) != expected) {
            state.SkipWithError("no thumbnail, or one from another source");
            return;
        }
    }
    CountMegabytes(state, pictures);
}
BENCHMARK_CAPTURE(BM_ExtractionStep, with_exif_thumbnail, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExtractionStep, decoded, false)->Unit(benchmark::kMillisecond);

// The pictures without an EXIF thumbnail through a thumbnail cache of their own: opened the first
// time (the picture's thumbnail is not in the cache: decoded, and written there; the cache's
// folders exist, as they do after the first picture of a folder) or again (from the cache).
void BM_CacheOpening(benchmark::State& state, bool again) {
    const CameraPictures& pictures = Set(false);
    const CameraPictures home(0, 0, 0, false); // an empty folder for the cache
    const std::string cache = (home.folder() / "thumbnails").string();
    platform::ShellTaskAllocator* allocator = nullptr;
    platform::shGetMalloc(allocator);
    const auto folder =
        GetShellFolderFor(platform::fromHostPath(pictures.folder().string()), *allocator, cache);
    for (const fs::path& file : pictures.files())
        ExtractionStep(*folder, *allocator, file.filename());
    const platform::ThumbnailSource expected =
        again ? platform::ThumbnailSource::Cache : platform::ThumbnailSource::Decoded;
    size_t next = 0;
    for (auto _ : state) {
        const fs::path& file = pictures.files()[next++ % pictures.files().size()];
        if (!again) {
            state.PauseTiming();
            fs::remove(cache + "/normal/" +
                       platform::thumbnailFileName(platform::fileUri(file.string())));
            state.ResumeTiming();
        }
        if (ExtractionStep(*folder, *allocator, file.filename()) != expected) {
            state.SkipWithError("no thumbnail, or one from another source");
            return;
        }
    }
    CountMegabytes(state, pictures);
}
BENCHMARK_CAPTURE(BM_CacheOpening, first, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CacheOpening, again, true)->Unit(benchmark::kMillisecond);

double ChildCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One run of an external command over files, timed per file. {out} in the arguments stands for
// an output folder beside the files, {files} for the files.
void RunTool(benchmark::State& state, const std::string& tool, const std::string& arguments,
             const fs::path& folder, const std::vector<fs::path>& files) {
    const std::string program = tool.substr(0, tool.find(' '));
    if (std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) != 0) {
        state.SkipWithError((program + " is not installed").c_str());
        return;
    }
    const fs::path out = folder / "out";
    fs::create_directories(out);
    std::string quoted;
    for (const fs::path& file : files)
        quoted += " '" + file.string() + "'";
    std::string command = arguments;
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"{out}", out.string()}, {"{files}", quoted}}) {
        for (size_t at = command.find(key); at != std::string::npos; at = command.find(key))
            command.replace(at, key.size(), value);
    }
    command = tool + " " + command + " >/dev/null 2>&1";
    const double count = static_cast<double>(files.size());
    double cpuSeconds = 0;
    for (auto _ : state) {
        const double cpuBefore = ChildCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (status != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        cpuSeconds += ChildCpuSeconds() - cpuBefore;
        state.SetIterationTime(elapsed.count() / count);
    }
    // The tools' own processor time, which other programs running at the same time do not
    // inflate as they do the wall time.
    state.counters["cpu_ms_per_picture"] = 1000 * cpuSeconds / count / double(state.iterations());
}

void BM_Tool(benchmark::State& state, const std::string& tool, const std::string& arguments,
             bool thumbnails) {
    const CameraPictures& pictures = Set(thumbnails);
    RunTool(state, tool, arguments, pictures.folder(), pictures.files());
}

const std::string VipsArguments = "-s 120x120 -o '{out}/%s.png' {files}";
// The size hint lets ImageMagick decode at a reduced DCT scale, as the others do.
const std::string MagickArguments =
    "-path '{out}' -format png -define jpeg:size=240x240 -thumbnail 120x120 {files}";
const std::string LumographArguments = "--out '{out}' {files}";

std::string Mogrify() {
    // Debian's ImageMagick 6 names its programs with a suffix as well.
    return std::system("command -v mogrify-im6.q16 >/dev/null 2>&1") == 0 ? "mogrify-im6.q16"
                                                                          : "mogrify";
}

BENCHMARK_CAPTURE(BM_Tool, vipsthumbnail_decoded, "vipsthumbnail", VipsArguments, false)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Tool, imagemagick_decoded, Mogrify(), MagickArguments, false)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Tool, lumograph_thumbs_decoded, LUMOGRAPH_THUMBS, LumographArguments, false)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Tool, vipsthumbnail_with_exif_thumbnail, "vipsthumbnail", VipsArguments, true)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Tool, imagemagick_with_exif_thumbnail, Mogrify(), MagickArguments, true)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Tool, lumograph_thumbs_with_exif_thumbnail, LUMOGRAPH_THUMBS,
                  LumographArguments, true)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The raw step of a listing over a folder of copies of the restored CR2, none with a sidecar.
void BM_RawSidecars(benchmark::State& state) {
    const fs::path raw =
        fs::path(LUMO_TESTDATA) / "raw" / "Canon_EOS_Rebel_T5i_preview_restored.CR2";
    if (!fs::exists(raw)) {
        state.SkipWithError("the camera raw files are not available");
        return;
    }
    const CameraPictures folder(0, 0, 0, false);
    for (int i = 0; i < SidecarCount; ++i)
        fs::copy_file(raw, folder.folder() / ("IMG_" + std::to_string(2000 + i) + ".CR2"));
    std::string program = platform::fromHostPath(folder.folder().string());
    program += '\\';
    TRawPipeline pipeline;
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& entry : fs::directory_iterator(folder.folder()))
            if (entry.path().extension() == ".JPG")
                fs::remove(entry.path());
        state.ResumeTiming();
        if (!RunRawStep(pipeline, program, {}).empty()) {
            state.SkipWithError("a sidecar failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * SidecarCount);
    state.counters["cpu_ms_per_sidecar"] = 1000.0 * double(std::clock() - cpuStart) /
                                           CLOCKS_PER_SEC / double(state.iterations()) /
                                           SidecarCount;
}
BENCHMARK(BM_RawSidecars)->Unit(benchmark::kMillisecond);

// What decoding the restored CR2's preview at 1/8 scale costs the reference decoder alone: the
// floor under the time of one sidecar.
void BM_PreviewDecodeFloor(benchmark::State& state) {
    const fs::path raw =
        fs::path(LUMO_TESTDATA) / "raw" / "Canon_EOS_Rebel_T5i_preview_restored.CR2";
    if (!fs::exists(raw)) {
        state.SkipWithError("the camera raw files are not available");
        return;
    }
    const CameraPictures folder(0, 0, 0, false);
    TRawPipeline pipeline;
    pipeline.CurrentRawPath = platform::fromHostPath(raw.string());
    pipeline.TempPreviewPath = platform::fromHostPath((folder.folder() / "preview.jpg").string());
    convertraw(pipeline);
    std::vector<fs::path> files;
    for (int i = 0; i < SidecarCount; ++i) {
        files.push_back(folder.folder() / ("preview" + std::to_string(i) + ".jpg"));
        fs::copy_file(folder.folder() / "preview.jpg", files.back());
    }
    RunTool(state, "sh -c", "'for f in \"$@\"; do djpeg -scale 1/8 \"$f\"; done' sh {files}",
            folder.folder(), files);
}
BENCHMARK(BM_PreviewDecodeFloor)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
