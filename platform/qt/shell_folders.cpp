// The user's special folders from the XDG user folders, and the system folder stand-ins.
//
// GetWindowsDirectory stands for the host's /etc (the system's own settings, "C:\etc" with the
// default map) and GetSystemDirectory for /usr/lib (the shared libraries, "C:\usr\lib").
#include "platform/qt/shell.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/core/drives.h"

namespace platform {

namespace {

std::optional<std::string> programPathOf(const QString& hostFolder) {
    if (hostFolder.isEmpty() || !QDir(hostFolder).exists())
        return std::nullopt;
    std::string program = fromHostPath(QDir::cleanPath(hostFolder).toStdString());
    if (program.empty())
        return std::nullopt;
    return program;
}

QString configFolder(const QString& name) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + name;
}

QString applicationsFolder() {
    const QString own = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    return QDir(own).exists() ? own : QStringLiteral("/usr/share/applications");
}

std::string nominal(const char* hostFolder, const char* fallback) {
    const std::string program = fromHostPath(hostFolder);
    return program.empty() ? fallback : program;
}

} // namespace

std::optional<std::string> shellFolderValue(std::string_view valueName) {
    if (valueName == "DeskTop")
        return programPathOf(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (valueName == "Personal")
        return programPathOf(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (valueName == "Programs" || valueName == "Start Menu")
        return programPathOf(applicationsFolder());
    if (valueName == "StartUp")
        return programPathOf(configFolder(QStringLiteral("autostart")));
    // Favorites, SendTo and NetHood have no counterpart on the desktop.
    return std::nullopt;
}

std::string windowsDirectory() {
    return nominal("/etc", "C:\\etc");
}

std::string systemDirectory() {
    return nominal("/usr/lib", "C:\\usr\\lib");
}

} // namespace platform
