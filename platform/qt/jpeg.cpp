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

#include <QFile>
#include <QImageReader>
#include <QScopeGuard>

#include <jpeglib.h>

#include "platform/core/drives.h"
#include "platform/headless/jpeg_guard.h"
#include "platform/qt/jpeg_support.h"
#include "platform/qt/picture_limits.h"

namespace platform {

namespace {

struct DecodeJob {
    const uint8_t* data = nullptr; // the bytes in memory, or
    std::FILE* file = nullptr;     // the open file read from its current position
    size_t size = 0;
    QSize fit;
    QImage image;
};

int scaleDenominator(unsigned width, unsigned height, QSize fit) {
    if (fit.isEmpty())
        return 1;
    for (int denom : {8, 4, 2}) {
        const unsigned w = (width + denom - 1) / denom;
        const unsigned h = (height + denom - 1) / denom;
        if (w >= unsigned(fit.width()) || h >= unsigned(fit.height()))
            return denom;
    }
    return 1;
}

void decode(jpeg_decompress_struct& cinfo, DecodeJob& job) {
    // The decoder's own buffers (a progressive picture keeps all its coefficients) stay within
    // the same bound as the picture it makes; beyond it the decoder stops with an error.
    cinfo.mem->max_memory_to_use = static_cast<long>(MaxDecodedBytes);
    if (job.file != nullptr)
        jpeg_stdio_src(&cinfo, job.file);
    else
        jpeg_mem_src(&cinfo, job.data, static_cast<unsigned long>(job.size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom =
        static_cast<unsigned>(scaleDenominator(cinfo.image_width, cinfo.image_height, job.fit));
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
    jpeg_calc_output_dimensions(&cinfo);
    const auto common = reinterpret_cast<j_common_ptr>(&cinfo);
    if (uint64_t{cinfo.output_width} * cinfo.output_height * 4 > MaxDecodedBytes) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text,
                      "Picture too large (%u x %u pixels would need more than %llu MB)",
                      cinfo.output_width, cinfo.output_height,
                      static_cast<unsigned long long>(MaxDecodedBytes >> 20));
        failJpegStep(common, text);
    }
    jpeg_start_decompress(&cinfo);
    job.image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                       QImage::Format_RGB32);
    if (job.image.isNull()) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text, "Picture too large (%u x %u)", cinfo.output_width,
                      cinfo.output_height);
        failJpegStep(common, text);
    }
    JSAMPARRAY cmykRow =
        cmyk ? (*cinfo.mem->alloc_sarray)(common, JPOOL_IMAGE, cinfo.output_width * 4, 1) : nullptr;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW row = cmyk ? cmykRow[0] : job.image.scanLine(y);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (cmyk)
            cmykToRgb32(row, reinterpret_cast<QRgb*>(job.image.scanLine(y)), cinfo.output_width,
                        cinfo.saw_Adobe_marker);
    }
    // A stream that stopped early keeps the rows decoded so far.
    if (cinfo.output_scanline == cinfo.output_height)
        jpeg_finish_decompress(&cinfo);
}

QImage decodeGuarded(DecodeJob& job, const std::string& prefix) {
    auto step = [&job](jpeg_decompress_struct& cinfo) {
        decode(cinfo, job);
    };
    withDecompressor(step, prefix);
    return std::move(job.image);
}

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

// The encoded bytes of an image in Format_RGB32.
std::string encode(const QImage& image, int quality) {
    unsigned char* buffer = nullptr; // malloc'd by libjpeg, freed here on every path
    unsigned long size = 0;
    auto step = [&](jpeg_compress_struct& cinfo) {
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = static_cast<JDIMENSION>(image.width());
        cinfo.image_height = static_cast<JDIMENSION>(image.height());
        cinfo.input_components = 4;
        cinfo.in_color_space = kRgb32Space;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row =
                const_cast<JSAMPLE*>(image.constScanLine(static_cast<int>(cinfo.next_scanline)));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
    };
    const auto freeBuffer = qScopeGuard([&buffer] { std::free(buffer); });
    withCompressor(step);
    return std::string(reinterpret_cast<const char*>(buffer), size);
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

int openPictureDescriptor(std::string_view path) {
    return openHostPicture(hostPathOrThrow(path), path);
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

} // namespace

QImage decodeJpeg(const uint8_t* data, size_t size, QSize fitInto) {
    if (data == nullptr || size == 0)
        throw EJpegError("Empty JPEG data");
    DecodeJob job;
    job.data = data;
    job.size = size;
    job.fit = fitInto;
    return decodeGuarded(job, {});
}

QImage loadJpeg(std::string_view path, QSize fitInto) {
    // Decoded straight from the file: however large the file, only the picture is held.
    const PictureFile file(openPictureFile(openPictureDescriptor(path), path));
    DecodeJob job;
    job.file = file.get();
    job.fit = fitInto;
    return decodeGuarded(job, std::string(path) + ": ");
}

JpegSize jpegSize(std::string_view path) {
    const PictureFile file(openPictureFile(openPictureDescriptor(path), path));
    return readSize(file.get(), std::string(path) + ": ");
}

JpegSize hostJpegSize(const std::string& hostPath) {
    const PictureFile file(openPictureFile(openHostPicture(hostPath, hostPath), hostPath));
    return readSize(file.get(), hostPath + ": ");
}

std::string encodeJpeg(const QImage& image, int quality) {
    if (image.isNull())
        throw EJpegError("Cannot encode an empty picture");
    return encode(image.convertToFormat(QImage::Format_RGB32), std::clamp(quality, 1, 100));
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

QImage loadPicture(std::string_view path, QSize fitInto) {
    const std::string ext = lowerExtension(path);
    if (isJpegExtension(ext))
        return loadJpeg(path, fitInto);
    if (!ext.empty() &&
        QImageReader::supportedImageFormats().contains(QByteArray::fromStdString(ext.substr(1)))) {
        const int fd = openPictureDescriptor(path);
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            throw EJpegError("Cannot open file " + std::string(path));
        }
        QImageReader reader(&file, QByteArray::fromStdString(ext.substr(1)));
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
        return image;
    }
    throw EJpegError("Unknown picture file extension (" + ext + ")");
}

} // namespace platform
