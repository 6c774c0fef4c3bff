// libjpeg-turbo behind a small adapter: each job is one step of the guarded libjpeg call.
#include "platform/qt/jpeg.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/network_file.h"
#include "platform/core/winerror.h"
#include "platform/headless/jpeg_codec.h"
#include "platform/headless/jpeg_support.h"
#include "platform/jpeg/jpeg_guard.h"
#include "platform/qt/bitmap_image.h"
#include "platform/qt/picture_limits.h"

namespace platform {

namespace {

JpegSize readSize(std::FILE* file, const std::string& prefix) {
    JpegSize size;
    auto step = [&](jpeg_decompress_struct& cinfo) {
        jpeg_stdio_src(&cinfo, file);
        jpeg_read_header(&cinfo, TRUE);
        size = {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
    };
    withDecompressor(step, prefix);
    return size;
}

std::string hostPathOrThrow(std::string_view path) {
    const auto host = toHostPath(path);
    if (!host)
        throw EJpegError("Cannot find the path " + std::string(path));
    return *host;
}

// An open picture file, closed on every way out.
class PictureFile {
public:
    explicit PictureFile(std::FILE* file) : file_(file) {}
    ~PictureFile() { std::fclose(file_); }
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_;
};

// Opens the picture at a host path for reading (path is the name errors give). Anything but a
// regular file is refused before a byte is read: a FIFO would block the caller for ever, a
// device such as /dev/zero never ends.
int openHostPicture(const std::string& host, std::string_view path) {
    const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw EJpegError("Cannot open file " + std::string(path) + ": " + std::strerror(errno));
    try {
        checkPictureFile(fd, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::FILE* openPictureFile(int fd, std::string_view path) {
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int err = errno;
        ::close(fd);
        throw EJpegError("Cannot open file " + std::string(path) + ": " + std::strerror(err));
    }
    return file;
}

// The picture file as a stream. On a network location the open and every read wait a bounded
// time, so a share that stops answering ends the load with an error that names the file.
std::FILE* openPictureStream(std::string_view path, bool& network) {
    const std::string host = hostPathOrThrow(path);
    network = detail::networkRootOf(host).has_value();
    if (!network)
        return openPictureFile(openHostPicture(host, path), path);
    detail::OpenedFile opened = detail::openBounded(host, O_RDONLY | O_NONBLOCK);
    const std::string cannot = "Cannot open file " + std::string(path) + ": ";
    if (!opened.fd)
        throw EJpegError(cannot + detail::errorText(opened.error));
    if (!S_ISREG(opened.status.st_mode))
        throw EJpegError(cannot + "not a regular file");
    std::FILE* file = detail::boundedStream(std::move(opened));
    if (file == nullptr)
        throw EJpegError(cannot + std::strerror(errno));
    return file;
}

// A stream that failed to read has given the decoder a picture cut short: that is no picture.
void checkRead(std::FILE* file, std::string_view path) {
    if (std::ferror(file))
        throw EJpegError("Cannot read file " + std::string(path) + ": " +
                         (lastError() == ERROR_BAD_NETPATH ? detail::kNoAnswerText : "read error"));
}

LoadedPicture readJpeg(std::string_view path, QSize fitInto) {
    // Decoded straight from the file: however large the file, only the picture is held.
    bool network = false;
    const PictureFile file(openPictureStream(path, network));
    JpegHeader header;
    QImage image = toQImage(decodeJpegBitmap({nullptr, 0, file.get()}, fitInto.width(),
                                             fitInto.height(), std::string(path) + ": ", &header));
    checkRead(file.get(), path);
    return {std::move(image), QSize(header.width, header.height), header.orientation};
}

} // namespace

QImage decodeJpeg(const uint8_t* data, size_t size, QSize fitInto) {
    return toQImage(decodeJpegBitmap({data, size, nullptr}, fitInto.width(), fitInto.height()));
}

QImage loadJpeg(std::string_view path, QSize fitInto) {
    return readJpeg(path, fitInto).image;
}

JpegSize jpegSize(std::string_view path) {
    bool network = false;
    const PictureFile file(openPictureStream(path, network));
    const JpegSize size = readSize(file.get(), std::string(path) + ": ");
    checkRead(file.get(), path);
    return size;
}

std::string encodeJpeg(const QImage& image, int quality) {
    if (image.isNull())
        throw EJpegError("Cannot encode an empty picture");
    return encodeJpegBitmap(toBitmap(image), quality);
}

void saveJpeg(const QImage& image, std::string_view path, int quality) {
    const std::string bytes = encodeJpeg(image, quality);
    const std::string host = hostPathOrThrow(path);
    const size_t slash = host.rfind('/');
    std::string temp = host.substr(0, slash + 1) + ".lumo-jpeg-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw EJpegError("Cannot write " + std::string(path) + ": " + std::strerror(errno));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    const int err = done == bytes.size() ? 0 : errno;
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 || err != 0 || ::rename(temp.c_str(), host.c_str()) != 0) {
        const int failure = err != 0 ? err : errno;
        ::unlink(temp.c_str());
        throw EJpegError("Cannot write " + std::string(path) + ": " + std::strerror(failure));
    }
}

LoadedPicture readPicture(std::string_view path, QSize fitInto) {
    const std::string ext = lowerExtension(path);
    if (isJpegExtension(ext))
        return readJpeg(path, fitInto);
    if (!ext.empty() &&
        QImageReader::supportedImageFormats().contains(QByteArray::fromStdString(ext.substr(1)))) {
        bool network = false;
        const PictureFile stream(openPictureStream(path, network));
        QFile file;
        QBuffer bytes;
        if (network) {
            // The toolkit's readers take a device: the picture is read into memory first, each
            // piece with the bounded wait.
            QByteArray read;
            char piece[64 * 1024];
            while (const size_t got = std::fread(piece, 1, sizeof piece, stream.get()))
                read.append(piece, static_cast<qsizetype>(got));
            checkRead(stream.get(), path);
            bytes.setData(read);
            bytes.open(QIODevice::ReadOnly);
        } else if (!file.open(::fileno(stream.get()), QIODevice::ReadOnly,
                              QFileDevice::DontCloseHandle)) {
            throw EJpegError("Cannot open file " + std::string(path));
        }
        QImageReader reader(network ? static_cast<QIODevice*>(&bytes) : &file,
                            QByteArray::fromStdString(ext.substr(1)));
        const QSize declared = reader.size();
        if (declared.isValid() &&
            uint64_t(declared.width()) * uint64_t(declared.height()) * 4 > MaxDecodedBytes)
            throw EJpegError("Cannot load picture " + std::string(path) + ": picture too large (" +
                             std::to_string(declared.width()) + " x " +
                             std::to_string(declared.height()) + " pixels)");
        QImage image = reader.read();
        if (image.isNull())
            throw EJpegError("Cannot load picture " + std::string(path) + ": " +
                             reader.errorString().toStdString());
        const QSize own = image.size();
        return {std::move(image), own, 1};
    }
    throw EJpegError("Unknown picture file extension (" + ext + ")");
}

QImage loadPicture(std::string_view path, QSize fitInto) {
    return readPicture(path, fitInto).image;
}

} // namespace platform
