// The size a JPEG picture declares in its frame header, read by libjpeg-turbo from a byte source
// without decoding a pixel and without Qt: what the command-line tools need of a picture.
// libjpeg's setjmp/longjmp error handling stays inside this unit. Thread-safe (no shared state).
#pragma once

#include <stdexcept>
#include <string>

#include "bytes/byte_source.h"

namespace platform {

// libjpeg cannot read the picture's header; the message names the file and the problem.
class EJpegHeaderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct JpegFrameSize {
    int width = 0;
    int height = 0;
};

// Reads the header of the JPEG in source from its start, as libjpeg reads a file: data that ends
// before the first scan gives libjpeg's own message, and a failed read counts as the end of the
// data. name stands for the file in the message. Raises EJpegHeaderError.
JpegFrameSize readJpegFrameSize(ByteSource& source, const std::string& name);

} // namespace platform
