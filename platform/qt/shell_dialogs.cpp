// The folder picker, verbs on paths through the desktop's opener, and the properties sheet.
#include "platform/qt/shell.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "platform/core/drives.h"
#include "platform/core/file_tree.h"
#include "platform/core/files.h"
#include "platform/core/host_path.h"
#include "platform/core/winerror.h"
#include "platform/qt/shell_internal.h"

namespace platform {

namespace {

FolderPickerAnswerer gPickerAnswerer;
ShellExecuteAnswerer gExecuteAnswerer;

// Results of ShellExecute: above 32 is success.
constexpr intptr_t kStarted = 42;
constexpr intptr_t kFileNotFound = 2;
constexpr intptr_t kPathNotFound = 3;
constexpr intptr_t kNoAssociation = 31;

QString startFolderFor(int rootCsidl) {
    const auto firstExisting = [](std::initializer_list<QString> candidates) {
        for (const QString& c : candidates) {
            if (!c.isEmpty() && QDir(c).exists())
                return c;
        }
        return QDir::homePath();
    };
    switch (rootCsidl) {
    case CSIDL_DESKTOP:
        return firstExisting({QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)});
    case CSIDL_PERSONAL:
        return firstExisting({QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)});
    case CSIDL_NETWORK:
        return firstExisting({QStringLiteral("/mnt"), QStringLiteral("/media")});
    case CSIDL_COMMON_PROGRAMS:
    case CSIDL_COMMON_STARTMENU:
        return firstExisting({QStringLiteral("/usr/share/applications")});
    case CSIDL_DRIVES:
        return QStringLiteral("/");
    default:
        return QDir::homePath();
    }
}

intptr_t openWith(const QString& program, const QStringList& arguments, const QString& folder) {
    return QProcess::startDetached(program, arguments, folder) ? kStarted : kNoAssociation;
}

QString dateText(const struct statx_timestamp& t) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(t.tv_sec), QLocale::LongFormat);
}

QString sizeText(uint64_t bytes) {
    return QStringLiteral("%1 (%2 bytes)")
        .arg(QLocale().formattedDataSize(static_cast<qint64>(bytes)),
             QLocale().toString(static_cast<qulonglong>(bytes)));
}

} // namespace

std::optional<std::string> browseForFolder(QWidget* owner, const QString& title, int rootCsidl,
                                           bool includeFiles) {
    if (gPickerAnswerer)
        return gPickerAnswerer(title);
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    if (!includeFiles)
        options |= QFileDialog::ShowDirsOnly;
    const QString chosen =
        QFileDialog::getExistingDirectory(owner, title, startFolderFor(rootCsidl), options);
    if (chosen.isEmpty())
        return std::nullopt;
    std::string program = fromHostPath(QDir::cleanPath(chosen).toStdString());
    if (program.empty())
        return std::nullopt; // outside every drive: no path the program can use
    return program;
}

void setFolderPickerAnswerer(FolderPickerAnswerer answerer) {
    gPickerAnswerer = std::move(answerer);
}

intptr_t shellExecute(QWidget* owner, const QString& verb, std::string_view file,
                      const QString& parameters, std::string_view directory, int showCmd) {
    if (gExecuteAnswerer)
        return gExecuteAnswerer(
            {verb, std::string(file), parameters, std::string(directory), showCmd});
    const QString action = verb.toLower();
    const auto host = toHostPath(file);
    struct stat st;
    if (!host || ::stat(host->c_str(), &st) != 0) {
        const auto parent = toHostPath(std::string(file) + "\\..");
        return (parent && ::stat(parent->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? kFileNotFound
                                                                                    : kPathNotFound;
    }
    const QString target = QString::fromStdString(*host);
    const QString folder =
        S_ISDIR(st.st_mode) ? target : QString::fromStdString(*host).section('/', 0, -2);
    const QString workDir = toHostPath(directory).has_value() && !directory.empty()
                                ? QString::fromStdString(*toHostPath(directory))
                                : folder;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (action.isEmpty() || action == QLatin1String("open") || action == QLatin1String("explore")) {
        if (opener.isEmpty())
            return kNoAssociation;
        return openWith(opener, {action == QLatin1String("explore") ? folder : target}, workDir);
    }
    if (action == QLatin1String("find")) {
        // The desktop's file search when one is installed, else its file manager at the folder.
        if (const QString search = QStandardPaths::findExecutable(QStringLiteral("catfish"));
            !search.isEmpty())
            return openWith(search, {QStringLiteral("--path=") + folder}, folder);
        if (const QString search = QStandardPaths::findExecutable(QStringLiteral("kfind"));
            !search.isEmpty())
            return openWith(search, {folder}, folder);
        if (opener.isEmpty())
            return kNoAssociation;
        return openWith(opener, {folder}, folder);
    }
    if (action == QLatin1String("properties"))
        return showPropertiesSheet(owner, file) ? kStarted : kFileNotFound;
    return kNoAssociation;
}

void setShellExecuteAnswerer(ShellExecuteAnswerer answerer) {
    gExecuteAnswerer = std::move(answerer);
}

bool showPropertiesSheet(QWidget* owner, std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return false;
    struct statx sx;
    if (::statx(AT_FDCWD, host->path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        setLastError(detail::errorForPath(host->path, errno));
        return false;
    }
    const uint32_t attributes = getFileAttributes(path);
    const bool folder = S_ISDIR(sx.stx_mode);

    auto* dialog = new QDialog(owner);
    dialog->setObjectName(QStringLiteral("PropertiesSheet"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QString name =
        host->isRoot ? shellDisplayName(path) : QString::fromStdString(detail::entryName(path));
    dialog->setWindowTitle(QStringLiteral("%1 Properties").arg(name));
    auto* layout = new QVBoxLayout(dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    const auto addRow = [&](const QString& label, const QString& value, const char* objectName) {
        auto* text = new QLabel(value);
        text->setObjectName(QLatin1String(objectName));
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(label, text);
    };
    addRow(QStringLiteral("Name:"), name, "name");
    addRow(QStringLiteral("Type:"), shellTypeName(path), "type");
    if (!host->isRoot) {
        const std::string location = fromHostPath(host->path.substr(0, host->path.rfind('/') + 1));
        addRow(QStringLiteral("Location:"), QString::fromStdString(location), "location");
    }
    if (!folder)
        addRow(QStringLiteral("Size:"), sizeText(sx.stx_size), "size");
    if (sx.stx_mask & STATX_BTIME)
        addRow(QStringLiteral("Created:"), dateText(sx.stx_btime), "created");
    addRow(QStringLiteral("Modified:"), dateText(sx.stx_mtime), "modified");
    addRow(QStringLiteral("Accessed:"), dateText(sx.stx_atime), "accessed");
    const auto addFlag = [&](const QString& label, bool on, const char* objectName) {
        auto* box = new QCheckBox(label);
        box->setObjectName(QLatin1String(objectName));
        box->setChecked(on);
        box->setEnabled(false); // shown, not changed here
        layout->addWidget(box);
    };
    addFlag(QStringLiteral("&Read-only"), attributes & FILE_ATTRIBUTE_READONLY, "readOnly");
    addFlag(QStringLiteral("&Hidden"), attributes & FILE_ATTRIBUTE_HIDDEN, "hidden");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->show();
    // The sheet takes the keyboard, as a window the user has just asked for: Escape closes it.
    dialog->raise();
    dialog->activateWindow();
    return true;
}

} // namespace platform
