// Names as bytes in the windows' texts: every byte sequence comes back unchanged from its path
// text, and reads as UTF-8 where it is UTF-8 and as Latin-1 byte by byte where it is not.
#include "platform/qt/path_text.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct NameCase {
    std::string bytes;
    QString display;
    bool utf8;
};

TEST(PathText, EveryNameComesBackByteForByteAndReadsReadably) {
    const NameCase cases[] = {
        {"C:\\Photos\\a.jpg", QStringLiteral("C:\\Photos\\a.jpg"), true},
        {"caf\xC3\xA9.jpg", QStringLiteral("caf\u00e9.jpg"), true},
        {"caf\xE9.jpg", QStringLiteral("caf\u00e9.jpg"), false},
        {"caf\xEF\xBF\xBD.jpg", QStringLiteral("caf\uFFFD.jpg"), true},
        {"\xF0\x9F\x93\xB7", QString::fromUtf8("\xF0\x9F\x93\xB7"), true}, // outside the BMP
        {"\xC0\xAF", QStringLiteral("\u00c0\u00af"), false},               // overlong "/"
        {"\xED\xB3\xA9", QStringLiteral("\u00ed\u00b3\u00a9"), false},     // encoded surrogate
        {"\xF4\x90\x80\x80", QStringLiteral("\u00f4\u0090\u0080\u0080"), false}, // past U+10FFFF
        {"\xE2\x82", QStringLiteral("\u00e2\u0082"), false},                     // cut short
        {"\xC3\xA9\xE9", QStringLiteral("\u00e9\u00e9"), false},                 // mixed
        {std::string("a\0b", 3), QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b"),
         true},
    };
    for (const NameCase& name : cases) {
        EXPECT_EQ(pathBytes(pathText(name.bytes)), name.bytes) << name.bytes;
        EXPECT_EQ(displayText(name.bytes), name.display) << name.bytes;
        EXPECT_EQ(isUtf8(name.bytes), name.utf8) << name.bytes;
        if (name.utf8) {
            EXPECT_EQ(pathText(name.bytes), name.display) << name.bytes;
        }
    }
    // Every single byte and every pair of bytes survives the round trip.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string bytes{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(pathBytes(pathText(bytes)), bytes) << a << " " << b;
        }
    }
    // Paths joined as texts join their bytes.
    EXPECT_EQ(pathBytes(pathText("C:\\caf\xE9") + QStringLiteral("\\") + pathText("\xFC.jpg")),
              "C:\\caf\xE9\\\xFC.jpg");
}

} // namespace
