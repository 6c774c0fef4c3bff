// The one guarded call into libjpeg: a decompressor (or compressor) is made, one step of work runs
// on it under libjpeg's error handling, and it is destroyed on every way out. libjpeg ends a fatal
// error with a longjmp back to the guard, which makes it an EJpegError; warnings (a damaged
// segment, data cut short) are not errors, so a picture shows what is there. Thread-safe: two
// calls share nothing.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include "platform/jpeg/jpeg_error.h"

namespace platform {

// The text of the error that ended a step.
struct JpegMessage {
    char text[JMSG_LENGTH_MAX] = {};
};

using DecompressStep = void (*)(jpeg_decompress_struct& cinfo, void* context);
using CompressStep = void (*)(jpeg_compress_struct& cinfo, void* context);

// Runs step(cinfo, context) on a new decompressor (compressor), then destroys it; false with the
// error's text in message when libjpeg, or the step through failJpegStep, ended it. libjpeg leaves
// the step by longjmp from inside any of its calls, so the step keeps no local with a destructor
// alive across a libjpeg call: what it makes lives in context.
bool guardedDecompress(DecompressStep step, void* context, JpegMessage& message);
bool guardedCompress(CompressStep step, void* context, JpegMessage& message);

// Ends the running step with a failure of the program's own (a picture too large), the way libjpeg
// ends it with its errors.
[[noreturn]] void failJpegStep(j_common_ptr cinfo, const char* text);

// The guarded call of a callable step(cinfo); raises EJpegError(prefix + the error's text).
template <class Step> void withDecompressor(Step& step, const std::string& prefix = {}) {
    JpegMessage message;
    const DecompressStep run = [](jpeg_decompress_struct& cinfo, void* context) {
        (*static_cast<Step*>(context))(cinfo);
    };
    if (!guardedDecompress(run, &step, message))
        throw EJpegError(prefix + message.text);
}

template <class Step> void withCompressor(Step& step, const std::string& prefix = {}) {
    JpegMessage message;
    const CompressStep run = [](jpeg_compress_struct& cinfo, void* context) {
        (*static_cast<Step*>(context))(cinfo);
    };
    if (!guardedCompress(run, &step, message))
        throw EJpegError(prefix + message.text);
}

} // namespace platform
