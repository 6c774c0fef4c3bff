// The shell item helpers through which the thumbnail worker talks to the shell: a folder path
// bound to a shell folder, an item name turned into its thumbnail extractor, one extraction into a
// bitmap, and the system icon of a file. Each settles which shell results are success, which raise
// an error (EOleSysError with the result and the system's text for it) and which only mean "no
// result". They run on the worker's thread; item identifier lists are freed through the caller's
// task allocator on every path.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/headless/shell_thumbnails.h"

// The slot of the pending extraction task (FRunnableTask). The worker clears and fills it for
// each item; a stop request on the window's thread takes the task out and kills it. Once aborted,
// a task stored later is killed at once, so an extraction that starts just after the stop request
// ends early too.
class TRunnableTaskSlot {
public:
    void Clear();
    void Store(std::shared_ptr<platform::RunnableTask> task);
    // Takes the task out (it is then killed by the caller, outside the lock).
    std::shared_ptr<platform::RunnableTask> Abort();
    bool Holds() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<platform::RunnableTask> task_;
    bool aborted_ = false;
};

// The folder's ParseDisplayName of name; raises EOleSysError when the parse fails.
platform::ItemIdList* ShellParseDisplayName(platform::ShellFolder& folder, const std::string& name);
// The folder's BindToObject of list to a shell folder; raises EOleSysError when it fails.
std::shared_ptr<platform::ShellFolder> ShellBindToObject(platform::ShellFolder& folder,
                                                         const platform::ItemIdList* list,
                                                         platform::Iid iid);
// The folder's GetUIObjectOf; true only when the shell answered exactly S_OK.
bool ShellGetUIObjectOf(platform::ShellFolder& folder, uint32_t count,
                        platform::ItemIdList* const* lists, platform::Iid iid,
                        std::shared_ptr<platform::ExtractImage>& extractor);

// The shell folder of a folder path ("C:\Photos", "C:"): parsed by the desktop and bound, its
// extractors using the thumbnail cache in the host folder thumbnailCache (empty: none). Raises
// EOleSysError for a path the shell cannot parse or bind; the list is freed either way.
std::shared_ptr<platform::ShellFolder> GetShellFolderFor(const std::string& path,
                                                         platform::ShellTaskAllocator& allocator,
                                                         const std::string& thumbnailCache = {});
// The thumbnail extractor of the item name inside folder; false when the shell refuses one. A name
// that cannot be parsed raises EOleSysError; the list is freed on every path after the parse.
bool GetExtractImageFor(platform::ShellFolder& folder, const std::string& name,
                        platform::ShellTaskAllocator& allocator,
                        std::shared_ptr<platform::ExtractImage>& extractor);
// One extraction: GetLocation with width x height, the colour depth and flags plus IEIFLAG_ASYNC
// (flags come back as the extractor answered them); the pending task, if any, goes to taskSlot;
// then Extract. False with no bitmap when GetLocation answers neither S_OK nor E_PENDING, and when
// Extract fails (written to the debugger output only).
bool ExtractImageToBitmap(platform::ExtractImage& extractor, int width, int height,
                          uint32_t colorDepth, uint32_t& flags, TRunnableTaskSlot& taskSlot,
                          platform::Bitmap& bitmap);
// The index of the file's icon in the shell's large system image list (the desktop's answer,
// platform/headless/worker_desktop.h); -1 when the shell knows no icon for it (the file is gone).
// Safe on any thread.
int GetSystemIconIndex(const std::string& path);
