// The folder commands' rules without a window: menu states, tree-size texts, the contents caption,
// rename checks and texts, the map-network-drive dialog's offered letters and the menu glyphs.
#include "dirtree/folder_commands.h"

#include <vector>

#include <QImage>
#include <QLocale>

#include <gtest/gtest.h>

#include "dirtree/languages.h"
#include "dirtree/menu_glyphs.h"
#include "dirtree/net_path_dlg.h"
#include "dirtree/popup_menu.h"
#include "qstring_printer.h"

namespace {

const TLanguageTexts& English() {
    return TextsFor(lnEnglish);
}

QString Enabled(int level, bool pasteArmed) {
    QString marks;
    for (bool on : MenuItemStates(level, pasteArmed))
        marks += on ? QLatin1Char('x') : QLatin1Char('.');
    return marks;
}

} // namespace

TEST(FolderCommandsTest, MenuStatesFollowTheSelectedLevel) {
    // New, Rename, Delete, Cut, Copy, Paste, Tree Size, Contents, Map, Disconnect, Property.
    EXPECT_EQ(Enabled(-1, true), QStringLiteral("........xx."));
    EXPECT_EQ(Enabled(0, true), QStringLiteral("........xx."));
    EXPECT_EQ(Enabled(1, true), QStringLiteral("x.....xxxxx"));
    EXPECT_EQ(Enabled(2, false), QStringLiteral("xxxxx.xxxxx"));
    EXPECT_EQ(Enabled(2, true), QStringLiteral("xxxxxxxxxxx"));
    EXPECT_EQ(Enabled(5, true), QStringLiteral("xxxxxxxxxxx"));
}

TEST(FolderCommandsTest, TreeSizeTextsInTheUsersLocale) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    const struct {
        double total;
        const char* bytes;
        const char* size;
    } cases[] = {
        {0, "0 Bytes", "0.00 KB"},
        {500, "500 Bytes", "1.00 KB"}, // anything below 1024 counts as one kilobyte
        {1023, "1,023 Bytes", "1.00 KB"},
        {1536, "1,536 Bytes", "1.50 KB"},
        {99999.0 * 1024, "102,398,976 Bytes", "99,999.00 KB"},
        {99999.0 * 1024 + 1024, "102,400,000 Bytes", "97.66 MB"},
        {200000000, "200,000,000 Bytes", "190.73 MB"},
        {5e12, "5,000,000,000,000 Bytes", "4,768,371.58 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TreeSizeByteText(c.total, us), QString::fromLatin1(c.bytes)) << c.total;
        EXPECT_EQ(TreeSizeSizeText(c.total, us), QString::fromLatin1(c.size)) << c.total;
    }
    EXPECT_EQ(TreeSizeByteText(200000000, de), QStringLiteral("200.000.000 Bytes"));
    EXPECT_EQ(TreeSizeSizeText(200000000, de), QStringLiteral("190,73 MB"));

    // The "C" locale leaves thousands separators out unless asked for them.
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(TreeSizeByteText(1234567, ReportLocale()), QStringLiteral("1,234,567 Bytes"));
    QLocale::setDefault(saved);
}

TEST(FolderCommandsTest, TreeSizeReport) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(TreeSizeHeading(0, QString(), English()), QString());
    EXPECT_EQ(TreeSizeHeading(1, QStringLiteral("C:\\"), English()), QStringLiteral("Drive C:\\"));
    EXPECT_EQ(TreeSizeHeading(3, QStringLiteral("C:\\Photos\\2008"), English()),
              QStringLiteral("Folder \"2008\""));
    EXPECT_EQ(TreeSizeMessage(QStringLiteral("Folder \"Photos\""), 1234, English(), us),
              QStringLiteral("===== TREE SIZE =====\r\rFolder \"Photos\"\rand all its Sub-Folders "
                             "\r =  1,234 Bytes\r     (i.e. 1.21 KB )"));
    EXPECT_EQ(TreeSizeHeading(1, QStringLiteral("D:\\"), TextsFor(lnGerman)),
              TextsFor(lnGerman).DriveWord + QStringLiteral("D:\\"));
}

TEST(FolderCommandsTest, FolderContentsCaption) {
    EXPECT_EQ(FolderContentsCaption(1, QStringLiteral("C:\\")),
              QStringLiteral("Files in \" C:\\ \""));
    EXPECT_EQ(FolderContentsCaption(2, QStringLiteral("C:\\Photos")),
              QStringLiteral("Files in \" ..\\Photos \""));
    EXPECT_EQ(FolderContentsCaption(3, QStringLiteral("C:\\Photos\\2008\\")),
              QStringLiteral("Files in \" ..\\2008 \""));
}

TEST(FolderCommandsTest, RenameRulesAndTexts) {
    EXPECT_TRUE(IsValidFolderName(QStringLiteral("Holiday 2008")));
    EXPECT_TRUE(IsValidFolderName(QStringLiteral("a.b-c_d (2)")));
    EXPECT_FALSE(IsValidFolderName(QString()));
    for (const QChar c : QStringLiteral("\\*?/=\"<>|:,;+^"))
        EXPECT_FALSE(IsValidFolderName(QStringLiteral("a") + c + QStringLiteral("b")))
            << c.toLatin1();

    EXPECT_EQ(RenamedPath(QStringLiteral("C:\\Photos\\2008"), QStringLiteral("Trip")),
              QStringLiteral("C:\\Photos\\Trip"));
    EXPECT_EQ(RenamedPath(QStringLiteral("C:\\Photos\\"), QStringLiteral("Pictures")),
              QStringLiteral("C:\\Pictures"));
    EXPECT_EQ(RenameQuestionText(QStringLiteral("C:\\Photos\\2008"),
                                 QStringLiteral("C:\\Photos\\Trip"), English()),
              QStringLiteral("Do you want to rename the selected folder\r\r    From  : 2008\r"
                             "    To     : Trip"));
    EXPECT_EQ(InvalidNameText(QStringLiteral("a,b"), English()),
              QStringLiteral("Error - Invalid Directory Name\ra,b"));

    EXPECT_FALSE(NodeCanBeEdited(0, false));
    EXPECT_FALSE(NodeCanBeEdited(1, false));
    EXPECT_TRUE(NodeCanBeEdited(2, false));
    EXPECT_FALSE(NodeCanBeEdited(2, true));
}

TEST(FolderCommandsTest, OfferedDriveLettersFollowTheHighestDrive) {
    const auto letters = [](std::initializer_list<char> used) {
        uint32_t mask = 0;
        for (char letter : used)
            mask |= 1u << (letter - 'A');
        return OfferedDriveLetters(mask);
    };
    const TDriveOffer acd = letters({'A', 'C', 'D'});
    EXPECT_EQ(acd.DriveText, QStringLiteral("E:")); // B is free, but only later letters are offered
    EXPECT_EQ(acd.Letters.size(), 22);
    EXPECT_EQ(acd.Letters.front(), QStringLiteral("E:"));
    EXPECT_EQ(acd.Letters.back(), QStringLiteral("Z:"));
    EXPECT_EQ(letters({'C', 'F'}).DriveText, QStringLiteral("G:"));
    EXPECT_EQ(letters({'C', 'Y'}).Letters, QStringList({"Z:"}));
    const TDriveOffer full = letters({'C', 'Z'});
    EXPECT_TRUE(full.Letters.isEmpty());
    EXPECT_TRUE(full.DriveText.isEmpty());
    EXPECT_EQ(letters({}).Letters.size(), 26);
}

TEST(FolderCommandsTest, EveryMenuBitmapHasAGlyphOfItsOwn) {
    std::vector<QImage> glyphs;
    for (const char* name : TMavDirTree21PopUp::BitmapNames) {
        const QPixmap drawn = DrawnMenuGlyph(QLatin1String(name));
        ASSERT_FALSE(drawn.isNull()) << name;
        EXPECT_EQ(drawn.size(), QSize(16, 16)) << name;
        EXPECT_FALSE(MenuGlyph(QLatin1String(name)).isNull()) << name;
        glyphs.push_back(drawn.toImage());
    }
    for (size_t i = 0; i < glyphs.size(); ++i) {
        for (size_t j = i + 1; j < glyphs.size(); ++j)
            EXPECT_NE(glyphs[i], glyphs[j]) << TMavDirTree21PopUp::BitmapNames[i] << " and "
                                            << TMavDirTree21PopUp::BitmapNames[j];
    }
    EXPECT_TRUE(DrawnMenuGlyph(QStringLiteral("NoSuch28")).isNull());
}
