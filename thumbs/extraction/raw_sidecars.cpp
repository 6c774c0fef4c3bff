// The raw preview pipeline.
#include "thumbs/extraction/raw_sidecars.h"

#include <iterator>
#include <optional>
#include <sstream>

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

constexpr const char* TempPreviewName = "thumb.tmp.jpg";
constexpr int SidecarQuality = 90;

std::string TempPreviewPathOf(TRawPipeline& pipeline) {
    if (pipeline.TempPreviewPath.empty()) {
        const auto folder = platform::privateTempFolder();
        if (!folder)
            throw ERawPreviewError("Cannot make a folder for temporary files: " +
                                   platform::systemMessage(platform::lastError()));
        pipeline.TempPreviewPath = *folder + TempPreviewName;
    }
    return pipeline.TempPreviewPath;
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
    const std::string temp = TempPreviewPathOf(pipeline);
    // An older preview left at the temporary path must never become this raw file's sidecar.
    if (!platform::deleteFile(temp) && platform::fileExists(temp))
        throw ERawPreviewError("Cannot remove the old preview " + temp + ": " +
                               platform::systemMessage(platform::lastError()));
    const std::string& raw = pipeline.CurrentRawPath;
    std::optional<std::vector<uint8_t>> preview;
    try {
        platform::FileSource source;
        if (!source.open(raw))
            throw ERawPreviewError("Cannot open raw file " + raw);
        preview = ReadRawPreview(source);
    } catch (const EInOutError& error) {
        throw ERawPreviewError("Cannot read raw file " + raw + ": " + error.what());
    }
    if (!preview)
        throw ERawPreviewError("Raw file " + raw + " holds no JPEG preview");
    if (!platform::writeFileBytes(
            temp,
            std::string_view(reinterpret_cast<const char*>(preview->data()), preview->size())))
        throw ERawPreviewError("Cannot write the preview " + temp + ": " +
                               platform::systemMessage(platform::lastError()));
}

void QueueRawPreview(TRawPipeline& pipeline) {
    pipeline.SourceFiles.push_back(TempPreviewPathOf(pipeline));
}

void CreateSidecars(TRawPipeline& pipeline, const std::function<void()>& processMessages) {
    // Taken out first: every queued preview is converted by this run and no later one.
    const std::vector<std::string> sources = std::exchange(pipeline.SourceFiles, {});
    for (const std::string& source : sources) {
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
    if (!platform::writeFileBytes(destination, out.view()))
        throw ERawPreviewError("Cannot create file \"" + destination + "\". " +
                               platform::systemMessage(platform::lastError()));
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
    for (const std::string& name : RawFileNames(folder)) {
        pipeline.CurrentRawFolder = folder;
        pipeline.CurrentRawPath = folder + "\\" + name;
        if (platform::fileExists(pipeline.CurrentRawPath + ".JPG"))
            continue;
        try {
            convertraw(pipeline);
            QueueRawPreview(pipeline);
            CreateSidecars(pipeline, processMessages);
        } catch (const std::exception& error) {
            pipeline.SourceFiles.clear();
            errors.push_back(error.what());
        }
    }
    return errors;
}
