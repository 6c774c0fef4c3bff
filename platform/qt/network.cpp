// Network drives: a folder of this machine (typically a mounted share) connected to a drive letter,
// remembered in the user's configuration folder when it should come back at the next start.
#include "platform/qt/network.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

#include <sys/stat.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/core/drive_scan.h"
#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "platform/core/winerror.h"
#include "platform/qt/ui.h"

namespace platform {

namespace {

std::mutex gMutex;
std::map<char, NetConnection> gConnections;
char (*gDialogAnswerer)(const std::vector<NetConnection>&) = nullptr;

uint32_t result(uint32_t code) {
    setLastError(code);
    return code;
}

std::string persistenceFile() {
    return detail::configFolder() + "/network-drives";
}

// The letters of remembered connections are kept from volumes that appear, so that the
// connection finds its letter free at the next start.
void reserveLetters(const std::map<char, std::string>& saved) {
    uint32_t letters = 0;
    for (const auto& [letter, remote] : saved)
        letters |= 1u << (letter - 'A');
    detail::setReservedLetters(letters);
}

// One connection per line: "G:<tab>remote".
std::map<char, std::string> readPersistent() {
    std::map<char, std::string> saved;
    std::ifstream in(persistenceFile());
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > 3 && line[1] == ':' && line[2] == '\t' && line[0] >= 'A' &&
            line[0] <= 'Z')
            saved[line[0]] = line.substr(3);
    }
    return saved;
}

void writePersistent(const std::map<char, std::string>& saved) {
    const std::string file = persistenceFile();
    QDir().mkpath(QString::fromStdString(file.substr(0, file.rfind('/'))));
    const std::string temp = file + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto& [letter, remote] : saved)
            out << letter << ":\t" << remote << '\n';
        if (!out)
            return;
    }
    std::rename(temp.c_str(), file.c_str());
    reserveLetters(saved);
}

// A share that does not answer counts as no folder.
bool isFolder(const std::string& hostPath) {
    return detail::boundedCall<bool>(hostPath,
                                     [hostPath] {
                                         struct stat st;
                                         return ::stat(hostPath.c_str(), &st) == 0 &&
                                                S_ISDIR(st.st_mode);
                                     })
        .value_or(false);
}

std::string slashes(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = c == '\\' ? '/' : c;
    return out;
}

// "\\host\share\sub": a share of that name mounted under /mnt, /media or /run/media (matched by the
// mount's source "//host/share" or by the mount point's name), then the rest of the path.
std::optional<std::string> resolveShare(std::string_view remote) {
    const std::string path = slashes(remote.substr(2));
    const size_t hostEnd = path.find('/');
    if (hostEnd == std::string::npos || hostEnd == 0)
        return std::nullopt;
    const std::string host = path.substr(0, hostEnd);
    const size_t shareEnd = path.find('/', hostEnd + 1);
    const std::string share = path.substr(
        hostEnd + 1, shareEnd == std::string::npos ? std::string::npos : shareEnd - hostEnd - 1);
    if (share.empty() || share == "." || share == "..")
        return std::nullopt;
    // As on a server, a path inside a share never climbs above the share itself.
    std::string rest;
    if (shareEnd != std::string::npos) {
        std::vector<std::string> parts;
        size_t pos = shareEnd;
        while (pos < path.size()) {
            const size_t start = pos + 1;
            pos = path.find('/', start);
            if (pos == std::string::npos)
                pos = path.size();
            const std::string part = path.substr(start, pos - start);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
        }
        for (const std::string& part : parts)
            rest += "/" + part;
    }
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    std::optional<std::string> byName;
    for (const detail::MountEntry& mount : detail::parseMountTable(text.str())) {
        const std::string& mp = mount.mountPoint;
        if (mp.rfind("/mnt/", 0) != 0 && mp.rfind("/media/", 0) != 0 &&
            mp.rfind("/run/media/", 0) != 0)
            continue;
        const std::string source = slashes(mount.device);
        if (detail::equalsNoCase(source, "//" + host + "/" + share) ||
            detail::equalsNoCase(source, host + ":/" + share))
            return mp + rest;
        if (!byName && detail::equalsNoCase(mp.substr(mp.rfind('/') + 1), share))
            byName = mp + rest;
    }
    if (byName)
        return byName;
    return std::nullopt;
}

std::optional<std::string> resolveRemote(std::string_view remote) {
    std::optional<std::string> host;
    if (remote.size() > 2 && (remote.substr(0, 2) == "\\\\" || remote.substr(0, 2) == "//"))
        host = resolveShare(remote);
    else if (remote.size() >= 2 && remote[1] == ':')
        host = toHostPath(remote);
    else if (!remote.empty() && remote[0] == '/')
        host = std::string(remote);
    if (!host || !isFolder(*host))
        return std::nullopt;
    return host;
}

std::optional<char> letterOf(std::string_view localName) {
    if (localName.size() < 2 || localName[1] != ':')
        return std::nullopt;
    if (localName.size() > 3 || (localName.size() == 3 && localName[2] != '\\'))
        return std::nullopt;
    char c = localName[0];
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z')
        return std::nullopt;
    return c;
}

std::string shareLabel(std::string_view remote) {
    std::string text = slashes(remote);
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text.substr(text.rfind('/') + 1);
}

} // namespace

uint32_t wnetAddConnection(std::string_view localName, std::string_view remoteName,
                           bool reconnect) {
    const auto letter = letterOf(localName);
    if (!letter)
        return result(ERROR_BAD_DEVICE);
    if (driveInfo(*letter))
        return result(ERROR_ALREADY_ASSIGNED);
    // A line break or a tab would break the saved list of connections into other entries.
    const bool controlCharacter = std::any_of(remoteName.begin(), remoteName.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    const auto host = controlCharacter ? std::nullopt : resolveRemote(remoteName);
    if (!host)
        return result(ERROR_BAD_NETPATH);
    addDrive(DriveInfo{*letter, *host, DRIVE_REMOTE, shareLabel(remoteName), true});
    std::lock_guard lock(gMutex);
    gConnections[*letter] = NetConnection{*letter, std::string(remoteName), reconnect};
    auto saved = readPersistent();
    if (reconnect) {
        saved[*letter] = std::string(remoteName);
        writePersistent(saved);
    } else if (saved.erase(*letter) > 0) {
        writePersistent(saved);
    }
    return result(ERROR_SUCCESS);
}

uint32_t wnetCancelConnection(std::string_view localName, bool forget) {
    const auto letter = letterOf(localName);
    if (!letter)
        return result(ERROR_BAD_DEVICE);
    {
        std::lock_guard lock(gMutex);
        if (gConnections.erase(*letter) == 0)
            return result(ERROR_NOT_CONNECTED);
        if (forget) {
            auto saved = readPersistent();
            if (saved.erase(*letter) > 0)
                writePersistent(saved);
        }
    }
    removeDrive(*letter);
    return result(ERROR_SUCCESS);
}

std::vector<NetConnection> wnetConnections() {
    std::lock_guard lock(gMutex);
    std::vector<NetConnection> list;
    for (const auto& [letter, connection] : gConnections)
        list.push_back(connection);
    return list;
}

uint32_t wnetDisconnectDialog(QWidget* owner) {
    const auto connections = wnetConnections();
    if (connections.empty())
        return result(ERROR_CANCELLED);
    char chosen = 0;
    if (gDialogAnswerer != nullptr) {
        chosen = gDialogAnswerer(connections);
    } else {
        QDialog dialog(owner);
        dialog.setWindowTitle(QStringLiteral("Disconnect Network Drives"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(
            new QLabel(QStringLiteral("Select the network drive(s) you want to disconnect:")));
        auto* list = new QListWidget;
        for (const NetConnection& connection : connections) {
            auto* item = new QListWidgetItem(QStringLiteral("%1:\t%2")
                                                 .arg(QLatin1Char(connection.letter))
                                                 .arg(QString::fromStdString(connection.remote)));
            item->setData(Qt::UserRole, QChar(QLatin1Char(connection.letter)));
            list->addItem(item);
        }
        list->setCurrentRow(0);
        layout->addWidget(list);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
        layout->addWidget(buttons);
        if (dialog.exec() == QDialog::Accepted && list->currentItem() != nullptr)
            chosen = list->currentItem()->data(Qt::UserRole).toChar().toLatin1();
    }
    if (chosen == 0)
        return result(ERROR_CANCELLED);
    return wnetCancelConnection(std::string{chosen, ':'}, true);
}

void setDisconnectDialogAnswerer(char (*answerer)(const std::vector<NetConnection>&)) {
    gDialogAnswerer = answerer;
}

void restorePersistentConnections() {
    std::map<char, std::string> saved;
    {
        std::lock_guard lock(gMutex);
        saved = readPersistent();
    }
    reserveLetters(saved);
    // A share that is not reachable now stays remembered for the next start, silently; one whose
    // letter something else holds is remembered too, and the user is told.
    for (const auto& [letter, remote] : saved) {
        if (!driveInfo(letter)) {
            wnetAddConnection(std::string{letter, ':'}, remote, true);
            continue;
        }
        messageBox(nullptr,
                   QStringLiteral("An error occurred while reconnecting %1: to\n%2\nThe drive "
                                  "letter is already in use by %3.\n\nThis connection has not "
                                  "been restored.")
                       .arg(QString(QLatin1Char(letter)), QString::fromStdString(remote),
                            QString::fromStdString(driveDisplayName(letter))),
                   QStringLiteral("Restoring Network Connections"), MB_OK | MB_ICONWARNING);
    }
}

} // namespace platform
