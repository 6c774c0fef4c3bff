// What the libjpeg adapters of this folder share: the pixel layout that matches
// QImage::Format_RGB32, CMYK conversion and the extension rule of picture files. Internal to
// platform/qt.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include <QImage>
#include <QtGlobal>

#include <jpeglib.h>

namespace platform {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
// QImage::Format_RGB32 is 0xffRRGGBB, in memory order B, G, R, X.
inline constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_BGRX;
#else
inline constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_XRGB;
#endif

// One row of CMYK samples to RGB32. Adobe writes CMYK inverted (a marker tells); others plain.
void cmykToRgb32(const JSAMPLE* cmyk, QRgb* out, unsigned width, bool inverted);

// The extension of a path's last component, lower-cased, with its dot (".jpg"); empty when none.
std::string lowerExtension(std::string_view path);
// Whether the extension names a JPEG file (.jpg, .jpeg, .jpe, .jfif).
bool isJpegExtension(std::string_view lowerExt);

} // namespace platform
