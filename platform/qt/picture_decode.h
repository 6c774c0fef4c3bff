// Pictures for the viewer, decoded in stages so that a large one shows at once and then sharpens.
// A progressive JPEG goes through libjpeg-turbo's buffered-image mode: a picture after its first
// scan, again after later scans, the complete one last. A baseline JPEG that must come out larger
// than its 1/8 DCT scale first gets a quick 1/8 pass. Other formats the toolkit reads come in one
// stage. A JPEG is decoded at the smallest DCT scale that still gives the size asked for, and every
// stage is turned upright as the picture's EXIF orientation says.
// Plain functions for any thread; files are read in 64 KiB pieces, never whole.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include <QImage>
#include <QSize>

namespace platform {

// Which version of a file was read: a file rewritten or replaced since has another stamp.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t bytes = 0;
    int64_t modifiedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// What a picture's header tells before any pixel is decoded.
struct PictureInfo {
    QSize size;               // the picture's own width and height, as stored
    bool jpeg = false;        // decoded through libjpeg; otherwise through the toolkit's readers
    bool progressive = false; // a progressive JPEG, refined scan by scan
    FileStamp stamp;
    int orientation = 1; // the EXIF orientation its stages are turned by (upright.h)
};

// The picture's own size as it is drawn: upright, its sides swapped by a quarter turn.
QSize uprightSize(QSize own, int orientation);

struct PictureRequest {
    std::string path; // program path
    QSize atLeast; // the smallest upright output that serves the boxes showing it; empty: own size
    bool coarseFirst = true; // deliver a quick coarse stage before the sharp one
};

// One stage of a decode, drawn upright. A JPEG's pixels come out in Format_RGB32 and, DCT-scaled,
// are often smaller than the picture itself.
struct PictureStage {
    QImage image;
    QSize size;          // the picture's own width and height, as stored
    bool final = false;  // the sharpest stage of this request, delivered last
    int orientation = 1; // what turned the image upright
};

using StageSink = std::function<void(PictureStage)>;

// Opens the picture and reads its header. Raises EJpegError when the path names no file, a
// folder, a device or a pipe, when the extension is not a picture's (the same rule as
// loadPicture), when the header is not a picture's or when it is larger than the limits of
// picture_limits.h allow.
PictureInfo probePicture(std::string_view path);

// Decodes request.path, handing each stage to deliver on the calling thread, the final one last.
// When stop is requested it returns between two row batches without delivering more. A file
// that ends early gives what it holds (grey below); an error that stops libjpeg raises
// EJpegError, as do the checks of probePicture. deliver must not throw.
void decodePicture(const PictureRequest& request, std::stop_token stop, const StageSink& deliver);

// The DCT reduction (8, 4, 2 or 1 for 1/8 .. 1/1) that turns a picture of size own into the
// smallest output at least atLeast in both directions; 1 when atLeast is empty or not smaller.
int reductionFor(QSize own, QSize atLeast);
// The output size libjpeg gives for own at 1/reduction: each side rounded up.
QSize reducedSize(QSize own, int reduction);

} // namespace platform
