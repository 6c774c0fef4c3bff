// Names and program paths held in the windows' texts. A name on the disk is bytes, and not every
// byte sequence is UTF-8; the windows keep paths in QString, so the conversion must not lose any.
#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace platform {

// A program path (or a name) as text, losslessly: valid UTF-8 decodes as such; every byte that is
// not part of a valid UTF-8 sequence becomes the lone surrogate U+DC80..U+DCFF, a code point that
// no decoded UTF-8 text contains. pathBytes gives back exactly the bytes.
QString pathText(std::string_view bytes);
std::string pathBytes(const QString& text);

// A name as the user reads it: valid UTF-8 sequences decode as such and each other byte shows as
// its Latin-1 character ("caf\xE9.jpg" reads "café.jpg"). For display only: two names may read
// alike, so commands keep the bytes (or pathText) beside this text.
QString displayText(std::string_view bytes);
// True when the bytes are valid UTF-8 throughout (displayText and pathText then agree).
bool isUtf8(std::string_view bytes);

} // namespace platform
