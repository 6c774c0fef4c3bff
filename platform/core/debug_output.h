// OutputDebugString: a line for whoever debugs the program, never shown to its user. It goes to
// standard error unless a test takes the lines instead. Thread-safe.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

void outputDebugString(std::string_view line);

// Tests take the lines instead of standard error; nullptr gives them back.
using DebugOutputSink = std::function<void(const std::string&)>;
void setDebugOutputSink(DebugOutputSink sink);

} // namespace platform
