// Lossless and readable texts of names that are bytes.
#include "platform/qt/path_text.h"

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // lone low surrogates U+DC80..U+DCFF carry bytes

// Length of the valid UTF-8 sequence at the start of bytes (shortest form, no surrogates, at
// most U+10FFFF), or 0 when the first byte does not start one. Writes its code point.
size_t validSequence(std::string_view bytes, char32_t& code) {
    const auto byte = [&](size_t i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    const unsigned char lead = byte(0);
    size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void appendCode(QString& text, char32_t code) {
    if (code < 0x10000) {
        text.append(QChar(static_cast<char16_t>(code)));
    } else {
        text.append(QChar(QChar::highSurrogate(code)));
        text.append(QChar(QChar::lowSurrogate(code)));
    }
}

// Decodes bytes, handing every byte outside a valid sequence to escape.
template <typename Escape> QString decode(std::string_view bytes, Escape escape) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty()) {
        char32_t code = 0;
        const size_t length = validSequence(bytes, code);
        if (length == 0) {
            text.append(escape(static_cast<unsigned char>(bytes[0])));
            bytes.remove_prefix(1);
            continue;
        }
        appendCode(text, code);
        bytes.remove_prefix(length);
    }
    return text;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

QString pathText(std::string_view bytes) {
    return decode(bytes, [](unsigned char byte) { return QChar(char16_t(kEscapeBase + byte)); });
}

std::string pathBytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            out.push_back(static_cast<char>(unit - kEscapeBase));
        } else {
            // Any other lone surrogate cannot come from a name; it stands for itself as best it
            // can, as the toolkit's own conversion would write it.
            appendUtf8(out, QChar::isSurrogate(unit) ? char32_t(0xFFFD) : char32_t(unit));
        }
    }
    return out;
}

QString displayText(std::string_view bytes) {
    return decode(bytes, [](unsigned char byte) { return QChar(char16_t(byte)); });
}

bool isUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        char32_t code = 0;
        const size_t length = validSequence(bytes, code);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

} // namespace platform
