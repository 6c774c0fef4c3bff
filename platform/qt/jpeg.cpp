// libjpeg-turbo behind a small adapter: libjpeg's errors longjmp back into one small function per
// job, whose locals all have trivial destructors, and come out as EJpegError.
#include "platform/qt/jpeg.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImageReader>

#include <jpeglib.h>

#include "platform/core/drives.h"
#include "platform/qt/jpeg_support.h"

namespace platform {

namespace {

struct DecodeJob {
    const uint8_t* data = nullptr;
    size_t size = 0;
    QSize fit;
    QImage* image = nullptr;
    char message[JMSG_LENGTH_MAX] = {};
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

bool runDecode(DecodeJob& job) {
    jpeg_decompress_struct cinfo;
    ErrorManager manager;
    installErrorManager(manager, cinfo.err);
    if (setjmp(manager.jump)) {
        std::memcpy(job.message, manager.message, sizeof job.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, job.data, static_cast<unsigned long>(job.size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom =
        static_cast<unsigned>(scaleDenominator(cinfo.image_width, cinfo.image_height, job.fit));
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
    jpeg_start_decompress(&cinfo);
    *job.image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                        QImage::Format_RGB32);
    if (job.image->isNull()) {
        std::snprintf(job.message, sizeof job.message, "Picture too large (%u x %u)",
                      cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    JSAMPARRAY cmykRow = cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                           JPOOL_IMAGE, cinfo.output_width * 4, 1)
                              : nullptr;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW row = cmyk ? cmykRow[0] : job.image->scanLine(y);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (cmyk)
            cmykToRgb32(row, reinterpret_cast<QRgb*>(job.image->scanLine(y)), cinfo.output_width,
                        cinfo.saw_Adobe_marker);
    }
    // A stream that stopped early keeps the rows decoded so far.
    if (cinfo.output_scanline == cinfo.output_height)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct HeaderJob {
    std::FILE* file = nullptr;
    JpegSize size;
    char message[JMSG_LENGTH_MAX] = {};
};

bool runHeader(HeaderJob& job) {
    jpeg_decompress_struct cinfo;
    ErrorManager manager;
    installErrorManager(manager, cinfo.err);
    if (setjmp(manager.jump)) {
        std::memcpy(job.message, manager.message, sizeof job.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, job.file);
    jpeg_read_header(&cinfo, TRUE);
    job.size = {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct EncodeJob {
    const QImage* image = nullptr; // Format_RGB32
    int quality = 90;
    unsigned char* buffer = nullptr; // malloc'd by libjpeg; the caller frees it
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
};

bool runEncode(EncodeJob& job) {
    jpeg_compress_struct cinfo;
    ErrorManager manager;
    installErrorManager(manager, cinfo.err);
    if (setjmp(manager.jump)) {
        std::memcpy(job.message, manager.message, sizeof job.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.buffer, &job.size);
    cinfo.image_width = static_cast<JDIMENSION>(job.image->width());
    cinfo.image_height = static_cast<JDIMENSION>(job.image->height());
    cinfo.input_components = 4;
    cinfo.in_color_space = kRgb32Space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job.quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPLE*>(job.image->constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

std::string hostPathOrThrow(std::string_view path) {
    const auto host = toHostPath(path);
    if (!host)
        throw EJpegError("Cannot find the path " + std::string(path));
    return *host;
}

std::vector<uint8_t> readWholeFile(std::string_view path) {
    const std::string host = hostPathOrThrow(path);
    std::FILE* file = std::fopen(host.c_str(), "rb");
    if (file == nullptr)
        throw EJpegError("Cannot open file " + std::string(path) + ": " + std::strerror(errno));
    std::vector<uint8_t> data;
    uint8_t chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        throw EJpegError("Cannot read file " + std::string(path));
    return data;
}

} // namespace

QImage decodeJpeg(const uint8_t* data, size_t size, QSize fitInto) {
    if (data == nullptr || size == 0)
        throw EJpegError("Empty JPEG data");
    QImage image;
    DecodeJob job;
    job.data = data;
    job.size = size;
    job.fit = fitInto;
    job.image = &image;
    if (!runDecode(job))
        throw EJpegError(job.message);
    return image;
}

QImage loadJpeg(std::string_view path, QSize fitInto) {
    const std::vector<uint8_t> data = readWholeFile(path);
    try {
        return decodeJpeg(data.data(), data.size(), fitInto);
    } catch (const EJpegError& error) {
        throw EJpegError(std::string(path) + ": " + error.what());
    }
}

JpegSize jpegSize(std::string_view path) {
    const std::string host = hostPathOrThrow(path);
    HeaderJob job;
    job.file = std::fopen(host.c_str(), "rb");
    if (job.file == nullptr)
        throw EJpegError("Cannot open file " + std::string(path) + ": " + std::strerror(errno));
    const bool ok = runHeader(job);
    std::fclose(job.file);
    if (!ok)
        throw EJpegError(std::string(path) + ": " + job.message);
    return job.size;
}

std::string encodeJpeg(const QImage& image, int quality) {
    if (image.isNull())
        throw EJpegError("Cannot encode an empty picture");
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    EncodeJob job;
    job.image = &rgb;
    job.quality = std::clamp(quality, 1, 100);
    const bool ok = runEncode(job);
    std::string bytes;
    if (ok)
        bytes.assign(reinterpret_cast<const char*>(job.buffer), job.size);
    std::free(job.buffer);
    if (!ok)
        throw EJpegError(job.message);
    return bytes;
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
        QImageReader reader(QString::fromStdString(hostPathOrThrow(path)));
        QImage image = reader.read();
        if (image.isNull())
            throw EJpegError("Cannot load picture " + std::string(path) + ": " +
                             reader.errorString().toStdString());
        return image;
    }
    throw EJpegError("Unknown picture file extension (" + ext + ")");
}

} // namespace platform
