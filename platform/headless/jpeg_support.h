// The extension rule of picture files, which the picture loaders share.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The extension of a path's last component, lower-cased, with its dot (".jpg"); empty when none.
std::string lowerExtension(std::string_view path);
// Whether the extension names a JPEG file (.jpg, .jpeg, .jpe, .jfif).
bool isJpegExtension(std::string_view lowerExt);

} // namespace platform
