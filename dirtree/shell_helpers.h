// The tree component's small helpers around paths, the shell, the disks and network drives.
// Their user-visible texts come from the current language (languages.h).
#pragma once

#include <cstdint>

#include <QChar>
#include <QString>

class QWidget;

// The characters a folder name may not contain (new folder and rename).
inline const QString InvalidFolderNameChars = QStringLiteral("\\*?/=\"<>|:,;+^");

// ---- String helpers (pure) -----------------------------------------------------------------
QString AddSlash(const QString& path);
QString DelSlash(const QString& path);
QString AddNameToPath(const QString& directory, const QString& name);
QString AppendNullChar(const QString& text);
bool HasAnyChar(const QString& characterSet, const QString& text);

// ---- Shell and system helpers ---------------------------------------------------------------
int GetIconIndex(const QString& path);     // system small image list, normal icon
int GetOpenIconIndex(const QString& path); // system small image list, open icon

enum TShellFolderKind {
    sfDesktop,
    sfFavorites,
    sfNetHood,
    sfPersonal,
    sfPrograms,
    sfSendTo,
    sfStartMenu,
    sfStartUp,
    sfWindows,
    sfSystem,
};
QString GetShellFolderPath(TShellFolderKind kind);

bool ShellFileOp(unsigned operation, const QString& source, const QString& destination);

enum TBrowseRoot {
    brNone,
    brDesktop,
    brCommonPrograms,
    brPrinters,
    brPersonal,
    brCommonStartMenu,
    brNetwork,
};
bool BrowseForFolder(QWidget* owner, QString& path, TBrowseRoot root, bool includeFiles);

bool IsDriveReady(QChar drive, bool showMessages);
void ShowPropertiesDialog(const QString& path);
int ExecuteFile(const QString& operation, const QString& fileName, const QString& parameters,
                int showCmd, const QString& directory);
uint32_t AddNetConnection(const QString& drive, const QString& path, bool showError,
                          bool reconnect);
