// TThumbnailExtractorThread: the background worker of the thumbnail window. It makes the two
// passes of thumbs/core/thumbnail_passes.h over a copy of the window's item captions taken when
// it is created, and hands every result to the window as a posted message; bitmaps travel as
// platform::Bitmap inside the messages (platform/headless/image_message.h) and belong to the window
// once posted. It never touches a widget; its error box, the system icons and the colours are the
// desktop's answers (platform/headless/worker_desktop.h), taken when it is created.
//
// Threads: made, started, stopped and destroyed on the window's thread. Abort() returns at once:
// it sets the terminate request and kills the pending extraction; the passes notice after the
// current item. The thread-done callback (OnTerminate) runs on the window's thread after every
// message the worker posted has been delivered. Destroying the object stops the worker (releasing
// it from a message box it is waiting on) and joins it, so nothing of it runs afterwards; the
// messages still queued for the window are dropped with the window.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/worker_desktop.h"
#include "thumbs/core/thumbnail_passes.h"
#include "thumbs/extraction/shell_items.h"

class QObject;

class TThumbnailExtractorThread {
public:
    // Create: notify's Handle is the window (a QObject* that lives on the window's thread);
    // folder is the listed folder (its trailing backslash is removed here); captions are the
    // items' captions as file-name bytes; thumbnailCache the desktop's thumbnail cache the
    // extractor uses (TThumbnailJob). Created suspended: Start() runs it.
    TThumbnailExtractorThread(const ThumbnailNotify& notify, const std::string& folder,
                              std::vector<std::string> captions, int width, int height,
                              uint32_t colorDepth, uint32_t flags, std::string thumbnailCache = {});
    ~TThumbnailExtractorThread();
    TThumbnailExtractorThread(const TThumbnailExtractorThread&) = delete;
    TThumbnailExtractorThread& operator=(const TThumbnailExtractorThread&) = delete;

    // Runs on the window's thread once the body has returned and every message it posted has
    // been handled. The callback may destroy this object.
    std::function<void()> OnTerminate;

    void Start();
    void Abort();
    bool Terminated() const { return terminated_.load(); }

    const TThumbnailJob& Job() const { return job_; }

private:
    class Host;
    void Execute(std::stop_token shutdown);

    TThumbnailJob job_;
    QObject* window_;
    platform::WorkerDesktop desktop_;
    platform::Rgb windowColor_;
    platform::Rgb borderColor_;
    std::atomic<bool> terminated_{false};
    TRunnableTaskSlot taskSlot_; // FRunnableTask
    // Expires with the object: a thread-done callback still queued for a worker destroyed
    // before it ran then does nothing.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::jthread thread_;
};
