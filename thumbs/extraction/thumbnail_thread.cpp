// The worker thread: its body, its host of the passes and its stop request.
#include "thumbs/extraction/thumbnail_thread.h"

#include <chrono>
#include <optional>

#include <QMetaObject>
#include <QObject>

#include "platform/headless/image_message.h"
#include "thumbs/extraction/thumbnail_bitmaps.h"

// The passes' view of the shell, the window and the clock, on the worker thread.
class TThumbnailExtractorThread::Host final : public TThumbnailPassHost {
public:
    Host(TThumbnailExtractorThread& thread, platform::ShellTaskAllocator& malloc)
        : thread_(thread), malloc_(malloc) {}

    bool Terminated() const override { return thread_.terminated_.load(); }
    void Pause() override { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }
    void Post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        platform::postMessage(thread_.window_, msg, wParam, lParam);
    }
    int SystemIconIndex(const std::string& path) override { return GetSystemIconIndex(path); }
    void PostDefaultIcon(uint32_t msg, int item, int iconIndex) override {
        const TThumbnailJob& job = thread_.job_;
        platform::postImageMessage(
            thread_.window_, msg, static_cast<quintptr>(item),
            MakeDefaultIconBitmap(thread_.desktop_.iconPicture(iconIndex), job.Width, job.Height,
                                  thread_.windowColor_, thread_.borderColor_));
    }
    void BindFolder(const std::string& folder) override {
        folder_ = GetShellFolderFor(folder, malloc_, thread_.job_.ThumbnailCache);
    }
    void ReleaseFolder() override { folder_.reset(); }
    std::optional<TExtractedThumbnail> ExtractThumbnail(const std::string& caption,
                                                        uint32_t flags) override {
        std::shared_ptr<platform::ExtractImage> extractor;
        if (!GetExtractImageFor(*folder_, caption, malloc_, extractor))
            return std::nullopt;
        const TThumbnailJob& job = thread_.job_;
        platform::Bitmap bitmap;
        if (!ExtractImageToBitmap(*extractor, job.Width, job.Height, job.ColorDepth, flags,
                                  thread_.taskSlot_, bitmap))
            return std::nullopt;
        thumbnail_ = std::move(bitmap);
        return TExtractedThumbnail{thumbnail_.width, thumbnail_.height, flags};
    }
    void FitThumbnail() override {
        ::FitThumbnail(thumbnail_, thread_.job_.Width, thread_.job_.Height, thread_.windowColor_);
    }
    void DrawThumbnailBorder() override { ::DrawThumbnailBorder(thumbnail_, thread_.borderColor_); }
    void PostThumbnail(uint32_t msg, int item) override {
        platform::postImageMessage(thread_.window_, msg, static_cast<quintptr>(item),
                                   std::exchange(thumbnail_, platform::Bitmap()));
    }
    void FreeThumbnail() override { thumbnail_ = platform::Bitmap(); }

private:
    TThumbnailExtractorThread& thread_;
    platform::ShellTaskAllocator& malloc_;
    std::shared_ptr<platform::ShellFolder> folder_;
    platform::Bitmap thumbnail_; // the current item's bitmap until it is posted or freed
};

TThumbnailExtractorThread::TThumbnailExtractorThread(const ThumbnailNotify& notify,
                                                     const std::string& folder,
                                                     std::vector<std::string> captions, int width,
                                                     int height, uint32_t colorDepth,
                                                     uint32_t flags, std::string thumbnailCache)
    : window_(reinterpret_cast<QObject*>(notify.Handle)), desktop_(platform::workerDesktop()),
      // Taken here, on the window's thread: the palette belongs to it.
      windowColor_(desktop_.sysColor(platform::COLOR_WINDOW)),
      borderColor_(desktop_.sysColor(platform::COLOR_BTNFACE)) {
    job_.Notify = notify;
    job_.Folder = WorkerFolder(folder);
    job_.Captions = std::move(captions);
    job_.Width = width;
    job_.Height = height;
    job_.ColorDepth = colorDepth;
    job_.Flags = flags;
    job_.ThumbnailCache = std::move(thumbnailCache);
}

TThumbnailExtractorThread::~TThumbnailExtractorThread() {
    Abort();
    // The jthread's stop request releases a message box the worker waits on; then it is joined.
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

void TThumbnailExtractorThread::Start() {
    thread_ = std::jthread([this](std::stop_token shutdown) { Execute(shutdown); });
}

void TThumbnailExtractorThread::Abort() {
    terminated_ = true;
    if (const auto task = taskSlot_.Abort())
        task->Kill(false);
}

void TThumbnailExtractorThread::Execute(std::stop_token shutdown) {
    try {
        platform::ShellTaskAllocator* malloc = nullptr;
        const platform::HRESULT result = platform::shGetMalloc(malloc);
        if (platform::FAILED(result))
            throw platform::EOleSysError(result);
        // The shell's large system image list is the desktop's, reached through desktop_.
        TThumbnailGroups groups;
        Host host(*this, *malloc);
        RunThumbnailPasses(job_, groups, host);
    } catch (const std::exception& error) {
        terminated_ = true;
        desktop_.errorBox(window_, QString::fromUtf8(error.what()),
                          QString::fromStdString(ErrorClassName(error)), shutdown);
    }
    // Queued behind every message posted above, and dropped if the window is gone by then.
    QMetaObject::invokeMethod(
        window_,
        [this, alive = std::weak_ptr<int>(alive_)] {
            if (alive.expired())
                return;
            // A copy: the callback may destroy this object, its member with it.
            const auto done = OnTerminate;
            if (done)
                done();
        },
        Qt::QueuedConnection);
}
