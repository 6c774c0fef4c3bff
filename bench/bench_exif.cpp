// Rows per second of the image table over a folder of camera pictures (warm cache): the whole
// row (size text and EXIF read), the EXIF read alone, and the reader over bytes in memory; and
// the time of the costliest block a file of a few megabytes can hold, from memory and from a file.
#include <cstdio>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench/picture_folder.h"
#include "browser/core/picture_texts.h"
#include "exif/exif.h"
#include "platform/core/drives.h"
#include "tests/support/exif_worst_case.h"

namespace {

constexpr size_t FileCount = 2000;

struct Row {
    std::string caption;
    std::string path; // program path
};

const std::vector<Row>& Rows() {
    static const PictureFolder folder(std::filesystem::path(LUMO_TESTDATA) / "photos", FileCount);
    static const std::vector<Row> rows = [] {
        std::vector<Row> list;
        for (const auto& file : folder.files())
            list.push_back({file.filename().string(), platform::fromHostPath(file.string())});
        return list;
    }();
    return rows;
}

void ImageRows(benchmark::State& state) {
    const auto& rows = Rows();
    if (rows.empty()) {
        state.SkipWithError("no camera pictures");
        return;
    }
    for (auto _ : state)
        for (const Row& row : rows)
            benchmark::DoNotOptimize(ImageRowTexts(row.caption, row.path));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * rows.size()));
    state.counters["files"] = static_cast<double>(rows.size());
}
BENCHMARK(ImageRows)->Unit(benchmark::kMillisecond)->UseRealTime();

void ExifReadOnly(benchmark::State& state) {
    const auto& rows = Rows();
    if (rows.empty()) {
        state.SkipWithError("no camera pictures");
        return;
    }
    for (auto _ : state) {
        for (const Row& row : rows) {
            TExif exif;
            try {
                ReadExifFile(exif, row.path);
            } catch (const EInOutError&) {
                // Two of the pictures end this way by design; the time still counts.
            }
            benchmark::DoNotOptimize(exif.Valid);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * rows.size()));
}
BENCHMARK(ExifReadOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void ExifFromMemory(benchmark::State& state) {
    std::vector<std::vector<uint8_t>> blocks;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(LUMO_TESTDATA) / "photos")) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes(64 * 1024);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<size_t>(in.gcount()));
        blocks.push_back(std::move(bytes));
    }
    for (auto _ : state) {
        for (const auto& bytes : blocks) {
            MemorySource source(bytes);
            TExif exif;
            try {
                exif.Read(source);
            } catch (const EInOutError&) {
                // As above.
            }
            benchmark::DoNotOptimize(exif.Valid);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * blocks.size()));
}
BENCHMARK(ExifFromMemory)->UseRealTime();

// Both directories at 65,535 entries, each a text of 65,534 bytes: a file of 1.6 MB.
void ExifWorstCaseFromMemory(benchmark::State& state) {
    const std::vector<uint8_t> bytes = lumo::test::ExifWorstCase();
    for (auto _ : state) {
        MemorySource source(bytes);
        TExif exif;
        exif.Read(source);
        benchmark::DoNotOptimize(exif.Make.size());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(ExifWorstCaseFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same block as a file read through its program path, as the table reads it.
void ExifWorstCaseFromFile(benchmark::State& state) {
    const std::vector<uint8_t> bytes = lumo::test::ExifWorstCase();
    std::string host = (std::filesystem::temp_directory_path() / "lumo-bench-XXXXXX").string();
    const int fd = ::mkstemp(host.data());
    const bool written =
        fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0)
        ::close(fd);
    const std::string path = platform::fromHostPath(host);
    if (written && !path.empty()) {
        for (auto _ : state) {
            TExif exif;
            ReadExifFile(exif, path);
            benchmark::DoNotOptimize(exif.Make.size());
        }
    } else {
        state.SkipWithError("cannot write the file");
    }
    std::remove(host.c_str());
}
BENCHMARK(ExifWorstCaseFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
