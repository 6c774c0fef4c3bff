// The thumbnail worker's two passes over the items of one listing, as plain code: the messages it
// posts and in which order, the icon groups that let items of one file type share a default image,
// the pauses and the stop checks. The thread, the shell and the bitmaps stay behind
// TThumbnailPassHost, so a test runs the passes without a thread and records what they post.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Window messages between the worker and its window. The worker posts the numbers its window
// gave it in ThumbnailNotify; these are the ones the thumbnail window chooses.
inline constexpr uint32_t WM_USER = 1024;
inline constexpr uint32_t WM_THUMB_ADDIMAGE = WM_USER + 102;     // a bitmap to add as a new image
inline constexpr uint32_t WM_THUMB_ICONSDONE = WM_USER + 104;    // the default-icon pass is over
inline constexpr uint32_t WM_THUMB_SHAREIMAGE = WM_USER + 105;   // item shows an image added before
inline constexpr uint32_t WM_THUMB_REPLACEIMAGE = WM_USER + 106; // a bitmap replaces item's image
inline constexpr uint32_t WM_THUMB_CURRENTITEM = WM_USER + 107;  // the worker starts on an item
inline constexpr uint32_t WM_THUMB_RESTART = 1075; // the window lists again once a worker ended

// Which window a worker posts to and with which message numbers; filled once by the window.
struct ThumbnailNotify {
    uintptr_t Handle = 0; // the window, as the thread that posts knows it
    uint32_t IconsDone = 0;
    uint32_t ShareImage = 0;
    uint32_t AddImage = 0;
    uint32_t ReplaceImage = 0;
    uint32_t CurrentItem = 0;
};

// An error of the worker itself ("Cannot obtain System ImageList handle", an item that belongs
// to no icon group).
class EThumbnailExtractorThreadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One icon group: the items that share the default image of one system icon.
struct TThumbnailData {
    int IconIndex = 0;      // the system icon every item of the group shows at first
    int SharedImage = 0;    // the group's position, also the index of its default image
    int SharedCount = 0;    // items still showing the shared default image
    int ItemCount = 0;      // entries in Items; only grows
    std::vector<int> Items; // list item indices, ascending
};

// FThumbnailData: the groups in the order their default images were added to the window's
// emptied image list. Invariant in the thumbnail pass: every item is in exactly one group and no
// group's SharedCount exceeds its ItemCount.
class TThumbnailGroups {
public:
    // The first group whose IconIndex is iconIndex, or nullptr.
    TThumbnailData* FindThumbnailData(int iconIndex);
    // A new group for iconIndex holding item, appended; its SharedImage is its position.
    TThumbnailData& AddGroup(int iconIndex, int item);
    // item joins group: one more entry and one more item showing the shared image.
    static void AddItem(TThumbnailData& group, int item);
    // The first group that lists item. Raises EThumbnailExtractorThreadError
    // "GetThumbnailDataByItemIndex(): item not found" when none does.
    TThumbnailData& GetThumbnailDataByItemIndex(int item);

    size_t Count() const { return groups_.size(); }
    const TThumbnailData& operator[](size_t i) const { return *groups_[i]; }

private:
    std::vector<std::unique_ptr<TThumbnailData>> groups_;
};

// What one worker works on, copied when it is created: the listing it must not see change.
struct TThumbnailJob {
    ThumbnailNotify Notify;
    std::string Folder;                // the listed folder with one trailing backslash removed
    std::vector<std::string> Captions; // the items' captions (file-name bytes) in list order
    int Width = 120;
    int Height = 120;
    uint32_t ColorDepth = 32;
    uint32_t Flags = 0; // IEIFLAG_* values from the window
    // The desktop's thumbnail cache the extractor reads and fills, as the platform names it
    // (platform/headless/thumbnail_cache.h); empty: none.
    std::string ThumbnailCache;
};

// The folder as the worker keeps it: one trailing backslash removed ("C:\" becomes "C:").
std::string WorkerFolder(std::string_view listedFolder);
// ItemPath: the folder, a backslash and the item's caption.
std::string ItemPath(const TThumbnailJob& job, size_t item);

// What the extractor handed back for an item: the bitmap's size and the flags that GetLocation
// returned (the border is left out when they hold IEIFLAG_NOBORDER).
struct TExtractedThumbnail {
    int Width = 0;
    int Height = 0;
    uint32_t Flags = 0;
};

// What the passes ask of the thread that runs them. Bitmaps live in the host: the one of the
// current item is made, fitted, bordered, then posted (the window frees it) or freed; one that an
// error leaves behind is freed with the host.
class TThumbnailPassHost {
public:
    virtual ~TThumbnailPassHost() = default;
    virtual bool Terminated() const = 0;
    virtual void Pause() = 0; // 10 ms, so the window can apply what was posted
    virtual void Post(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    // GetSystemIconIndex of an item's path.
    virtual int SystemIconIndex(const std::string& path) = 0;
    // MakeDefaultIconBitmap of a system icon, posted with msg for item.
    virtual void PostDefaultIcon(uint32_t msg, int item, int iconIndex) = 0;
    // GetShellFolderFor the job's folder; raises when it cannot be bound.
    virtual void BindFolder(const std::string& folder) = 0;
    virtual void ReleaseFolder() = 0;
    // GetExtractImageFor the caption, then ExtractImageToBitmap with flags (the pending task goes
    // where a stop request can kill it). nullopt when the shell has no thumbnail for the item;
    // raises when the caption cannot be parsed as a name in the folder.
    virtual std::optional<TExtractedThumbnail> ExtractThumbnail(const std::string& caption,
                                                                uint32_t flags) = 0;
    virtual void FitThumbnail() = 0;
    virtual void DrawThumbnailBorder() = 0;
    virtual void PostThumbnail(uint32_t msg, int item) = 0;
    virtual void FreeThumbnail() = 0;
};

// The default-icon pass: for each item, WM_THUMB_CURRENTITEM, then WM_THUMB_ADDIMAGE with a new
// default image (first item of an icon) or WM_THUMB_SHAREIMAGE with its group's image; a pause
// after each item and a stop check.
void ExtractDefaultIcons(const TThumbnailJob& job, TThumbnailGroups& groups,
                         TThumbnailPassHost& host);
// The thumbnail pass: for each item, WM_THUMB_CURRENTITEM, then its thumbnail fitted to the job's
// size and bordered, posted as WM_THUMB_ADDIMAGE while other items of its group still show the
// shared image and as WM_THUMB_REPLACEIMAGE (reusing the shared image's slot) for the last one.
// An item without a thumbnail keeps the shared image. Nothing happens for an empty list.
void ExtractThumbnails(const TThumbnailJob& job, TThumbnailGroups& groups,
                       TThumbnailPassHost& host);
// Both passes as the worker's body runs them: default icons, WM_THUMB_ICONSDONE (also after a
// stop), then the thumbnails unless a stop was requested.
void RunThumbnailPasses(const TThumbnailJob& job, TThumbnailGroups& groups,
                        TThumbnailPassHost& host);

// The name of an exception's class without namespaces ("EThumbnailExtractorThreadError"), the
// caption of the worker's error box.
std::string ErrorClassName(const std::exception& error);
