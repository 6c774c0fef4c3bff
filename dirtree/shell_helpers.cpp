// Path strings, shell calls, drive checks and network connections for the tree component, with
// the component's own messages in the current language.
#include "dirtree/shell_helpers.h"

#include <array>
#include <string>
#include <string_view>

#include <QWidget>

#include "dirtree/languages.h"
#include "platform/core/drives.h"
#include "platform/core/winerror.h"
#include "platform/qt/network.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

namespace {

constexpr QChar kBackslash = u'\\';
constexpr QChar kNul = QChar(0);

// Paths are pathText of their bytes (a folder name need not be UTF-8).
std::string ToStd(const QString& text) {
    return platform::pathBytes(text);
}

// A double-NUL-terminated list of one name, as the shell's file operations take it; an empty
// text stays an empty list.
std::string ToNameList(const QString& name) {
    std::string list = ToStd(AppendNullChar(name));
    if (!list.empty())
        list.push_back('\0');
    return list;
}

int BrowseRootCsidl(TBrowseRoot root) {
    switch (root) {
    case brDesktop:
        return platform::CSIDL_DESKTOP;
    case brCommonPrograms:
        return platform::CSIDL_COMMON_PROGRAMS;
    case brPrinters:
        return platform::CSIDL_PRINTERS;
    case brPersonal:
        return platform::CSIDL_PERSONAL;
    case brCommonStartMenu:
        return platform::CSIDL_COMMON_STARTMENU;
    case brNetwork:
        return platform::CSIDL_NETWORK;
    case brNone:
        break;
    }
    return -1;
}

// The texts of the properties sheet's failures stay English in every language.
QString PropertiesErrorText(uint32_t code) {
    switch (code) {
    case platform::ERROR_FILE_NOT_FOUND:
        return QStringLiteral("The specified file was not found.");
    case platform::ERROR_PATH_NOT_FOUND:
        return QStringLiteral("The specified path was not found.");
    case platform::ERROR_ACCESS_DENIED:
        return QStringLiteral("Access denied");
    case platform::ERROR_NOT_ENOUGH_MEMORY:
        return QStringLiteral("Not enough memory for this operation");
    case platform::ERROR_SHARING_VIOLATION:
        return QStringLiteral("Sharing violation");
    case platform::ERROR_NO_ASSOCIATION:
        return QStringLiteral(
            "There is no application associated with the given filename extension.");
    case platform::ERROR_DDE_FAIL:
        return QStringLiteral("The DDE transaction failed.");
    case platform::ERROR_DLL_NOT_FOUND:
        return QStringLiteral("DLL not found");
    case platform::ERROR_CANCELLED:
        return QStringLiteral("The function prompted the user for the location of the "
                              "application, but the user cancelled the request.");
    default:
        return {};
    }
}

} // namespace

QString AddSlash(const QString& path) {
    if (path.isEmpty() || path.endsWith(kBackslash))
        return path;
    return path + kBackslash;
}

QString DelSlash(const QString& path) {
    if (path.endsWith(kBackslash))
        return path.left(path.size() - 1);
    return path;
}

QString AddNameToPath(const QString& directory, const QString& name) {
    if (directory.isEmpty() || name.isEmpty())
        return {};
    return AddSlash(directory) + name;
}

QString AppendNullChar(const QString& text) {
    if (text.isEmpty() || text.endsWith(kNul))
        return text;
    return text + kNul;
}

bool HasAnyChar(const QString& characterSet, const QString& text) {
    for (const QChar c : characterSet) {
        if (text.contains(c))
            return true;
    }
    return false;
}

int GetIconIndex(const QString& path) {
    return platform::shellIconIndex(ToStd(path), platform::IconSize::Small, false);
}

int GetOpenIconIndex(const QString& path) {
    return platform::shellIconIndex(ToStd(path), platform::IconSize::Small, true);
}

QString GetShellFolderPath(TShellFolderKind kind) {
    static constexpr std::array<std::string_view, 8> kValueNames = {
        "DeskTop",  "Favorites", "NetHood",    "Personal",
        "Programs", "SendTo",    "Start Menu", "StartUp",
    };
    std::string path;
    if (kind == sfWindows) {
        path = platform::windowsDirectory();
    } else if (kind == sfSystem) {
        path = platform::systemDirectory();
    } else if (kind >= sfDesktop && std::size_t(kind) < kValueNames.size()) {
        path = platform::shellFolderValue(kValueNames[std::size_t(kind)]).value_or(std::string());
    }
    return AddSlash(platform::pathText(path));
}

bool ShellFileOp(unsigned operation, const QString& source, const QString& destination) {
    platform::ShFileOpStruct op;
    op.owner = platform::activeWindow();
    op.func = operation;
    op.from = ToNameList(source);
    op.to = ToNameList(destination);
    op.flags = platform::FOF_ALLOWUNDO;
    const int result = platform::shFileOperation(op);
    return result == 0 && !op.anyOperationsAborted;
}

bool BrowseForFolder(QWidget* owner, QString& path, TBrowseRoot root, bool includeFiles) {
    path.clear();
    const std::optional<std::string> chosen = platform::browseForFolder(
        owner, LanguageTexts.BrowseTitle, BrowseRootCsidl(root), includeFiles);
    if (!chosen || chosen->empty())
        return false;
    path = AddSlash(platform::pathText(*chosen));
    return true;
}

bool IsDriveReady(QChar drive, bool showMessages) {
    char16_t letter = drive.unicode();
    if (letter >= u'a' && letter <= u'z')
        letter = char16_t(letter - u'a' + u'A');
    // An invalid letter is reported but still asked for: the size query then tells it is not
    // ready, so the caller gets false either way.
    if (letter < u'A' || letter > u'Z')
        platform::messageBox(nullptr, LanguageTexts.InvalidDrive, QString(),
                             platform::MB_OK | platform::MB_ICONERROR);
    if (platform::driveTotalSize(int(letter) - 64) != -1)
        return true;
    if (showMessages) {
        platform::messageBeep(platform::MB_ICONHAND);
        platform::messageBox(nullptr, LanguageTexts.NoDisk, QString(),
                             platform::MB_OK | platform::MB_ICONWARNING);
    }
    return false;
}

void ShowPropertiesDialog(const QString& path) {
    if (platform::showPropertiesSheet(nullptr, ToStd(path)))
        return;
    const QString text = PropertiesErrorText(platform::lastError());
    if (!text.isEmpty())
        platform::messageBox(nullptr, text, QString(), platform::MB_OK);
}

int ExecuteFile(const QString& operation, const QString& fileName, const QString& parameters,
                int showCmd, const QString& directory) {
    const intptr_t result =
        platform::shellExecute(platform::activeWindow(), operation, ToStd(fileName), parameters,
                               ToStd(directory), showCmd);
    if (result <= 32)
        platform::messageBox(
            nullptr, LanguageTexts.ErrorCant + operation + LanguageTexts.FileWord + fileName,
            QString(), platform::MB_OK | platform::MB_ICONERROR);
    return int(result);
}

uint32_t AddNetConnection(const QString& drive, const QString& path, bool showError,
                          bool reconnect) {
    const uint32_t result = platform::wnetAddConnection(ToStd(drive), ToStd(path), reconnect);
    if (result != 0 && showError) {
        const QString message =
            QString::fromStdString(platform::systemMessage(platform::lastError()));
        platform::messageBox(nullptr,
                             QStringLiteral("An error occured while connecting:\r\n") + message,
                             QStringLiteral("Error while connecting!"), platform::MB_OK);
    }
    return result;
}
