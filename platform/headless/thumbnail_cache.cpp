// The desktop's thumbnail cache: names, tags, bounded reads and private writes.
#include "platform/headless/thumbnail_cache.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArrayView>
#include <QCryptographicHash>

#include "platform/core/drives.h"
#include "platform/headless/png_reader.h"
#include "platform/headless/png_writer.h"

namespace platform {

namespace {

// The keys of the standard's tags.
constexpr const char* UriKey = "Thumb::URI";
constexpr const char* MTimeKey = "Thumb::MTime";
constexpr const char* SizeKey = "Thumb::Size";
constexpr const char* MimeKey = "Thumb::Mime";

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; false when the close reports that the data did not reach the file.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

bool uriKeeps(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("-_.!~*'()/&=:@+$,").find(char(c)) != std::string_view::npos;
}

// The file's bytes when it is a regular file of at most limit bytes. Opened without waiting, so a
// FIFO planted in the cache cannot hold the caller.
std::optional<std::string> readBounded(const std::string& path, size_t limit) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st;
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        uint64_t(st.st_size) > limit)
        return std::nullopt;
    std::string bytes(size_t(st.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt; // an error, or a file cut short meanwhile
        done += size_t(got);
    }
    return bytes;
}

// Makes each missing folder of the chain for the user alone; an existing one is left as it is.
bool makeFolders(const std::vector<std::string>& chain) {
    for (const std::string& folder : chain)
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    return true;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

// Writes bytes as folder/name: into a new file that only the user may read, under a temporary
// name beside it, then renamed over the name, so no reader ever sees half a thumbnail.
bool writePrivately(const std::string& folder, const std::string& name, std::string_view bytes) {
    std::string temporary = folder + "/" + name + ".XXXXXX";
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0)
        return false;
    bool written = ::fchmod(file.get(), 0600) == 0;
    for (size_t done = 0; written && done < bytes.size();) {
        const ssize_t put = ::write(file.get(), bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        written = put > 0;
        if (written)
            done += size_t(put);
    }
    written = file.close() && written;
    if (written && ::rename(temporary.c_str(), (folder + "/" + name).c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

std::optional<int64_t> wholeNumber(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::string_view thumbnailSizeFolder(ThumbnailSize size) {
    switch (size) {
    case ThumbnailSize::Normal:
        return "normal";
    case ThumbnailSize::Large:
        return "large";
    case ThumbnailSize::XLarge:
        return "x-large";
    case ThumbnailSize::XXLarge:
        return "xx-large";
    }
    return "normal";
}

std::string fileUri(std::string_view hostPath) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : hostPath) {
        const auto byte = static_cast<unsigned char>(c);
        if (uriKeeps(byte)) {
            uri += c;
        } else {
            uri += '%';
            uri += Hex[byte >> 4];
            uri += Hex[byte & 0xF];
        }
    }
    return uri;
}

std::string thumbnailFileName(std::string_view uri) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(uri.data(), qsizetype(uri.size())), QCryptographicHash::Md5);
    return digest.toHex().toStdString() + ".png";
}

std::optional<Bitmap> readCachedThumbnail(std::string_view bytes, const ThumbnailSubject& subject) {
    auto png =
        decodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), MaxCachedSide);
    if (!png)
        return std::nullopt;
    bool uri = false, mtime = false, size = true;
    for (const PngText& text : png->texts) {
        if (text.key == UriKey)
            uri = text.text == subject.uri;
        else if (text.key == MTimeKey)
            mtime = wholeNumber(text.text) == subject.mtime;
        else if (text.key == SizeKey)
            size = wholeNumber(text.text) == int64_t(subject.size);
    }
    if (!uri || !mtime || !size)
        return std::nullopt;
    return std::move(png->bitmap);
}

std::string desktopThumbnailCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/')
        return std::string(cache) + "/thumbnails";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.cache/thumbnails";
    return {};
}

ThumbnailCache::ThumbnailCache(std::string folder) : folder_(std::move(folder)) {
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
}

std::optional<ThumbnailSubject> ThumbnailCache::subjectOf(std::string_view programPath,
                                                          std::string mime) const {
    if (folder_.empty() || isNetworkPath(programPath))
        return std::nullopt;
    const auto host = toHostPath(programPath);
    if (!host || host->empty() || host->front() != '/' || host->starts_with(folder_ + "/"))
        return std::nullopt;
    struct stat st;
    if (::stat(host->c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return ThumbnailSubject{fileUri(*host), int64_t(st.st_mtime), uint64_t(st.st_size),
                            std::move(mime)};
}

std::optional<Bitmap> ThumbnailCache::read(const std::string& folder,
                                           const ThumbnailSubject& subject) const {
    const auto bytes =
        readBounded(folder + "/" + thumbnailFileName(subject.uri), MaxCachedFileBytes);
    if (!bytes)
        return std::nullopt;
    return readCachedThumbnail(*bytes, subject);
}

bool ThumbnailCache::write(const std::string& folder, const ThumbnailSubject& subject,
                           const Bitmap& picture) const {
    std::vector<PngText> texts{{UriKey, subject.uri},
                               {MTimeKey, std::to_string(subject.mtime)},
                               {SizeKey, std::to_string(subject.size)}};
    if (!subject.mime.empty())
        texts.push_back({MimeKey, subject.mime});
    std::string bytes;
    try {
        bytes = encodePng(picture, texts);
    } catch (const std::exception&) {
        return false; // libpng failed (no memory): the picture is not cached
    }
    std::vector<std::string> chain{parentOf(folder_), folder_};
    for (size_t slash = folder.find('/', folder_.size() + 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        chain.push_back(folder.substr(0, slash));
    chain.push_back(folder);
    return makeFolders(chain) && writePrivately(folder, thumbnailFileName(subject.uri), bytes);
}

std::optional<Bitmap> ThumbnailCache::thumbnail(const ThumbnailSubject& subject,
                                                ThumbnailSize size) const {
    if (folder_.empty())
        return std::nullopt;
    return read(folder_ + "/" + std::string(thumbnailSizeFolder(size)), subject);
}

bool ThumbnailCache::store(const ThumbnailSubject& subject, ThumbnailSize size,
                           const Bitmap& thumbnail) const {
    if (folder_.empty() || thumbnail.isNull())
        return false;
    return write(folder_ + "/" + std::string(thumbnailSizeFolder(size)), subject, thumbnail);
}

bool ThumbnailCache::failedBefore(const ThumbnailSubject& subject) const {
    return !folder_.empty() && read(folder_ + "/fail/lumograph-" LUMO_VERSION, subject);
}

bool ThumbnailCache::recordFailure(const ThumbnailSubject& subject) const {
    if (folder_.empty())
        return false;
    // The record is one transparent pixel that carries the tags.
    Bitmap empty(1, 1, 0);
    empty.premultiplied = true;
    return write(folder_ + "/fail/lumograph-" LUMO_VERSION, subject, empty);
}

} // namespace platform
