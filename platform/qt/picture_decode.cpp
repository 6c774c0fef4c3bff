// Each pass and header read is one step of the guarded libjpeg call; what a step makes lives in
// the job structs their callers own.
#include "platform/qt/picture_decode.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <QScopeGuard>

#include <jerror.h>
#include <jpeglib.h>

#include "geometry/orientation.h"
#include "platform/core/drives.h"
#include "platform/core/network_file.h"
#include "platform/headless/jpeg_pixels.h"
#include "platform/headless/jpeg_support.h"
#include "platform/headless/upright.h"
#include "platform/jpeg/jpeg_guard.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/picture_limits.h"

namespace platform {

namespace {

constexpr size_t kReadChunk = 64 * 1024;
// Rows per read between two looks at the stop request: a few milliseconds of work at most.
constexpr int kRowBatch = 16;
// A progressive picture is shown after its first scan, then at most this often while it sharpens:
// often enough to be seen, seldom enough that the output passes do not slow the decode down.
constexpr auto kRefineInterval = std::chrono::milliseconds(100);

// A picture file opened for decoding; closed when the object dies. On a network location the
// open and each read wait a bounded time, so a share that stops answering ends the decode with an
// error instead of holding the thread that decodes.
class PictureFile {
public:
    explicit PictureFile(std::string_view path) : path_(path) {
        const auto host = toHostPath(path);
        if (!host)
            throw EJpegError("Cannot find the path " + path_);
        // Non-blocking, so that opening a pipe named like a picture does not wait for a writer;
        // reading a regular file is not affected.
        detail::OpenedFile opened = detail::openBounded(*host, O_RDONLY | O_NONBLOCK);
        if (!opened.fd)
            throw EJpegError("Cannot open file " + path_ + ": " + detail::errorText(opened.error));
        if (!S_ISREG(opened.status.st_mode))
            throw EJpegError("Cannot open file " + path_ + ": not a regular file");
        const struct stat& info = opened.status;
        stamp_ = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                  static_cast<int64_t>(info.st_size),
                  static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
        fd_ = std::move(opened.fd);
        location_ = std::move(opened.location);
    }
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    int fd() const { return fd_->get(); }
    const std::string& path() const { return path_; }
    const FileStamp& stamp() const { return stamp_; }
    void rewind() const {
        pos_ = 0;
        if (::lseek(fd(), 0, SEEK_SET) != 0)
            throw EJpegError("Cannot read file " + path_ + ": " + std::strerror(errno));
    }
    // The next bytes from where the last read ended; 0 at the end, -1 (errno set) on failure.
    ssize_t read(void* dst, size_t n) const {
        const ssize_t got = detail::preadBounded(fd_, location_, dst, n, pos_);
        if (got > 0)
            pos_ += static_cast<uint64_t>(got);
        return got;
    }

private:
    std::string path_;
    std::shared_ptr<detail::SharedFd> fd_;
    std::optional<std::string> location_;
    mutable uint64_t pos_ = 0;
    FileStamp stamp_;
};

// libjpeg's data source over a picture file, read a piece at a time.
struct FdSource {
    jpeg_source_mgr pub;
    const PictureFile* file = nullptr;
    JOCTET buffer[kReadChunk];
};

extern "C" void initSource(j_decompress_ptr) {}
extern "C" void termSource(j_decompress_ptr) {}

extern "C" boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<FdSource*>(cinfo->src);
    ssize_t count = source->file->read(source->buffer, sizeof source->buffer);
    if (count < 0)
        ERREXIT(cinfo, JERR_FILE_READ);
    if (count == 0) {
        // A file that ends early still shows what it holds: an end marker closes the picture.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = static_cast<size_t>(count);
    return TRUE;
}

extern "C" void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* source = cinfo->src;
    while (static_cast<size_t>(count) > source->bytes_in_buffer) {
        count -= static_cast<long>(source->bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

// Starts source over at the file's first byte (the caller has rewound the file).
void resetSource(FdSource& source, const PictureFile& file) {
    source.pub.init_source = initSource;
    source.pub.fill_input_buffer = fillInputBuffer;
    source.pub.skip_input_data = skipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = termSource;
    source.pub.bytes_in_buffer = 0;
    source.pub.next_input_byte = nullptr;
    source.file = &file;
}

struct DecodeJob {
    FdSource* source = nullptr;
    int reduction = 1;
    int orientation = 1;    // what turns each stage upright
    bool showScans = false; // progressive: deliver pictures while the scans come in
    bool finalPass = true;  // the pass's last picture is the request's final stage
    const std::stop_token* stop = nullptr;
    const StageSink* deliver = nullptr;
    JSAMPARRAY cmykRow = nullptr;
    QImage image;  // the output pass being written
    QImage turned; // the output pass drawn upright
    bool stopped = false;
};

// Reads the output pass libjpeg has started into job.image. False when a stop was requested.
bool readOutputPass(j_decompress_ptr cinfo, DecodeJob& job) {
    job.image = QImage(static_cast<int>(cinfo->output_width),
                       static_cast<int>(cinfo->output_height), QImage::Format_RGB32);
    if (job.image.isNull())
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    JSAMPROW rows[kRowBatch];
    while (cinfo->output_scanline < cinfo->output_height) {
        if (job.stop->stop_requested())
            return false;
        const int y = static_cast<int>(cinfo->output_scanline);
        if (job.cmykRow != nullptr) {
            jpeg_read_scanlines(cinfo, job.cmykRow, 1);
            cmykToRgb32(job.cmykRow[0], reinterpret_cast<QRgb*>(job.image.scanLine(y)),
                        cinfo->output_width, cinfo->saw_Adobe_marker);
            continue;
        }
        const int count = std::min(kRowBatch, static_cast<int>(cinfo->output_height) - y);
        for (int i = 0; i < count; ++i)
            rows[i] = job.image.scanLine(y + i);
        jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(count));
    }
    return true;
}

// Hands the output pass over, turned upright. Runs inside the guarded step, so a failure ends it
// the way libjpeg's own do, and the pictures live in the job.
void deliverImage(j_decompress_ptr cinfo, DecodeJob& job, QSize own, bool final) {
    if (geometry::KnownOrientation(job.orientation) != 1) {
        job.turned = QImage(uprightSize(job.image.size(), job.orientation), job.image.format());
        if (job.turned.isNull())
            ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
        orientPixels(reinterpret_cast<const Rgb*>(job.image.constBits()), job.image.width(),
                     job.image.height(), job.image.bytesPerLine() / 4,
                     reinterpret_cast<Rgb*>(job.turned.bits()), job.turned.bytesPerLine() / 4,
                     job.orientation);
        job.image = std::exchange(job.turned, QImage());
    }
    (*job.deliver)(PictureStage{std::move(job.image), own, final, job.orientation});
    job.image = QImage();
}

// Absorbs scans of a progressive picture until one should be shown: with job.showScans the first
// complete scan and later ones once kRefineInterval has passed since the last picture; always the
// end of the file. False when a stop was requested.
bool consumeScans(j_decompress_ptr cinfo, DecodeJob& job, bool shownAny,
                  std::chrono::steady_clock::time_point lastShown) {
    for (;;) {
        if (job.stop->stop_requested())
            return false;
        const int status = jpeg_consume_input(cinfo);
        if (status == JPEG_REACHED_EOI || status == JPEG_SUSPENDED)
            return true;
        if (status == JPEG_SCAN_COMPLETED && job.showScans &&
            (!shownAny || std::chrono::steady_clock::now() - lastShown >= kRefineInterval))
            return true;
    }
}

// One decode of the file from its start at 1/job.reduction; job.stopped tells a requested stop.
void decodePass(jpeg_decompress_struct& cinfo, DecodeJob& job) {
    // The decoder's own buffers (a progressive picture's coefficients) stay within the limit too.
    cinfo.mem->max_memory_to_use = static_cast<long>(MaxDecodedBytes);
    cinfo.src = &job.source->pub;
    jpeg_read_header(&cinfo, TRUE);
    const QSize own(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(job.reduction);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
    // A progressive picture is read scan by scan, so that a stop is seen between scans too.
    cinfo.buffered_image = cinfo.progressive_mode;
    // Smoothing guesses the missing detail of blocks whose scans have not all come; at 1/8 only
    // each block's average is drawn, so the guess would be thrown away.
    cinfo.do_block_smoothing = job.reduction < 8 ? TRUE : FALSE;
    jpeg_start_decompress(&cinfo);
    if (cmyk)
        job.cmykRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                 JPOOL_IMAGE, cinfo.output_width * 4, 1);
    if (!cinfo.buffered_image) {
        job.stopped = !readOutputPass(&cinfo, job);
        if (!job.stopped)
            deliverImage(&cinfo, job, own, job.finalPass);
        return;
    }
    bool shownAny = false;
    auto lastShown = std::chrono::steady_clock::now();
    for (;;) {
        if (!consumeScans(&cinfo, job, shownAny, lastShown)) {
            job.stopped = true;
            return;
        }
        jpeg_start_output(&cinfo, cinfo.input_scan_number);
        if (!readOutputPass(&cinfo, job)) {
            job.stopped = true;
            return;
        }
        jpeg_finish_output(&cinfo);
        const bool complete = jpeg_input_complete(&cinfo) != 0;
        deliverImage(&cinfo, job, own, complete && job.finalPass);
        if (complete)
            return;
        shownAny = true;
        lastShown = std::chrono::steady_clock::now();
    }
}

PictureInfo readJpegInfo(const PictureFile& file, FdSource& source) {
    resetSource(source, file);
    PictureInfo info;
    auto step = [&](jpeg_decompress_struct& cinfo) {
        cinfo.src = &source.pub;
        keepExifSegments(cinfo);
        jpeg_read_header(&cinfo, TRUE);
        info.size =
            QSize(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
        info.jpeg = true;
        info.progressive = cinfo.progressive_mode != 0;
        info.orientation = keptOrientation(cinfo);
    };
    withDecompressor(step, file.path() + ": ");
    checkPictureSize(static_cast<uint64_t>(info.size.width()),
                     static_cast<uint64_t>(info.size.height()), file.path());
    return info;
}

// The toolkit's reader for a picture that is not a JPEG, over the open file.
class ToolkitReader {
public:
    ToolkitReader(const PictureFile& file, const std::string& lowerExt) {
        file.rewind();
        if (!device_.open(file.fd(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            throw EJpegError("Cannot open file " + file.path());
        reader_.setDevice(&device_);
        reader_.setFormat(QByteArray::fromStdString(lowerExt.substr(1)));
    }
    QImageReader& reader() { return reader_; }

private:
    QFile device_;
    QImageReader reader_;
};

// Whether the extension names a picture format: JPEG, or one the toolkit reads. The message for
// any other is loadPicture's.
bool checkExtension(const std::string& ext) {
    if (isJpegExtension(ext))
        return true;
    if (ext.empty() ||
        !QImageReader::supportedImageFormats().contains(QByteArray::fromStdString(ext.substr(1))))
        throw EJpegError("Unknown picture file extension (" + ext + ")");
    return false;
}

PictureInfo readToolkitInfo(const PictureFile& file, const std::string& ext) {
    ToolkitReader toolkit(file, ext);
    const QSize size = toolkit.reader().size();
    if (!toolkit.reader().canRead())
        throw EJpegError("Cannot load picture " + file.path() + ": " +
                         toolkit.reader().errorString().toStdString());
    // Some formats tell their size only while decoding; the toolkit's own allocation limit
    // guards those.
    if (size.isValid())
        checkPictureSize(static_cast<uint64_t>(size.width()), static_cast<uint64_t>(size.height()),
                         file.path());
    return {size, false, false, {}};
}

} // namespace

QSize uprightSize(QSize own, int orientation) {
    return geometry::SwapsSides(orientation) ? own.transposed() : own;
}

int reductionFor(QSize own, QSize atLeast) {
    if (atLeast.isEmpty())
        return 1;
    for (int reduction : {8, 4, 2}) {
        const QSize reduced = reducedSize(own, reduction);
        if (reduced.width() >= atLeast.width() && reduced.height() >= atLeast.height())
            return reduction;
    }
    return 1;
}

QSize reducedSize(QSize own, int reduction) {
    return {(own.width() + reduction - 1) / reduction, (own.height() + reduction - 1) / reduction};
}

PictureInfo probePicture(std::string_view path) {
    const std::string ext = lowerExtension(path);
    const bool jpeg = checkExtension(ext);
    const PictureFile file(path);
    const auto source = std::make_unique<FdSource>();
    PictureInfo info = jpeg ? readJpegInfo(file, *source) : readToolkitInfo(file, ext);
    info.stamp = file.stamp();
    return info;
}

void decodePicture(const PictureRequest& request, std::stop_token stop, const StageSink& deliver) {
    const std::string ext = lowerExtension(request.path);
    const bool jpeg = checkExtension(ext);
    const PictureFile file(request.path);
    if (!jpeg) {
        readToolkitInfo(file, ext);
        ToolkitReader toolkit(file, ext);
        QImage image = toolkit.reader().read();
        if (image.isNull())
            throw EJpegError("Cannot load picture " + file.path() + ": " +
                             toolkit.reader().errorString().toStdString());
        if (!stop.stop_requested())
            deliver(PictureStage{image, image.size(), true});
        return;
    }
    const auto source = std::make_unique<FdSource>();
    const PictureInfo info = readJpegInfo(file, *source);
    // The size asked for is the upright picture's; the decoder scales the stored one.
    const int reduction = reductionFor(uprightSize(info.size, info.orientation), request.atLeast);
    DecodeJob job;
    job.source = source.get();
    job.orientation = info.orientation;
    job.stop = &stop;
    job.deliver = &deliver;
    // One decode from the file's start; false when it was stopped.
    const auto pass = [&](int passReduction, bool showScans, bool final) {
        file.rewind();
        resetSource(*source, file);
        job.reduction = passReduction;
        job.showScans = showScans;
        job.finalPass = final;
        job.stopped = false;
        // The row buffer of a CMYK picture belongs to the decoder and goes with it.
        const auto forgetRow = qScopeGuard([&job] { job.cmykRow = nullptr; });
        auto step = [&job](jpeg_decompress_struct& cinfo) {
            decodePass(cinfo, job);
        };
        withDecompressor(step, file.path() + ": ");
        return !job.stopped;
    };
    if (info.progressive) {
        // Its first scans are the coarse picture.
        pass(reduction, request.coarseFirst, true);
        return;
    }
    if (request.coarseFirst && reduction < 8 && !pass(8, false, false))
        return;
    pass(reduction, false, true);
}

} // namespace platform
