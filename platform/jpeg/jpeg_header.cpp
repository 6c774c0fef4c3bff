// libjpeg-turbo reading a picture's header from a ByteSource, as a step of the guarded libjpeg
// call; its errors come out as EJpegHeaderError.
#include "platform/jpeg/jpeg_header.h"

#include <cstdint>
#include <cstdio>
#include <exception>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/jpeg/jpeg_guard.h"

namespace platform {

namespace {

// What libjpeg's own file source reads at a time.
constexpr size_t InputBufferSize = 4096;

// The byte source as libjpeg's data source, read the way libjpeg reads a stdio file, so that a
// damaged picture fails with the message it always had: no data at all is fatal, data that ends
// later gets an end-of-image marker put after it.
struct SourceManager {
    jpeg_source_mgr pub;
    ByteSource* source;
    uint64_t position;
    bool startOfFile;
    JOCTET buffer[InputBufferSize];
};

void initSource(j_decompress_ptr cinfo) {
    reinterpret_cast<SourceManager*>(cinfo->src)->startOfFile = true;
}

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* manager = reinterpret_cast<SourceManager*>(cinfo->src);
    size_t count = 0;
    try {
        count = manager->source->readAt(manager->position, manager->buffer, InputBufferSize);
    } catch (const std::exception&) {
        count = 0; // a medium error ends the data, as a failed read of a stdio file does
    }
    manager->position += count;
    if (count == 0) {
        if (manager->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        manager->buffer[0] = 0xFF;
        manager->buffer[1] = JPEG_EOI;
        count = 2;
    }
    manager->pub.next_input_byte = manager->buffer;
    manager->pub.bytes_in_buffer = count;
    manager->startOfFile = false;
    return TRUE;
}

// Skipped bytes are read through, as the file source does, so the end of the data is met alike.
void skipInputData(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        (*source->fill_input_buffer)(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void termSource(j_decompress_ptr) {}

struct HeaderJob {
    ByteSource* source = nullptr;
    JpegFrameSize size;
};

void readHeader(jpeg_decompress_struct& cinfo, void* context) {
    auto& job = *static_cast<HeaderJob*>(context);
    SourceManager reader;
    reader.pub.init_source = initSource;
    reader.pub.fill_input_buffer = fillInputBuffer;
    reader.pub.skip_input_data = skipInputData;
    reader.pub.resync_to_restart = jpeg_resync_to_restart;
    reader.pub.term_source = termSource;
    reader.pub.next_input_byte = nullptr;
    reader.pub.bytes_in_buffer = 0;
    reader.source = job.source;
    reader.position = 0;
    reader.startOfFile = true;
    cinfo.src = &reader.pub;
    jpeg_read_header(&cinfo, TRUE);
    cinfo.src = nullptr; // the reader lives on this step's frame only
    job.size = {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
}

} // namespace

JpegFrameSize readJpegFrameSize(ByteSource& source, const std::string& name) {
    HeaderJob job;
    job.source = &source;
    JpegMessage message;
    if (!guardedDecompress(readHeader, &job, message))
        throw EJpegHeaderError(name + ": " + message.text);
    return job.size;
}

} // namespace platform
