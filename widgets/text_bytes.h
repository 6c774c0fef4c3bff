// EXIF texts are bytes as the camera wrote them: UTF-8 when they decode as such, otherwise one
// character per byte.
#pragma once

#include <string>

#include <QString>

inline QString TextFromBytes(const std::string& bytes) {
    QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (text.contains(QChar::ReplacementCharacter))
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text;
}
