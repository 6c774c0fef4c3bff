// The shell's folders, item lists, thumbnail extractors and their tasks.
#include "platform/headless/shell_thumbnails.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "bytes/byte_reader.h"
#include "geometry/orientation.h"
#include "platform/core/file_contents.h"
#include "platform/core/file_source.h"
#include "platform/core/files.h"
#include "platform/core/winerror.h"
#include "platform/headless/bitmap_depth.h"
#include "platform/headless/bitmap_scale.h"
#include "platform/headless/jpeg_thumbnail.h"
#include "platform/headless/upright.h"
#include "platform/jpeg/jpeg_error.h"

namespace platform {

struct ExtractionState {
    std::string path;
    TJpegOutline outline;
    ThumbnailCache cache;
    std::atomic<bool> killed{false};
    std::atomic<bool> running{false};
    // What GetLocation asked for; read and written on the extracting thread only.
    bool located = false;
    QSize size;
    uint32_t colorDepth = 32;
    uint32_t flags = 0;
    ThumbnailSource source = ThumbnailSource::None;
    std::optional<Bitmap> ready; // made by the task's Run, handed over by Extract
};

namespace {

// Marks the extraction as running for its duration.
class RunningScope {
public:
    explicit RunningScope(std::atomic<bool>& running) : running_(running) { running_ = true; }
    ~RunningScope() { running_ = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    std::atomic<bool>& running_;
};

QSize atLeastOnePixel(QSize size) {
    return {std::max(1, size.width()), std::max(1, size.height())};
}

bool cropsToFill(uint32_t flags) {
    return (flags & (IEIFLAG_ASPECT | IEIFLAG_ORIGSIZE)) != 0;
}

// The size the picture is scaled to before any cropping: inside the box (or, when cropping,
// covering it), proportions kept, never larger than the picture itself.
QSize scaledSize(QSize picture, QSize box, bool crop) {
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    if (crop && (picture.width() <= box.width() || picture.height() <= box.height()))
        return picture;
    return atLeastOnePixel(
        picture.scaled(box, crop ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio));
}

// A thumbnail has the picture's proportions when its other side is where the picture's
// proportions put it, give or take the pixel that rounding costs.
bool sameProportions(TPixelSize thumbnail, TPixelSize picture) {
    const double height = double(thumbnail.Width) * picture.Height / picture.Width;
    const double width = double(thumbnail.Height) * picture.Width / picture.Height;
    return std::fabs(height - thumbnail.Height) <= 1.0 || std::fabs(width - thumbnail.Width) <= 1.0;
}

bool exifThumbnailServes(const TJpegOutline& outline, QSize scaled) {
    if (!outline.ExifThumbnail || !outline.ExifThumbnailSize || !outline.Picture)
        return false;
    const TPixelSize thumbnail = *outline.ExifThumbnailSize;
    return thumbnail.Width >= scaled.width() && thumbnail.Height >= scaled.height() &&
           sameProportions(thumbnail, *outline.Picture);
}

std::optional<std::vector<uint8_t>> readRange(const std::string& path, const TByteRange& range) {
    FileSource source;
    if (!source.open(path))
        return std::nullopt;
    ByteReader reader(source);
    std::vector<uint8_t> bytes(static_cast<size_t>(range.Length));
    reader.seek(range.Offset);
    if (!reader.tryRead(bytes.data(), bytes.size()))
        return std::nullopt;
    return bytes;
}

// The cache's sizes that can serve a request, smallest first.
constexpr ThumbnailSize CachedSizes[] = {ThumbnailSize::Normal, ThumbnailSize::Large,
                                         ThumbnailSize::XLarge};

// A fresh cached thumbnail that can stand for the decoded picture: at least as large as the
// thumbnail must be, and of the picture's proportions (which a thumbnail of another picture, or
// another program's cropped one, lacks).
std::optional<Bitmap> cachedPicture(const ThumbnailCache& cache, const ThumbnailSubject& subject,
                                    QSize picture, QSize scaled) {
    const int longest = std::max(scaled.width(), scaled.height());
    for (const ThumbnailSize size : CachedSizes) {
        if (int(size) < longest)
            continue;
        auto cached = cache.thumbnail(subject, size);
        if (cached && cached->width >= scaled.width() && cached->height >= scaled.height() &&
            sameProportions({cached->width, cached->height}, {picture.width(), picture.height()}))
            return cached;
    }
    return std::nullopt;
}

// The upright picture decoded at a scale that serves scaled, or the cache's thumbnail in its place.
// A picture decoded afresh leaves its normal-size thumbnail in the cache, and one that cannot be
// decoded its failure record. nullopt with E_ABORT when killed.
HRESULT decodedOrCached(ExtractionState& state, QSize picture, QSize scaled,
                        const ThumbnailDecode& how, std::optional<Bitmap>& made) {
    const ThumbnailCache& cache = state.cache;
    const auto subject = cache.subjectOf(state.path, "image/jpeg");
    if (subject && !how.accurate) {
        made = cachedPicture(cache, *subject, picture, scaled);
        if (made) {
            state.source = ThumbnailSource::Cache;
            return S_OK;
        }
    }
    if (subject && cache.failedBefore(*subject))
        return E_FAIL;
    const auto bytes = readFileBytes(state.path);
    if (!bytes)
        return E_FAIL;
    try {
        made = decodeJpegThumbnail(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(),
                                   how);
    } catch (const EJpegError&) {
        if (subject)
            cache.recordFailure(*subject);
        throw;
    }
    state.source = ThumbnailSource::Decoded;
    if (!made)
        return E_ABORT;
    // The cache holds upright thumbnails, as every program of the desktop shows them.
    *made = orientBitmap(std::move(*made), state.outline.Orientation);
    if (subject) {
        // The decoded picture scaled to the normal size; one that is no larger already (it
        // decoded below that size, or the picture is that small) goes in as it is. A thumbnail
        // that size serves is made from it, as it is from the cache the next time: the same
        // picture either way, and the large picture is scaled down once.
        const int side = int(ThumbnailSize::Normal);
        const QSize normal = scaledSize(picture, QSize(side, side), false);
        const bool within = made->width <= normal.width() && made->height <= normal.height();
        Bitmap normalPicture =
            within ? Bitmap() : smoothScaled(*made, normal.width(), normal.height());
        cache.store(*subject, ThumbnailSize::Normal, within ? *made : normalPicture);
        if (!within && scaled.width() <= normal.width() && scaled.height() <= normal.height())
            *made = std::move(normalPicture);
    }
    return S_OK;
}

HRESULT makeThumbnail(ExtractionState& state, Bitmap& bitmap) {
    const std::string& path = state.path;
    const TJpegOutline& outline = state.outline;
    if (!state.located)
        return E_INVALIDARG;
    if (state.killed)
        return E_ABORT;
    const RunningScope running(state.running);
    // The thumbnail is of the upright picture; the picture and its EXIF thumbnail are decoded as
    // stored, where a quarter turn swaps the sides asked for.
    const bool swaps = geometry::SwapsSides(outline.Orientation);
    const QSize stored(outline.Picture->Width, outline.Picture->Height);
    const QSize picture = swaps ? stored.transposed() : stored;
    const bool crop = cropsToFill(state.flags);
    const QSize scaled = scaledSize(picture, state.size, crop);
    ThumbnailDecode how;
    how.atLeast = swaps ? scaled.transposed() : scaled;
    how.accurate = (state.flags & IEIFLAG_QUALITY) != 0;
    how.cancel = &state.killed;
    std::optional<Bitmap> made;
    try {
        if (!how.accurate && exifThumbnailServes(outline, how.atLeast)) {
            const auto bytes = readRange(path, *outline.ExifThumbnail);
            if (!bytes)
                return E_FAIL;
            made = decodeJpegThumbnail(bytes->data(), bytes->size(), how);
            state.source = ThumbnailSource::ExifThumbnail;
            if (made)
                *made = orientBitmap(std::move(*made), outline.Orientation);
        } else if (const HRESULT result = decodedOrCached(state, picture, scaled, how, made);
                   result != S_OK) {
            return result;
        }
    } catch (const EJpegError&) {
        return E_FAIL;
    } catch (const EInOutError&) {
        return E_FAIL;
    }
    if (!made)
        return E_ABORT;
    if (QSize(made->width, made->height) != scaled)
        *made = smoothScaled(*made, scaled.width(), scaled.height());
    if (crop) {
        const QSize kept = scaled.boundedTo(state.size);
        *made = copyRect(*made, (scaled.width() - kept.width()) / 2,
                         (scaled.height() - kept.height()) / 2, kept.width(), kept.height());
    }
    bitmap = inColourDepth(*made, state.colorDepth);
    return bitmap.isNull() ? E_OUTOFMEMORY : S_OK;
}

// The folder form of a path: no trailing backslash, a drive root as "C:".
std::string withoutSlash(std::string_view path) {
    std::string folder(path);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

bool itemExists(const std::string& path) {
    return fileExists(path) || directoryExists(path.size() == 2 ? path + "\\" : path);
}

} // namespace

EOleSysError::EOleSysError(HRESULT code)
    : std::runtime_error(resultMessage(code)), ErrorCode(code) {}

std::string resultMessage(HRESULT code) {
    if ((static_cast<uint32_t>(code) & 0xFFFF0000u) == 0x80070000u)
        return systemMessage(static_cast<uint32_t>(code) & 0xFFFF);
    switch (code) {
    case S_OK:
        return "The operation completed successfully.";
    case E_PENDING:
        return "The data necessary to complete this operation is not yet available.";
    case E_NOTIMPL:
        return "Not implemented";
    case E_NOINTERFACE:
        return "No such interface supported";
    case E_ABORT:
        return "Operation aborted";
    case E_FAIL:
        return "Unspecified error";
    default:
        break;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Error 0x%08X", static_cast<unsigned>(code));
    return text;
}

ItemIdList* ShellTaskAllocator::Alloc(std::string path) {
    ++outstanding_;
    return new ItemIdList{std::move(path)};
}

void ShellTaskAllocator::Free(ItemIdList* list) {
    if (list == nullptr)
        return;
    --outstanding_;
    delete list;
}

HRESULT shGetMalloc(ShellTaskAllocator*& allocator) {
    static ShellTaskAllocator shared;
    allocator = &shared;
    return S_OK;
}

RunnableTask::RunnableTask(std::shared_ptr<ExtractionState> state) : state_(std::move(state)) {}

HRESULT RunnableTask::Kill(bool wait) {
    if (wait)
        return E_NOTIMPL;
    state_->killed = true;
    return S_OK;
}

bool RunnableTask::IsRunning() const {
    return state_->running;
}

HRESULT RunnableTask::Run() {
    // The task and its extractor share the request; Run makes the picture Extract hands over.
    Bitmap made;
    const HRESULT result = makeThumbnail(*state_, made);
    if (result == S_OK)
        state_->ready = std::move(made);
    return result;
}

ExtractImage::ExtractImage(std::string path, TJpegOutline outline, ThumbnailCache cache)
    : state_(std::make_shared<ExtractionState>()) {
    state_->path = std::move(path);
    state_->outline = std::move(outline);
    state_->cache = std::move(cache);
}

HRESULT ExtractImage::GetLocation(std::u16string& location, size_t capacity, uint32_t& priority,
                                  QSize size, uint32_t colorDepth, uint32_t& flags) {
    if (size.width() < 1 || size.height() < 1)
        return E_INVALIDARG;
    const std::string& file = state_->path;
    const std::u16string path =
        QString::fromUtf8(file.data(), qsizetype(file.size())).toStdU16String();
    location = capacity == 0 ? std::u16string() : path.substr(0, capacity - 1);
    priority = 0;
    state_->located = true;
    state_->size = size;
    state_->colorDepth = colorDepth;
    state_->flags = flags;
    state_->ready.reset();
    if (flags & IEIFLAG_ASYNC)
        return E_PENDING;
    return S_OK;
}

HRESULT ExtractImage::Extract(Bitmap& bitmap) {
    if (state_->ready) {
        bitmap = std::move(*state_->ready);
        state_->ready.reset();
        return S_OK;
    }
    return makeThumbnail(*state_, bitmap);
}

HRESULT ExtractImage::QueryInterface(Iid iid, std::shared_ptr<RunnableTask>& task) {
    if (iid != IID_IRunnableTask)
        return E_NOINTERFACE;
    task = std::make_shared<RunnableTask>(state_);
    return S_OK;
}

ThumbnailSource ExtractImage::LastSource() const {
    return state_->source;
}

ShellFolder::ShellFolder(std::string folder, ThumbnailCache cache)
    : folder_(withoutSlash(folder)), cache_(std::move(cache)) {}

HRESULT ShellFolder::ParseDisplayName(std::string_view name, ItemIdList*& list, uint32_t* eaten,
                                      uint32_t* attributes) {
    list = nullptr;
    if (name.empty())
        return E_INVALIDARG;
    const std::string path =
        folder_.empty() ? withoutSlash(name) : folder_ + "\\" + std::string(name);
    if (!itemExists(path))
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (eaten)
        *eaten = static_cast<uint32_t>(name.size());
    if (attributes)
        *attributes = 0;
    ShellTaskAllocator* allocator = nullptr;
    shGetMalloc(allocator);
    list = allocator->Alloc(path);
    return S_OK;
}

HRESULT ShellFolder::BindToObject(const ItemIdList* list, Iid iid,
                                  std::shared_ptr<ShellFolder>& folder) {
    if (iid != IID_IShellFolder)
        return E_NOINTERFACE;
    if (list == nullptr ||
        !directoryExists(list->path.size() == 2 ? list->path + "\\" : list->path))
        return E_INVALIDARG;
    folder = std::make_shared<ShellFolder>(list->path, cache_);
    return S_OK;
}

HRESULT ShellFolder::GetUIObjectOf(uint32_t count, ItemIdList* const* lists, Iid iid,
                                   std::shared_ptr<ExtractImage>& extractor) {
    if (iid != IID_IExtractImage)
        return E_NOINTERFACE;
    if (count != 1 || lists == nullptr || lists[0] == nullptr)
        return E_INVALIDARG;
    const std::string& path = lists[0]->path;
    TJpegOutline outline;
    try {
        FileSource source;
        if (!source.open(path))
            return E_FAIL;
        outline = ReadJpegOutline(source);
    } catch (const EInOutError&) {
        return E_FAIL;
    }
    if (!outline.IsJpeg || !outline.Picture)
        return S_FALSE;
    extractor = std::make_shared<ExtractImage>(path, std::move(outline), cache_);
    return S_OK;
}

HRESULT shGetDesktopFolder(std::shared_ptr<ShellFolder>& desktop, ThumbnailCache cache) {
    desktop = std::make_shared<ShellFolder>(std::string(), std::move(cache));
    return S_OK;
}

} // namespace platform
