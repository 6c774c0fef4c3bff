// The raw preview pipeline.
#include "thumbs/extraction/raw_sidecars.h"

#include <iterator>
#include <optional>
#include <sstream>

#include <QScopeGuard>

#include "bytes/byte_source.h"
#include "exif/jpeg_outline.h"
#include "geometry/orientation.h"
#include "platform/core/file_contents.h"
#include "platform/core/file_source.h"
#include "platform/core/files.h"
#include "platform/core/private_folder.h"
#include "platform/core/winerror.h"
#include "platform/headless/bitmap_scale.h"
#include "platform/headless/jpeg_codec.h"
#include "platform/headless/jpeg_thumbnail.h"
#include "platform/headless/upright.h"
#include "thumbs/core/file_names.h"
#include "thumbs/core/folder_listing.h"
#include "thumbs/core/raw_preview.h"
#include "thumbs/core/sidecar_geometry.h"

namespace {

constexpr int SidecarQuality = 90;

// A file of this conversion's own for the preview: two listings at once, in this program or in
// another, never write one another's preview.
std::string NewTempPreview() {
    const auto path = platform::newPrivateTempFile("thumb", ".tmp.jpg");
    if (!path)
        throw ERawPreviewError("Cannot make a temporary file for the preview: " +
                               platform::systemMessage(platform::lastError()));
    return *path;
}

// Writes the preview of the raw file to temp.
void TakePreview(const std::string& raw, const std::string& temp) {
    std::optional<std::vector<uint8_t>> preview;
    try {
        platform::FileSource source;
        if (!source.open(raw))
            throw ERawPreviewError("Cannot open raw file " + ShownPath(raw));
        preview = ReadRawPreview(source);
    } catch (const EInOutError& error) {
        throw ERawPreviewError("Cannot read raw file " + ShownPath(raw) + ": " + error.what());
    }
    if (!preview)
        throw ERawPreviewError("Raw file " + ShownPath(raw) + " holds no JPEG preview");
    if (!platform::writeFileBytes(
            temp,
            std::string_view(reinterpret_cast<const char*>(preview->data()), preview->size())))
        throw ERawPreviewError("Cannot write the preview " + temp + ": " +
                               platform::systemMessage(platform::lastError()));
}

// The picture, upright, at the smallest DCT scale that still covers where it is drawn: a camera
// preview need not be decoded at full size for a 150 x 100 sidecar.
platform::Bitmap DecodeForPlacement(const std::string& bytes, geometry::Rect placement,
                                    int orientation) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    platform::ThumbnailDecode how;
    how.atLeast = QSize(placement.width, placement.height);
    if (geometry::SwapsSides(orientation))
        how.atLeast.transpose();
    // Without a cancel flag the decode always ends with a picture.
    return platform::orientBitmap(
        std::move(platform::decodeJpegThumbnail(data, bytes.size(), how).value()), orientation);
}

} // namespace

void convertraw(TRawPipeline& pipeline) {
    const bool own = pipeline.TempPreviewPath.empty();
    if (own) {
        pipeline.TempPreviewPath = NewTempPreview();
    } else if (!platform::deleteFile(pipeline.TempPreviewPath) &&
               platform::fileExists(pipeline.TempPreviewPath)) {
        // An older preview left at the path given must never become this raw file's sidecar.
        throw ERawPreviewError("Cannot remove the old preview " + pipeline.TempPreviewPath + ": " +
                               platform::systemMessage(platform::lastError()));
    }
    pipeline.TempPreviewOf.clear();
    try {
        TakePreview(pipeline.CurrentRawPath, pipeline.TempPreviewPath);
    } catch (...) {
        platform::deleteFile(pipeline.TempPreviewPath);
        if (own)
            pipeline.TempPreviewPath.clear();
        throw;
    }
    pipeline.TempPreviewOf = pipeline.CurrentRawPath;
}

void QueueRawPreview(TRawPipeline& pipeline) {
    pipeline.SourceFiles.push_back(pipeline.TempPreviewPath);
}

void CreateSidecars(TRawPipeline& pipeline, const std::function<void()>& processMessages) {
    // Taken out first: every queued preview is converted by this run and no later one.
    const std::vector<std::string> sources = std::exchange(pipeline.SourceFiles, {});
    // Only the preview just taken from the current raw file makes its sidecar, and it serves
    // this run alone.
    const std::string preview = std::exchange(pipeline.TempPreviewPath, {});
    const bool fresh = std::exchange(pipeline.TempPreviewOf, {}) == pipeline.CurrentRawPath;
    const auto removePreview = qScopeGuard([&preview] {
        if (!preview.empty())
            platform::deleteFile(preview);
    });
    for (const std::string& source : sources) {
        if (!fresh || source != preview)
            continue;
        const std::string sidecar =
            SidecarPath(pipeline.CurrentRawFolder, pipeline.CurrentRawPath, pipeline.Prefix);
        platform::deleteFile(sidecar);
        MakeThumbnailFile(source, sidecar, pipeline.ThumbWidth, pipeline.ThumbHeight,
                          pipeline.FillColor);
        if (processMessages)
            processMessages();
        platform::setFileAttributes(sidecar, platform::FILE_ATTRIBUTE_HIDDEN);
    }
}

void MakeThumbnailFile(const std::string& source, const std::string& destination, int width,
                       int height, platform::Rgb color) {
    const auto bytes = platform::readFileBytes(source);
    if (!bytes)
        throw ERawPreviewError("Cannot open file \"" + source + "\". " +
                               platform::systemMessage(platform::lastError()));
    std::istringstream in(*bytes);
    std::ostringstream out;
    MakeThumbnail(in, out, width, height, color);
    if (!platform::writeFileBytes(destination, out.view())) {
        if (platform::directoryExists(destination))
            throw ERawPreviewError("Cannot create file \"" + destination +
                                   "\". A folder of that name is in its place.");
        throw ERawPreviewError("Cannot create file \"" + destination + "\". " +
                               platform::systemMessage(platform::lastError()));
    }
}

void MakeThumbnail(std::istream& source, std::ostream& destination, int width, int height,
                   platform::Rgb color) {
    if (width < 1)
        throw std::invalid_argument("Invalid Width");
    if (height < 1)
        throw std::invalid_argument("Invalid Height");
    const std::string bytes{std::istreambuf_iterator<char>(source),
                            std::istreambuf_iterator<char>()};
    MemorySource memory({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    const TJpegOutline outline = ReadJpegOutline(memory);
    const geometry::Size raster{width, height};
    // The preview is placed as it is drawn, upright (a raw file's orientation comes with it).
    geometry::Rect placement =
        outline.Picture ? SidecarPlacement(geometry::UprightSize(
                                               {outline.Picture->Width, outline.Picture->Height},
                                               outline.Orientation),
                                           raster)
                        : geometry::Rect{0, 0, width, height};
    const platform::Bitmap picture = DecodeForPlacement(bytes, placement, outline.Orientation);
    if (!outline.Picture)
        placement = SidecarPlacement({picture.width, picture.height}, raster);

    platform::Bitmap sidecar(width, height, color);
    platform::drawBitmap(sidecar, placement.left, placement.top,
                         picture.width == placement.width && picture.height == placement.height
                             ? picture
                             : platform::smoothScaled(picture, placement.width, placement.height));
    const std::string encoded = platform::encodeJpegBitmap(sidecar, SidecarQuality);
    destination.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
}

std::vector<std::string> RunRawStep(TRawPipeline& pipeline, const std::string& folder,
                                    const std::function<void()>& processMessages) {
    std::vector<std::string> errors;
    const TRawListing raws = RawFileNames(folder);
    for (const std::string& name : raws.Names) {
        pipeline.CurrentRawFolder = folder;
        pipeline.CurrentRawPath = folder + "\\" + name;
        // A link that leads nowhere is no sidecar: the sidecar replaces the link itself.
        const std::string sidecar = pipeline.CurrentRawPath + ".JPG";
        if (platform::fileExists(sidecar) && !platform::isBrokenLink(sidecar))
            continue;
        try {
            convertraw(pipeline);
            QueueRawPreview(pipeline);
            CreateSidecars(pipeline, processMessages);
        } catch (const std::exception& error) {
            pipeline.SourceFiles.clear();
            // An error that names no file, the decoder's for one, names the raw file it came from.
            const std::string raw = ShownPath(pipeline.CurrentRawPath);
            const std::string text = error.what();
            errors.push_back(text.find(raw) == std::string::npos ? raw + ": " + text : text);
        }
    }
    for (const std::string& name : raws.Unnamable)
        errors.push_back("Cannot make the preview of raw file \"" + name + "\" in " + folder +
                         ": a backslash in its name separates folders in this program's paths.");
    return errors;
}
