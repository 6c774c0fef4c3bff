// libjpeg's error manager and the two guards. The guards' locals are libjpeg's plain C structs, so
// the longjmp back into them skips no destructor.
#include "platform/jpeg/jpeg_guard.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void onJpegError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr) {}

jpeg_error_mgr* install(ErrorManager& manager) {
    jpeg_error_mgr* err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onJpegError;
    manager.pub.output_message = onJpegMessage;
    manager.message[0] = '\0';
    return err;
}

} // namespace

bool guardedDecompress(DecompressStep step, void* context, JpegMessage& message) {
    jpeg_decompress_struct cinfo;
    ErrorManager manager;
    cinfo.err = install(manager);
    if (setjmp(manager.jump)) {
        std::memcpy(message.text, manager.message, sizeof message.text);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    step(cinfo, context);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool guardedCompress(CompressStep step, void* context, JpegMessage& message) {
    jpeg_compress_struct cinfo;
    ErrorManager manager;
    cinfo.err = install(manager);
    if (setjmp(manager.jump)) {
        std::memcpy(message.text, manager.message, sizeof message.text);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    step(cinfo, context);
    jpeg_destroy_compress(&cinfo);
    return true;
}

void failJpegStep(j_common_ptr cinfo, const char* text) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::strncpy(manager->message, text, sizeof manager->message - 1);
    manager->message[sizeof manager->message - 1] = '\0';
    std::longjmp(manager->jump, 1);
}

} // namespace platform
