// Debugger output on standard error, or to a test's sink.
#include "platform/core/debug_output.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

std::mutex gMutex;
DebugOutputSink gSink;

} // namespace

void outputDebugString(std::string_view line) {
    DebugOutputSink sink;
    {
        std::lock_guard lock(gMutex);
        sink = gSink;
    }
    if (sink)
        sink(std::string(line));
    else
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

void setDebugOutputSink(DebugOutputSink sink) {
    std::lock_guard lock(gMutex);
    gSink = std::move(sink);
}

} // namespace platform
