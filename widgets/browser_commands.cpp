#include "widgets/browser_commands.h"

#include <QCoreApplication>
#include <QDir>

#include "dirtree/shell_helpers.h"
#include "platform/core/drives.h"
#include "platform/qt/file_commands.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

void SearchFolder(const QString& folder) {
    const std::string bytes = platform::pathBytes(folder);
    platform::shellExecute(nullptr, QStringLiteral("find"), bytes, QString(), bytes,
                           platform::SW_SHOWNORMAL);
}

void OpenHelpFile(QWidget* owner) {
    const QString folder = QString::fromStdString(platform::fromHostPath(
        QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString()));
    // The folder keeps its backslash and the name brings its own: the shell reads "\\" as one.
    const QString help = AddSlash(folder) + QStringLiteral("\\lumograph help.chm");
    platform::shellExecute(owner, QString(), help.toStdString(), QString(), std::string(),
                           platform::SW_SHOW);
}

bool DeleteAfterConfirming(QWidget* owner, const std::string& path) {
    const int answer = platform::messageBox(
        owner,
        QStringLiteral("Are you sure want to permanently delete : ") + platform::displayText(path) +
            QLatin1Char('?'),
        QStringLiteral("Confirm"), platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer != platform::IDYES)
        return false;
    platform::deleteFileShowingProgress(owner, path);
    return true;
}
