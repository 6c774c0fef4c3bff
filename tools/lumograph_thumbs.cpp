// lumograph-thumbs: the thumbnail browser's extraction from the command line, built from the same
// code as the thumbnail window.
//   lumograph-thumbs [--out DIR] FILE...   the 120 x 120 thumbnail of each picture, as the worker's
//       thumbnail pass makes it; one line per file: name, TAB, the extracted picture's size before
//       fitting, as drawn upright (WxH), TAB, where it came from (exif, decoded, cache or none).
//       --out writes DIR/NAME.png. A file that gets no thumbnail is a problem too.
//   lumograph-thumbs --folder DIR   the window's listing of a folder without a window: the raw
//       step, the listing rule and the worker's two passes; one line per message the worker posts
//       and then the items' captions as the window shows them when the worker has ended.
//   lumograph-thumbs --raw-preview RAW OUT   the embedded preview JPEG of a CR2 file, to OUT.
// Both thumbnail forms use and fill the desktop's thumbnail cache ($XDG_CACHE_HOME/thumbnails), as
// the window does: a picture decoded on one run comes from the cache on the next. Problems go to
// standard error, and the exit status is then 1. Built on the headless side of the platform only:
// it starts without loading the toolkit's graphical or desktop-bus libraries.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

#include "platform/core/drives.h"
#include "platform/core/file_contents.h"
#include "platform/core/host_entry.h"
#include "platform/headless/image_message.h"
#include "platform/headless/png_writer.h"
#include "platform/headless/thumbnail_cache.h"
#include "platform/headless/worker_desktop.h"
#include "thumbs/core/file_names.h"
#include "thumbs/core/folder_listing.h"
#include "thumbs/extraction/raw_sidecars.h"
#include "thumbs/extraction/shell_items.h"
#include "thumbs/extraction/thumbnail_bitmaps.h"
#include "thumbs/extraction/thumbnail_thread.h"

namespace {

constexpr int ThumbnailSide = 120;                          // the thumbnail window's image list
constexpr uint32_t ColorDepth = 32;                         // its pixel-format box at start
constexpr uint32_t ExtractFlags = platform::IEIFLAG_SCREEN; // its flag boxes at start

void Problem(const std::string& subject, const std::string& text) {
    std::fprintf(stderr, "lumograph-thumbs: %s: %s\n", subject.c_str(), text.c_str());
}

// The program path of a host path given on the command line, or empty (with a message) when it
// is not what kind wants or lies on no drive.
std::string ProgramPath(const std::string& argument, platform::HostEntryKind kind) {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) {
        Problem(argument, error.message());
        return {};
    }
    const std::string absolute = (current / argument).lexically_normal().string();
    const platform::HostEntry entry = platform::probeHostEntry(absolute);
    if (entry.kind != kind) {
        Problem(argument, entry.kind == platform::HostEntryKind::Unreadable ? entry.problem
                          : kind == platform::HostEntryKind::Folder         ? "not a folder"
                                                                            : "not a regular file");
        return {};
    }
    std::string programPath = platform::fromHostPath(absolute);
    if (programPath.empty())
        Problem(argument, "not on any drive");
    return programPath;
}

const char* SourceName(platform::ThumbnailSource source) {
    switch (source) {
    case platform::ThumbnailSource::ExifThumbnail:
        return "exif";
    case platform::ThumbnailSource::Decoded:
        return "decoded";
    case platform::ThumbnailSource::Cache:
        return "cache";
    case platform::ThumbnailSource::None:
        break;
    }
    return "none";
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// The folder part of a program path, without its trailing backslash ("C:\a\b.jpg" -> "C:\a").
std::string FolderOf(const std::string& path) {
    return path.substr(0, path.size() - FileNameOf(path).size() - 1);
}

bool WritePng(const platform::Bitmap& thumbnail, const std::string& folder,
              const std::string& name) {
    return platform::writeFileBytes(folder + name + ".png", platform::encodePng(thumbnail));
}

// One picture, as the worker's thumbnail pass does it.
bool Thumbnail(const std::string& argument, const std::string& outFolder) {
    const std::string path = ProgramPath(argument, platform::HostEntryKind::RegularFile);
    if (path.empty())
        return false;
    platform::ShellTaskAllocator* allocator = nullptr;
    platform::shGetMalloc(allocator);
    std::string size = "0x0";
    std::string source = "none";
    platform::Bitmap bitmap;
    const platform::WorkerDesktop desktop = platform::workerDesktop();
    try {
        const auto folder =
            GetShellFolderFor(FolderOf(path), *allocator, platform::desktopThumbnailCacheFolder());
        std::shared_ptr<platform::ExtractImage> extractor;
        uint32_t flags = ExtractFlags;
        TRunnableTaskSlot task;
        if (GetExtractImageFor(*folder, FileNameOf(path), *allocator, extractor) &&
            ExtractImageToBitmap(*extractor, ThumbnailSide, ThumbnailSide, ColorDepth, flags, task,
                                 bitmap)) {
            size = SizeText(bitmap.width, bitmap.height);
            source = SourceName(extractor->LastSource());
            if (bitmap.width != ThumbnailSide || bitmap.height != ThumbnailSide)
                FitThumbnail(bitmap, ThumbnailSide, ThumbnailSide,
                             desktop.sysColor(platform::COLOR_WINDOW));
            if ((flags & platform::IEIFLAG_NOBORDER) == 0)
                DrawThumbnailBorder(bitmap, desktop.sysColor(platform::COLOR_BTNFACE));
        }
    } catch (const std::exception& error) {
        Problem(argument, error.what());
        return false;
    }
    std::printf("%s\t%s\t%s\n", argument.c_str(), size.c_str(), source.c_str());
    if (bitmap.isNull()) {
        Problem(argument, "no thumbnail");
        return false;
    }
    if (!outFolder.empty() && !WritePng(bitmap, outFolder, FileNameOf(path))) {
        Problem(argument, "cannot write its thumbnail into " + outFolder);
        return false;
    }
    return true;
}

const char* MessageName(unsigned msg) {
    switch (msg) {
    case WM_THUMB_ADDIMAGE:
        return "WM_THUMB_ADDIMAGE";
    case WM_THUMB_ICONSDONE:
        return "WM_THUMB_ICONSDONE";
    case WM_THUMB_SHAREIMAGE:
        return "WM_THUMB_SHAREIMAGE";
    case WM_THUMB_REPLACEIMAGE:
        return "WM_THUMB_REPLACEIMAGE";
    case WM_THUMB_CURRENTITEM:
        return "WM_THUMB_CURRENTITEM";
    default:
        return "?";
    }
}

// Stands for the thumbnail window: prints each message the worker posts.
class MessagePrinter : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() != platform::MessageEvent::eventType())
            return QObject::event(e);
        const auto& message = static_cast<const platform::MessageEvent&>(*e);
        std::printf("%s", MessageName(message.msg));
        if (message.msg != WM_THUMB_ICONSDONE)
            std::printf("\t%llu", static_cast<unsigned long long>(message.wParam));
        if (const platform::Bitmap* bitmap = platform::messageImage(message))
            std::printf("\t%s", SizeText(bitmap->width, bitmap->height).c_str());
        else if (message.msg == WM_THUMB_SHAREIMAGE)
            std::printf("\t%lld", static_cast<long long>(message.lParam));
        std::printf("\n");
        return true;
    }
};

bool ListFolder(const std::string& argument) {
    std::string folder = ProgramPath(argument, platform::HostEntryKind::Folder);
    if (folder.empty())
        return false;
    if (folder.back() != '\\')
        folder += '\\';
    bool ok = true;
    // The worker's error box: shown here as a line on standard error.
    static std::atomic<bool> workerFailed{false};
    platform::WorkerDesktop desktop;
    desktop.errorBox = [](QObject*, const QString& text, const QString& caption, std::stop_token) {
        std::fprintf(stderr, "lumograph-thumbs: %s: %s\n", qPrintable(caption), qPrintable(text));
        workerFailed = true;
    };
    platform::setWorkerDesktop(std::move(desktop));
    TRawPipeline pipeline;
    for (const std::string& error :
         RunRawStep(pipeline, folder, [] { QCoreApplication::processEvents(); })) {
        Problem(argument, error);
        ok = false;
    }
    const TPictureListing listing = PictureItemNames(folder);
    std::vector<std::string> captions = listing.Names;
    if (listing.AnyFile) {
        MessagePrinter window;
        ThumbnailNotify notify{reinterpret_cast<uintptr_t>(&window),
                               WM_THUMB_ICONSDONE,
                               WM_THUMB_SHAREIMAGE,
                               WM_THUMB_ADDIMAGE,
                               WM_THUMB_REPLACEIMAGE,
                               WM_THUMB_CURRENTITEM};
        QEventLoop loop;
        TThumbnailExtractorThread worker(notify, folder, captions, ThumbnailSide, ThumbnailSide,
                                         ColorDepth, ExtractFlags,
                                         platform::desktopThumbnailCacheFolder());
        worker.OnTerminate = [&loop] {
            loop.quit();
        };
        worker.Start();
        loop.exec();
    }
    for (size_t i = 0; i < captions.size(); ++i)
        std::printf("item\t%zu\t%s\n", i, CaptionAfterExtraction(captions[i]).c_str());
    return ok && !workerFailed;
}

bool RawPreview(const std::string& raw, const std::string& out) {
    TRawPipeline pipeline;
    pipeline.CurrentRawPath = ProgramPath(raw, platform::HostEntryKind::RegularFile);
    if (pipeline.CurrentRawPath.empty())
        return false;
    std::error_code error;
    const std::filesystem::path target =
        (std::filesystem::current_path(error) / out).lexically_normal();
    pipeline.TempPreviewPath = platform::fromHostPath(target.string());
    if (error || pipeline.TempPreviewPath.empty()) {
        Problem(out, "not on any drive");
        return false;
    }
    try {
        convertraw(pipeline);
    } catch (const std::exception& failure) {
        Problem(raw, failure.what());
        return false;
    }
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: lumograph-thumbs [--out DIR] FILE...\n"
                         "       lumograph-thumbs --folder DIR\n"
                         "       lumograph-thumbs --raw-preview RAW OUT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage();
    if (args[0] == "--folder")
        return args.size() == 2 ? (ListFolder(args[1]) ? 0 : 1) : Usage();
    if (args[0] == "--raw-preview")
        return args.size() == 3 ? (RawPreview(args[1], args[2]) ? 0 : 1) : Usage();
    size_t first = 0;
    std::string outFolder;
    if (args[0] == "--out") {
        if (args.size() < 3)
            return Usage();
        outFolder = ProgramPath(args[1], platform::HostEntryKind::Folder);
        if (outFolder.empty())
            return 1;
        if (outFolder.back() != '\\')
            outFolder += '\\';
        first = 2;
    }
    bool ok = true;
    for (size_t i = first; i < args.size(); ++i)
        ok = Thumbnail(args[i], outFolder) && ok;
    return std::fflush(stdout) == 0 && ok ? 0 : 1;
}
