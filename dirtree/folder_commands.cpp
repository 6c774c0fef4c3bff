// The folder commands' rules and texts.
#include "dirtree/folder_commands.h"

#include "dirtree/shell_helpers.h"
#include "platform/core/folder_nesting.h"
#include "platform/qt/path_text.h"

int ClipOp = coNone;
int DragOp = doMove;

std::array<bool, MenuItemCount> MenuItemStates(int selectedLevel, bool pasteArmed) {
    const bool drive = selectedLevel > 0; // a drive or a folder
    const bool folder = selectedLevel > 1;
    std::array<bool, MenuItemCount> enabled{};
    enabled[tagAddNode - 1] = drive;
    enabled[tagEditNode - 1] = folder;
    enabled[tagDelNode - 1] = folder;
    enabled[tagCutNode - 1] = folder;
    enabled[tagCopyNode - 1] = folder;
    enabled[tagPasteNode - 1] = folder && pasteArmed;
    enabled[tagGetTreeSize - 1] = drive;
    enabled[tagShowFolderContents - 1] = drive;
    enabled[tagConnectNetResource - 1] = true;
    enabled[tagDisConnectNetResource - 1] = true;
    enabled[tagItemProperty - 1] = drive;
    return enabled;
}

QLocale ReportLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale;
}

QString TreeSizeHeading(int level, const QString& path, const TLanguageTexts& texts) {
    if (level == 1)
        return texts.DriveWord + path;
    if (level > 1)
        return texts.FolderWord + LastName(path) + QLatin1Char('"');
    return {};
}

QString TreeSizeByteText(double total, const QLocale& locale) {
    return locale.toString(total, 'f', 0) + QStringLiteral(" Bytes");
}

QString TreeSizeSizeText(double total, const QLocale& locale) {
    double kilobytes = total / 1024;
    if (total > 0 && total < 1024)
        kilobytes = 1;
    if (kilobytes > 99999)
        return locale.toString(kilobytes / 1024, 'f', 2) + QStringLiteral(" MB");
    return locale.toString(kilobytes, 'f', 2) + QStringLiteral(" KB");
}

QString TreeSizeMessage(const QString& heading, double total, const TLanguageTexts& texts,
                        const QLocale& locale) {
    return QStringLiteral("===== ") + texts.TreeSizeTitle + QStringLiteral(" =====") +
           QStringLiteral("\r\r") + heading + QStringLiteral("\r") + texts.SubFoldersNote +
           QStringLiteral("\r") + QStringLiteral(" =  ") + TreeSizeByteText(total, locale) +
           QStringLiteral("\r") + QStringLiteral("     (i.e. ") + TreeSizeSizeText(total, locale) +
           QStringLiteral(" )");
}

QString FolderContentsTitlePart(int level, const QString& path) {
    if (level == 1)
        return QStringLiteral("\" ") + path.left(1) + QStringLiteral(":\\ \"");
    return QStringLiteral("\" ..\\") + LastName(path) + QStringLiteral(" \"");
}

QString FolderContentsCaption(int level, const QString& path) {
    return QStringLiteral("Files in ") + FolderContentsTitlePart(level, path);
}

QString LastName(const QString& path) {
    const QString folder = DelSlash(path);
    return folder.mid(folder.lastIndexOf(QLatin1Char('\\')) + 1);
}

bool IsValidFolderName(const QString& name) {
    return !name.isEmpty() && !HasAnyChar(InvalidFolderNameChars, name);
}

QString RenamedPath(const QString& oldPath, const QString& newName) {
    const QString folder = DelSlash(oldPath);
    return folder.left(folder.lastIndexOf(QLatin1Char('\\')) + 1) + newName;
}

QString RenameQuestionText(const QString& oldPath, const QString& newPath,
                           const TLanguageTexts& texts) {
    return texts.RenameQuestion + QStringLiteral("\r") + QStringLiteral("\r") +
           QStringLiteral("    ") + texts.FromLabel + LastName(oldPath) + QStringLiteral("\r") +
           QStringLiteral("    ") + texts.ToLabel + LastName(newPath);
}

QString InvalidNameText(const QString& name, const TLanguageTexts& texts) {
    return texts.InvalidDirName + QStringLiteral("\r") + name;
}

bool PutsFolderInsideItself(const QString& source, const QString& target) {
    return platform::folderLiesWithin(platform::pathBytes(target),
                                      platform::pathBytes(DelSlash(source)));
}

bool NodeCanBeEdited(int level, bool readOnly) {
    return level >= 2 && !readOnly;
}
