// Preview sidecars of Canon CR2 raw files: convertraw takes the raw file's embedded preview JPEG
// out to a temporary file of its own, QueueRawPreview queues it, and CreateSidecars fits it
// into a hidden 150 x 100 JPEG named after the raw file with ".JPG" appended, beside it. The raw
// step of a listing runs these for each raw file without a sidecar. Runs on the window's thread.
//
// A failed conversion leaves nothing behind under the sidecar's name (the sidecar is written under
// a temporary name and renamed when complete), and a failed convertraw leaves no older preview at
// the temporary path, so neither can later pass for a raw file's sidecar.
#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/headless/bitmap.h"

// The raw file has no usable preview, or a step of the pipeline cannot read or write a file; the
// message names the file.
class ERawPreviewError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The pipeline's state: set by the listing before each raw file, and the converter's settings.
struct TRawPipeline {
    std::string CurrentRawFolder; // the listed folder, ending with a backslash
    std::string CurrentRawPath;   // CurrentRawFolder + "\" + the raw file's name
    // Where convertraw leaves the preview. When empty, convertraw makes a file of this
    // conversion's own in the user's own temporary folder ("thumb-XXXXXX.tmp.jpg", which nothing
    // else writes, in this program or another), and CreateSidecars removes it and empties this
    // again; a caller may name a file of its own instead.
    std::string TempPreviewPath;
    // The raw file whose preview TempPreviewPath holds; empty when it holds none.
    std::string TempPreviewOf;
    // Previews queued for CreateSidecars; each is converted once, by the next CreateSidecars.
    std::vector<std::string> SourceFiles;
    int ThumbWidth = 150;
    int ThumbHeight = 100;
    platform::Rgb FillColor = platform::rgbOf(255, 255, 255);
    std::string Prefix; // put in front of every sidecar's file name
};

// Writes the preview of the raw file CurrentRawPath, a complete JPEG, to the temporary path (a new
// one of its own when none is given; a file at a path given is removed first) and notes whose
// preview it is. Raises ERawPreviewError when the path cannot be made or emptied, when the raw
// file cannot be read, when it holds no JPEG preview or when the preview cannot be written; no
// preview is then left at the path.
void convertraw(TRawPipeline& pipeline);
// Queues the temporary path for CreateSidecars.
void QueueRawPreview(TRawPipeline& pipeline);
// Converts the queued preview that convertraw just took from the current raw file into that raw
// file's sidecar: any file of the sidecar's name is deleted, the sidecar made, pending messages
// processed (processMessages), and the sidecar's attributes set to hidden alone (failures to
// delete or to set attributes are ignored). Other queued files make no sidecar. An error ends the
// run and passes on; the queue is empty and the temporary preview removed afterwards in every
// case.
void CreateSidecars(TRawPipeline& pipeline, const std::function<void()>& processMessages);

// Reads the source picture file and writes the destination: MakeThumbnail of the two. Raises
// ERawPreviewError naming the source when it cannot be read, the decoder's error when it is no
// JPEG, and ERawPreviewError naming the destination when it cannot be written (saying so when a
// folder has its name); the destination is then neither made nor changed.
void MakeThumbnailFile(const std::string& source, const std::string& destination, int width,
                       int height, platform::Rgb color);
// One JPEG picture read from source, drawn upright as its EXIF orientation says, fitted into a
// width x height raster filled with color (see SidecarPlacement) and written to destination as a
// colour JPEG of quality 90. "Invalid Width" /
// "Invalid Height" for a size below 1, raised before anything is read.
void MakeThumbnail(std::istream& source, std::ostream& destination, int width, int height,
                   platform::Rgb color);

// The raw step of a listing of folder (ending with a backslash): for each raw file without a file
// named its path + ".JPG" (a link whose target is gone counts as none, and the sidecar replaces
// it), convertraw, QueueRawPreview and CreateSidecars. A raw file whose step fails does not stop
// the others; the errors' messages come back in order, each naming its raw file once (put in
// front of a message that names none), followed by one for each raw file whose name holds a
// backslash, which no path of the program can name. Paths are shown without doubled backslashes.
std::vector<std::string> RunRawStep(TRawPipeline& pipeline, const std::string& folder,
                                    const std::function<void()>& processMessages);
