// Lets GoogleTest print QStrings as text in failure messages.
#pragma once

#include <ostream>

#include <QString>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
