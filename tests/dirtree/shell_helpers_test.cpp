// The tree component's helpers: path strings, and the shell, drive and network calls with the
// boxes they show, over a drive map of temporary folders with every box answered by the test.
#include "dirtree/shell_helpers.h"

#include <optional>
#include <string>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dirtree/languages.h"
#include "platform/core/drives.h"
#include "platform/core/winerror.h"
#include "platform/qt/network.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"
#include "tests/dirtree/qstring_printer.h"

using namespace Qt::StringLiterals;

namespace {

TEST(PathStrings, AddAndDeleteSlash) {
    EXPECT_EQ(AddSlash(u"C:"_s), u"C:\\");
    EXPECT_EQ(AddSlash(u"C:\\"_s), u"C:\\");
    EXPECT_EQ(AddSlash(u"C:\\Photos"_s), u"C:\\Photos\\");
    EXPECT_EQ(AddSlash(QString()), QString());

    EXPECT_EQ(DelSlash(u"C:\\Photos\\"_s), u"C:\\Photos");
    EXPECT_EQ(DelSlash(u"C:\\Photos\\\\"_s), u"C:\\Photos\\");
    EXPECT_EQ(DelSlash(u"C:\\Photos"_s), u"C:\\Photos");
    EXPECT_EQ(DelSlash(u"\\"_s), QString());
    EXPECT_EQ(DelSlash(QString()), QString());
}

TEST(PathStrings, AddNameToPath) {
    EXPECT_EQ(AddNameToPath(u"C:\\Photos"_s, u"a.jpg"_s), u"C:\\Photos\\a.jpg");
    EXPECT_EQ(AddNameToPath(u"C:\\Photos\\"_s, u"a.jpg"_s), u"C:\\Photos\\a.jpg");
    EXPECT_EQ(AddNameToPath(u"C:\\Photos"_s, QString()), QString());
    EXPECT_EQ(AddNameToPath(QString(), u"a.jpg"_s), QString());
}

TEST(PathStrings, AppendNullChar) {
    const QString once = AppendNullChar(u"C:\\a"_s);
    ASSERT_EQ(once.size(), 5);
    EXPECT_EQ(once.back(), QChar(0));
    EXPECT_EQ(AppendNullChar(once), once);
    EXPECT_EQ(AppendNullChar(QString()), QString());
}

TEST(PathStrings, HasAnyCharWithTheFolderNameSet) {
    EXPECT_TRUE(HasAnyChar(InvalidFolderNameChars, u"a+b"_s));
    EXPECT_TRUE(HasAnyChar(InvalidFolderNameChars, u"x=1"_s));
    EXPECT_TRUE(HasAnyChar(InvalidFolderNameChars, u"one, two"_s));
    EXPECT_TRUE(HasAnyChar(InvalidFolderNameChars, u"up^"_s));
    EXPECT_TRUE(HasAnyChar(InvalidFolderNameChars, u"\\"_s));
    EXPECT_FALSE(HasAnyChar(InvalidFolderNameChars, u"Holiday Photos 2004"_s));
    EXPECT_FALSE(HasAnyChar(InvalidFolderNameChars, u"Neuer Ordner"_s));
    EXPECT_FALSE(HasAnyChar(InvalidFolderNameChars, QString()));
    EXPECT_FALSE(HasAnyChar(QString(), u"a+b"_s));
}

// C: a fixed drive, D: a removable drive without a medium, E: a removable drive with one; every
// message box is answered with `answer` and recorded.
class ShellHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixed.isValid() && empty.isValid() && card.isValid() && home.isValid());
        qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(u"config"_s).toUtf8());
        qputenv("XDG_DATA_HOME", QDir(home.path()).filePath(u"data"_s).toUtf8());
        platform::setDriveMap({
            {'C', fixed.path().toStdString(), platform::DRIVE_FIXED, "", true},
            {'D', empty.path().toStdString(), platform::DRIVE_REMOVABLE, "", false},
            {'E', card.path().toStdString(), platform::DRIVE_REMOVABLE, "CARD", true},
        });
        platform::recordedMessageBoxes().clear();
        platform::setMessageBoxAnswerer([this](const platform::MessageBoxCall&) { return answer; });
    }

    void TearDown() override {
        platform::setMessageBoxAnswerer(nullptr);
        platform::recordedMessageBoxes().clear();
        platform::setShellExecuteAnswerer(nullptr);
        platform::setFolderPickerAnswerer(nullptr);
        platform::setDriveMap({});
        CurrentLanguage = lnEnglish;
        LoadLanguageTexts();
    }

    const std::vector<platform::MessageBoxCall>& boxes() {
        return platform::recordedMessageBoxes();
    }

    QTemporaryDir fixed, empty, card, home;
    int answer = platform::IDOK;
};

TEST_F(ShellHelpersTest, IsDriveReadyOnReadyAndEmptyDrives) {
    const int beeps = platform::beepCount();
    EXPECT_TRUE(IsDriveReady(u'c', true));
    EXPECT_TRUE(IsDriveReady(u'E', true));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(platform::beepCount(), beeps);

    EXPECT_FALSE(IsDriveReady(u'd', false));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(platform::beepCount(), beeps);

    EXPECT_FALSE(IsDriveReady(u'D', true));
    EXPECT_EQ(platform::beepCount(), beeps + 1);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, u"There is no disk in Drive or Drive is not ready");
    EXPECT_EQ(boxes()[0].flags, platform::MB_OK | platform::MB_ICONWARNING);
}

TEST_F(ShellHelpersTest, IsDriveReadyWithANonLetterWarnsAndStillAsks) {
    EXPECT_FALSE(IsDriveReady(u'1', true));
    // The invalid-drive box first, then the not-ready box of the query that still took place.
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0].text, u"Not a valid Drive ID");
    EXPECT_EQ(boxes()[0].flags, platform::MB_OK | platform::MB_ICONERROR);
    EXPECT_EQ(boxes()[1].text, u"There is no disk in Drive or Drive is not ready");

    platform::recordedMessageBoxes().clear();
    EXPECT_FALSE(IsDriveReady(u'1', false));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, u"Not a valid Drive ID");
}

TEST_F(ShellHelpersTest, IsDriveReadySpeaksTheCurrentLanguage) {
    CurrentLanguage = lnGerman;
    LoadLanguageTexts();
    EXPECT_FALSE(IsDriveReady(u'D', true));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, TextsFor(lnGerman).NoDisk);
}

TEST_F(ShellHelpersTest, ShowPropertiesDialogOfAMissingPath) {
    ShowPropertiesDialog(u"C:\\no such folder\\deeper"_s);
    ShowPropertiesDialog(u"C:\\no such file.jpg"_s);
    ASSERT_EQ(boxes().size(), 2u);
    for (const platform::MessageBoxCall& box : boxes()) {
        EXPECT_TRUE(box.text == u"The specified file was not found." ||
                    box.text == u"The specified path was not found.")
            << box.text.toStdString();
        EXPECT_EQ(box.flags, platform::MB_OK);
    }
}

TEST_F(ShellHelpersTest, ExecuteFileReportsAFailure) {
    std::vector<platform::ShellExecuteCall> calls;
    intptr_t result = platform::ERROR_FILE_NOT_FOUND;
    platform::setShellExecuteAnswerer([&](const platform::ShellExecuteCall& call) {
        calls.push_back(call);
        return result;
    });

    EXPECT_EQ(ExecuteFile(u"Open"_s, u"C:\\Photos\\a.jpg"_s, QString(), platform::SW_SHOW,
                          u"C:\\Photos\\"_s),
              2);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, u"Open");
    EXPECT_EQ(calls[0].file, "C:\\Photos\\a.jpg");
    EXPECT_EQ(calls[0].directory, "C:\\Photos\\");
    EXPECT_EQ(calls[0].showCmd, platform::SW_SHOW);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, u"ERROR - Can't Open file C:\\Photos\\a.jpg");

    CurrentLanguage = lnFrench;
    LoadLanguageTexts();
    ExecuteFile(u"Open"_s, u"C:\\b.jpg"_s, QString(), platform::SW_SHOW, u"C:\\"_s);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[1].text, u"ERREUR - Action impossible : Open fichier C:\\b.jpg");

    result = 33;
    EXPECT_EQ(ExecuteFile(u"Open"_s, u"C:\\c.jpg"_s, QString(), platform::SW_SHOW, u"C:\\"_s), 33);
    EXPECT_EQ(boxes().size(), 2u);
}

TEST_F(ShellHelpersTest, AddNetConnectionReportsTheSystemsText) {
    const uint32_t result = AddNetConnection(u"G:"_s, u"C:\\no share here"_s, true, false);
    ASSERT_NE(result, 0u);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, u"Error while connecting!");
    EXPECT_EQ(boxes()[0].flags, platform::MB_OK);
    EXPECT_EQ(boxes()[0].text, u"An error occured while connecting:\r\n"_s +
                                   QString::fromStdString(platform::systemMessage(result)));

    EXPECT_NE(AddNetConnection(u"G:"_s, u"C:\\no share here"_s, false, false), 0u);
    EXPECT_EQ(boxes().size(), 1u);

    ASSERT_TRUE(QDir(fixed.path()).mkdir(u"share"_s));
    EXPECT_EQ(AddNetConnection(u"G:"_s, u"C:\\share"_s, true, false), 0u);
    EXPECT_EQ(boxes().size(), 1u);
    EXPECT_EQ(platform::driveType("G:\\"), platform::DRIVE_REMOTE);
    EXPECT_EQ(platform::wnetCancelConnection("G:", true), 0u);
}

TEST_F(ShellHelpersTest, BrowseForFolderAddsOneBackslash) {
    std::optional<std::string> pick = "D:\\";
    QString title;
    platform::setFolderPickerAnswerer([&](const QString& t) {
        title = t;
        return pick;
    });
    QString path = u"left over"_s;
    EXPECT_TRUE(BrowseForFolder(nullptr, path, brNone, false));
    EXPECT_EQ(path, u"D:\\");
    EXPECT_EQ(title, u"Please specify a directory");

    pick = "C:\\Photos";
    EXPECT_TRUE(BrowseForFolder(nullptr, path, brNetwork, false));
    EXPECT_EQ(path, u"C:\\Photos\\");

    pick = std::nullopt;
    EXPECT_FALSE(BrowseForFolder(nullptr, path, brDesktop, true));
    EXPECT_TRUE(path.isEmpty());
}

TEST_F(ShellHelpersTest, ShellFileOpFollowsTheUsersAnswer) {
    const QDir root(fixed.path());
    ASSERT_TRUE(root.mkpath(u"keep/inner"_s));
    ASSERT_TRUE(root.mkdir(u"target"_s));

    answer = platform::IDNO;
    EXPECT_FALSE(ShellFileOp(platform::FO_DELETE, u"C:\\keep"_s, QString()));
    EXPECT_FALSE(boxes().empty()) << "the shell asks before deleting";
    EXPECT_TRUE(root.exists(u"keep/inner"_s));

    answer = platform::IDYES;
    EXPECT_TRUE(ShellFileOp(platform::FO_COPY, u"C:\\keep"_s, u"C:\\target\\"_s));
    EXPECT_TRUE(root.exists(u"target/keep/inner"_s));
    EXPECT_TRUE(root.exists(u"keep/inner"_s));

    EXPECT_TRUE(ShellFileOp(platform::FO_RENAME, u"C:\\keep"_s, u"C:\\kept"_s));
    EXPECT_TRUE(root.exists(u"kept/inner"_s));
    EXPECT_FALSE(root.exists(u"keep"_s));
}

TEST_F(ShellHelpersTest, IconsAndShellFolders) {
    ASSERT_TRUE(QDir(fixed.path()).mkdir(u"Photos"_s));
    const int closed = GetIconIndex(u"C:\\Photos"_s);
    const int open = GetOpenIconIndex(u"C:\\Photos"_s);
    EXPECT_GE(closed, 0);
    EXPECT_GE(open, 0);
    EXPECT_NE(closed, open);
    EXPECT_GE(GetIconIndex(u"C:\\"_s), 0);
    EXPECT_EQ(GetIconIndex(u"C:\\missing"_s), -1);

    EXPECT_TRUE(GetShellFolderPath(sfWindows).endsWith(u'\\'));
    EXPECT_TRUE(GetShellFolderPath(sfSystem).endsWith(u'\\'));
    for (int kind = sfDesktop; kind <= sfStartUp; ++kind) {
        const QString path = GetShellFolderPath(TShellFolderKind(kind));
        EXPECT_TRUE(path.isEmpty() || (path.endsWith(u'\\') && !path.endsWith(u"\\\\")))
            << kind << " " << path.toStdString();
    }
}

} // namespace
