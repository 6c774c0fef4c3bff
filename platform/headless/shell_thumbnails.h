// The shell's thumbnail extraction, as the thumbnail worker talks to it: folders of the namespace
// bound from paths (IShellFolder), items parsed from display names into item identifier lists
// that are freed through the shell's task allocator (IMalloc), the thumbnail extractor of a
// picture file (IExtractImage) and the pending task of an extraction (IRunnableTask).
//
// The extractor makes a thumbnail of a JPEG file that fits the requested size with the picture's
// proportions. It takes the EXIF thumbnail the camera embedded when that one is at least as large
// as the thumbnail must be and has the picture's proportions (within a pixel); otherwise it decodes
// the picture at the smallest DCT scale that is not smaller than the thumbnail. A picture is never
// decoded at full size unless it is no larger than the thumbnail itself. The thumbnail is drawn
// upright as the picture's EXIF orientation says; the EXIF thumbnail is stored as its picture is.
//
// Pictures that must be decoded go through the desktop's thumbnail cache (thumbnail_cache.h) when
// the folders were bound with one: a fresh cached thumbnail that is large enough and has the
// picture's proportions stands for the decoded picture, and a picture decoded afresh leaves its
// normal-size thumbnail there (one that cannot be decoded, its failure record, so it is not
// decoded again until it changes). Requests for quality (IEIFLAG_QUALITY) decode afresh. A
// cached thumbnail is fitted, cropped and reduced exactly as a decoded picture.
//
// Threads: objects are made and used on one thread (the worker's); only RunnableTask::Kill may be
// called from another thread, and it is safe while the extraction runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>

#include <QSize>

#include "exif/jpeg_outline.h"
#include "platform/core/shell_codes.h"
#include "platform/headless/bitmap.h"
#include "platform/headless/thumbnail_cache.h"

namespace platform {

// Interface identifiers the calls below accept.
using Iid = std::string_view;
inline constexpr Iid IID_IShellFolder = "{000214E6-0000-0000-C000-000000000046}";
inline constexpr Iid IID_IExtractImage = "{BB2E617C-0920-11D1-9A0B-00C04FC2D6C1}";
inline constexpr Iid IID_IRunnableTask = "{85788D00-6807-11D0-B810-00C04FD706EC}";

// A failing shell result raised as an error: the result code and the system's text for it.
class EOleSysError : public std::runtime_error {
public:
    explicit EOleSysError(HRESULT code);
    HRESULT ErrorCode;
};
// The system's text for a result code ("Unspecified error", "The system cannot find the file
// specified.").
std::string resultMessage(HRESULT code);

// An item identifier list: one item of the namespace (its program path).
struct ItemIdList {
    std::string path;
};

// SHGetMalloc's allocator. Lists that the shell hands out are freed through Free; Outstanding()
// counts those not freed yet, so a test can see that none leaked.
class ShellTaskAllocator {
public:
    ItemIdList* Alloc(std::string path);
    void Free(ItemIdList* list); // nullptr is ignored
    long Outstanding() const { return outstanding_.load(); }

private:
    std::atomic<long> outstanding_{0};
};
HRESULT shGetMalloc(ShellTaskAllocator*& allocator);

// Where an extractor's thumbnail came from.
enum class ThumbnailSource { None, ExifThumbnail, Decoded, Cache };

struct ExtractionState; // shared by an extractor and its task

// IRunnableTask: the pending extraction of one extractor.
class RunnableTask {
public:
    explicit RunnableTask(std::shared_ptr<ExtractionState> state);
    // Runs the extraction now (Extract then hands over its result).
    HRESULT Run();
    // Stops a running extraction as soon as the decoder looks (within a few rows) and keeps any
    // later one from starting. Callable from any thread. wait is not supported (false).
    HRESULT Kill(bool wait);
    bool IsRunning() const;

private:
    std::shared_ptr<ExtractionState> state_;
};

// IExtractImage of one JPEG file.
class ExtractImage {
public:
    ExtractImage(std::string path, TJpegOutline outline, ThumbnailCache cache = {});

    // Takes the requested size, colour depth and IEIFLAG_* flags for Extract. Writes the file's
    // location into location, cut to capacity - 1 characters. flags come back as the extractor
    // will work: IEIFLAG_ASYNC stays only when the answer is E_PENDING. Answers E_PENDING (a task
    // is ready) when asked for IEIFLAG_ASYNC, S_OK otherwise; E_INVALIDARG for an empty size.
    HRESULT GetLocation(std::u16string& location, size_t capacity, uint32_t& priority, QSize size,
                        uint32_t colorDepth, uint32_t& flags);
    // The thumbnail: fitted into the size with the picture's proportions (or, with
    // IEIFLAG_ASPECT or IEIFLAG_ORIGSIZE, filling the size and cropped around the centre), never
    // enlarged, in the colour depth asked for (bitmap_depth.h). E_ABORT when killed, E_FAIL when
    // the picture cannot be decoded, E_INVALIDARG without a GetLocation before.
    HRESULT Extract(Bitmap& bitmap);
    // IID_IRunnableTask gives the task of this extractor; anything else E_NOINTERFACE.
    HRESULT QueryInterface(Iid iid, std::shared_ptr<RunnableTask>& task);

    // Where the last thumbnail came from (for the command-line tool and tests).
    ThumbnailSource LastSource() const;

private:
    std::shared_ptr<ExtractionState> state_;
};

// IShellFolder of a folder of the namespace, or of the desktop (the namespace's root, which
// parses full paths). The folders a folder binds and the extractors it hands out share its
// thumbnail cache.
class ShellFolder {
public:
    explicit ShellFolder(std::string folder, ThumbnailCache cache = {}); // empty: the desktop

    // The item named name inside the folder (a full path for the desktop). Fails with
    // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when there is no such file or folder.
    HRESULT ParseDisplayName(std::string_view name, ItemIdList*& list, uint32_t* eaten,
                             uint32_t* attributes);
    // IID_IShellFolder of a folder item; E_INVALIDARG for an item that is no folder,
    // E_NOINTERFACE for another identifier.
    HRESULT BindToObject(const ItemIdList* list, Iid iid, std::shared_ptr<ShellFolder>& folder);
    // IID_IExtractImage of one item: S_OK with an extractor for a readable JPEG file; S_FALSE for
    // a readable file that is no JPEG; E_FAIL for one that cannot be read; E_INVALIDARG for a
    // count other than 1; E_NOINTERFACE for another identifier.
    HRESULT GetUIObjectOf(uint32_t count, ItemIdList* const* lists, Iid iid,
                          std::shared_ptr<ExtractImage>& extractor);

private:
    std::string folder_;
    ThumbnailCache cache_;
};

// SHGetDesktopFolder, whose extractors use cache.
HRESULT shGetDesktopFolder(std::shared_ptr<ShellFolder>& desktop, ThumbnailCache cache = {});

} // namespace platform
