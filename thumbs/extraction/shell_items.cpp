// Shell item helpers of the thumbnail worker.
#include "thumbs/extraction/shell_items.h"

#include <utility>

#include <QScopeGuard>

#include "platform/core/debug_output.h"
#include "platform/headless/worker_desktop.h"
#include "thumbs/core/thumbnail_passes.h"

void TRunnableTaskSlot::Clear() {
    std::lock_guard lock(mutex_);
    task_.reset();
}

void TRunnableTaskSlot::Store(std::shared_ptr<platform::RunnableTask> task) {
    {
        std::lock_guard lock(mutex_);
        if (!aborted_) {
            task_ = std::move(task);
            return;
        }
    }
    if (task)
        task->Kill(false);
}

std::shared_ptr<platform::RunnableTask> TRunnableTaskSlot::Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    return std::exchange(task_, nullptr);
}

bool TRunnableTaskSlot::Holds() const {
    std::lock_guard lock(mutex_);
    return task_ != nullptr;
}

platform::ItemIdList* ShellParseDisplayName(platform::ShellFolder& folder,
                                            const std::string& name) {
    platform::ItemIdList* list = nullptr;
    uint32_t eaten = 0;
    const platform::HRESULT result = folder.ParseDisplayName(name, list, &eaten, nullptr);
    if (platform::FAILED(result))
        throw platform::EOleSysError(result);
    return list;
}

std::shared_ptr<platform::ShellFolder> ShellBindToObject(platform::ShellFolder& folder,
                                                         const platform::ItemIdList* list,
                                                         platform::Iid iid) {
    std::shared_ptr<platform::ShellFolder> bound;
    const platform::HRESULT result = folder.BindToObject(list, iid, bound);
    if (platform::FAILED(result))
        throw platform::EOleSysError(result);
    return bound;
}

bool ShellGetUIObjectOf(platform::ShellFolder& folder, uint32_t count,
                        platform::ItemIdList* const* lists, platform::Iid iid,
                        std::shared_ptr<platform::ExtractImage>& extractor) {
    return folder.GetUIObjectOf(count, lists, iid, extractor) == platform::S_OK;
}

std::shared_ptr<platform::ShellFolder> GetShellFolderFor(const std::string& path,
                                                         platform::ShellTaskAllocator& allocator,
                                                         const std::string& thumbnailCache) {
    std::shared_ptr<platform::ShellFolder> desktop;
    const platform::HRESULT result =
        platform::shGetDesktopFolder(desktop, platform::ThumbnailCache(thumbnailCache));
    if (platform::FAILED(result))
        throw platform::EOleSysError(result);
    platform::ItemIdList* list = ShellParseDisplayName(*desktop, path);
    const auto freeList = qScopeGuard([&] { allocator.Free(list); });
    return ShellBindToObject(*desktop, list, platform::IID_IShellFolder);
}

bool GetExtractImageFor(platform::ShellFolder& folder, const std::string& name,
                        platform::ShellTaskAllocator& allocator,
                        std::shared_ptr<platform::ExtractImage>& extractor) {
    extractor.reset();
    platform::ItemIdList* list = ShellParseDisplayName(folder, name);
    const auto freeList = qScopeGuard([&] { allocator.Free(list); });
    return ShellGetUIObjectOf(folder, 1, &list, platform::IID_IExtractImage, extractor);
}

bool ExtractImageToBitmap(platform::ExtractImage& extractor, int width, int height,
                          uint32_t colorDepth, uint32_t& flags, TRunnableTaskSlot& taskSlot,
                          platform::Bitmap& bitmap) {
    // MAX_PATH characters and the terminating NUL: the location text is not used.
    constexpr size_t LocationCapacity = 261;
    taskSlot.Clear();
    uint32_t priority = 0;
    flags |= platform::IEIFLAG_ASYNC;
    std::u16string location;
    const platform::HRESULT located = extractor.GetLocation(
        location, LocationCapacity, priority, QSize(width, height), colorDepth, flags);
    if (located != platform::S_OK && located != platform::E_PENDING)
        return false;
    if (located == platform::E_PENDING) {
        std::shared_ptr<platform::RunnableTask> task;
        if (extractor.QueryInterface(platform::IID_IRunnableTask, task) == platform::S_OK)
            taskSlot.Store(std::move(task));
    }
    platform::Bitmap made;
    try {
        const platform::HRESULT extracted = extractor.Extract(made);
        if (platform::FAILED(extracted))
            throw platform::EOleSysError(extracted);
    } catch (const platform::EOleSysError& error) {
        platform::outputDebugString(ErrorClassName(error) + ": " + error.what());
        return false;
    }
    bitmap = std::move(made);
    return true;
}

int GetSystemIconIndex(const std::string& path) {
    return platform::workerDesktop().iconIndex(path);
}
