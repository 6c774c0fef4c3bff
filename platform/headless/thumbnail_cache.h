// The desktop's shared thumbnail cache, kept as the freedesktop.org thumbnail managing standard
// says, so the desktop's file managers and viewers and this program use one another's thumbnails:
// one PNG per picture and size, named after the MD5 of the picture's file URI and carrying that URI
// and the picture's modification time (a thumbnail whose time differs is stale); pictures this
// program failed on are recorded under fail/ and not tried again until they change. The cache only
// saves time: a missing, damaged, stale or unwritable one changes nothing else. A cached file is
// another program's work and is read as untrusted input. Thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/headless/bitmap.h"

namespace platform {

// The cache's sizes, by the longest side their thumbnails may have, and their folders.
enum class ThumbnailSize { Normal = 128, Large = 256, XLarge = 512, XXLarge = 1024 };
std::string_view thumbnailSizeFolder(ThumbnailSize size); // "normal", "large", ...

// Anything larger is refused unread: the largest size of the cache, and a file size that such a
// picture needs even stored without compression.
inline constexpr int MaxCachedSide = 1024;
inline constexpr size_t MaxCachedFileBytes = 5 * 1024 * 1024;

// What the cache knows a picture by.
struct ThumbnailSubject {
    std::string uri;   // the file URI of its host path
    int64_t mtime = 0; // its last modification, in whole seconds
    uint64_t size = 0; // its size in bytes
    std::string mime;  // its kind ("image/jpeg")
};

// "file://" and the absolute host path with every byte percent-encoded (upper-case hex) except
// letters, digits, the marks - _ . ! ~ * ' ( ) and the path characters / & = : @ + $ , : the
// spelling the desktop's other programs use, so that all of them find the same thumbnail.
std::string fileUri(std::string_view hostPath);
// The name of a URI's thumbnail in every size folder: the MD5 of the URI in 32 lower-case hex
// digits, and ".png".
std::string thumbnailFileName(std::string_view uri);

// The thumbnail in the bytes of a cached file, when they are a readable PNG of at most
// MaxCachedSide a side whose Thumb::URI and Thumb::MTime are those of subject and whose
// Thumb::Size, when it has one, is the subject's size. nullopt for anything else.
std::optional<Bitmap> readCachedThumbnail(std::string_view bytes, const ThumbnailSubject& subject);

// The cache folder of the desktop: $XDG_CACHE_HOME/thumbnails, else ~/.cache/thumbnails; empty
// when neither is known. Read from the environment at each call: a window or a tool takes it once
// and hands it to what it starts.
std::string desktopThumbnailCacheFolder();

// One cache folder as an extractor uses it; a value, cheap to copy.
class ThumbnailCache {
public:
    ThumbnailCache() = default; // no cache: every call below finds and writes nothing
    // The cache in the host folder folder (as desktopThumbnailCacheFolder gives it); empty: none.
    explicit ThumbnailCache(std::string folder);

    const std::string& folder() const { return folder_; }

    // The subject of the picture at a program path, of kind mime; nullopt when the picture is not
    // cached: without a cache, for a picture on a network location or inside the cache itself,
    // and for one that cannot be looked at. Taken before the picture is read, so a picture that
    // changes while it is read leaves a stale thumbnail, never a wrong one.
    std::optional<ThumbnailSubject> subjectOf(std::string_view programPath, std::string mime) const;
    // The fresh thumbnail of the subject in the size's folder; nullopt when there is none, or a
    // stale or damaged one.
    std::optional<Bitmap> thumbnail(const ThumbnailSubject& subject, ThumbnailSize size) const;
    // Writes thumbnail (no larger than the size) as the subject's in the size's folder: a PNG with
    // the subject's tags, readable by the user alone, written under a temporary name and renamed
    // into place; missing folders are made for the user alone. False when it cannot be written.
    bool store(const ThumbnailSubject& subject, ThumbnailSize size, const Bitmap& thumbnail) const;
    // Whether this program's record of failing on the subject as it is now is there.
    bool failedBefore(const ThumbnailSubject& subject) const;
    // Records that no thumbnail can be made of the subject as it is now (fail/lumograph-VERSION/).
    bool recordFailure(const ThumbnailSubject& subject) const;

private:
    std::optional<Bitmap> read(const std::string& folder, const ThumbnailSubject& subject) const;
    bool write(const std::string& folder, const ThumbnailSubject& subject,
               const Bitmap& picture) const;

    std::string folder_;
};

} // namespace platform
