// The desktop's trash (the freedesktop trash standard): deleted items can be restored from the
// file manager. Items of the home file system go to $XDG_DATA_HOME/Trash; items of another volume
// go to that volume's own .Trash-UID folder so that deleting never copies a whole tree. A mounted
// volume never goes to the trash, alone or inside a folder: emptying the trash would erase it.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>

#include "platform/core/drive_scan.h"
#include "platform/core/file_tree.h"
#include "platform/core/mounts_below.h"
#include "platform/core/winerror.h"
#include "platform/qt/shell_internal.h"

namespace platform::detail {

namespace {

bool makeFolder(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

std::string mountPointOf(const std::string& hostPath) {
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    std::string best = "/";
    for (const MountEntry& mount : parseMountTable(text.str())) {
        const std::string& mp = mount.mountPoint;
        if (mp.size() > best.size() && hostPath.compare(0, mp.size(), mp) == 0 &&
            (hostPath.size() == mp.size() || hostPath[mp.size()] == '/'))
            best = mp;
    }
    return best;
}

struct TrashPlace {
    std::string folder; // holds files/ and info/
    std::string base;   // Path= is relative to this; empty for absolute paths
};

TrashPlace trashFor(const std::string& hostPath) {
    const std::string home = homeTrashFolder();
    struct stat item, trash;
    std::string probe = home;
    // The home trash may not exist yet: compare with the nearest existing parent.
    while (::stat(probe.c_str(), &trash) != 0 && probe.size() > 1)
        probe = probe.substr(0, std::max<size_t>(probe.rfind('/'), 1));
    if (::lstat(hostPath.c_str(), &item) != 0 || item.st_dev == trash.st_dev)
        return {home, {}};
    const std::string top = mountPointOf(hostPath);
    const std::string folder =
        (top == "/" ? std::string() : top) + "/.Trash-" + std::to_string(::getuid());
    // Anyone may write to the top of a shared volume: a trash folder there is used only when it
    // is a real folder of this user, never a link planted to send deleted items elsewhere.
    struct stat own;
    if (makeFolder(folder, 0700) && ::lstat(folder.c_str(), &own) == 0 && S_ISDIR(own.st_mode) &&
        own.st_uid == ::getuid())
        return {folder, top};
    return {home, {}};
}

// The record's Path= holds the path's bytes percent-encoded, whatever they are, so that a name
// that is not UTF-8 is restored under exactly its own name. It is relative to base when the item
// lies below base, absolute otherwise.
std::string encodedPath(const std::string& hostPath, const std::string& base) {
    std::string relative = hostPath;
    const std::string prefix = base == "/" ? base : base + "/";
    if (!base.empty() && hostPath.size() > prefix.size() &&
        hostPath.compare(0, prefix.size(), prefix) == 0)
        relative = hostPath.substr(prefix.size());
    return QByteArray::fromStdString(relative).toPercentEncoding("/").toStdString();
}

// An entry of Trash/files has a record in Trash/info named after it plus ".trashinfo", which
// must fit the file system's limit on one name.
constexpr size_t kLongestTrashName = NAME_MAX - (sizeof ".trashinfo" - 1);

// The name an item takes in the trash on the n-th try: its own name, then with ".2", ".3", ...
// A name too long for its record is shortened in the trash only (the record keeps the whole
// path): its start, cut where no character is split, keeps its extension.
std::string trashName(const std::string& name, int n) {
    const std::string suffix = n == 1 ? std::string() : "." + std::to_string(n);
    if (name.size() + suffix.size() <= kLongestTrashName)
        return name + suffix;
    constexpr size_t kLongestKeptExtension = 16;
    const size_t dot = name.rfind('.');
    const bool keepExtension =
        dot != std::string::npos && dot > 0 && name.size() - dot <= kLongestKeptExtension;
    const std::string extension = keepExtension ? name.substr(dot) : std::string();
    size_t cut = kLongestTrashName - suffix.size() - extension.size();
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut; // not inside a UTF-8 sequence
    return name.substr(0, cut) + extension + suffix;
}

} // namespace

std::string homeTrashFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base = (dataHome != nullptr && *dataHome == '/')
                           ? std::string(dataHome)
                           : QDir::homePath().toStdString() + "/.local/share";
    return base + "/Trash";
}

uint32_t moveToTrash(const std::string& hostPath, CopyObserver* observer) {
    struct stat st;
    if (::lstat(hostPath.c_str(), &st) != 0)
        return errorForPath(hostPath, errno);
    // Refused before anything is made or moved, as a permanent delete refuses it.
    if (carriesMountedVolume(hostPath))
        return ERROR_ACCESS_DENIED;
    const TrashPlace place = trashFor(hostPath);
    const std::string files = place.folder + "/files";
    const std::string info = place.folder + "/info";
    if (place.base.empty())
        QDir().mkpath(QString::fromStdString(place.folder));
    if (!makeFolder(files, 0700) || !makeFolder(info, 0700))
        return errorFromErrno(errno);

    // The info file is created first and exclusively: it reserves the name in the trash. A name
    // whose entry in files/ is left over without a record is passed over, never written into.
    const std::string name = hostPath.substr(hostPath.rfind('/') + 1);
    std::string trashEntry;
    std::string infoPath;
    int infoFd = -1;
    for (int n = 1; n < 10000 && infoFd < 0; ++n) {
        trashEntry = trashName(name, n);
        infoPath = info + "/" + trashEntry + ".trashinfo";
        infoFd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (infoFd < 0 && errno != EEXIST)
            return errorFromErrno(errno);
        struct stat taken;
        if (infoFd >= 0 && ::lstat((files + "/" + trashEntry).c_str(), &taken) == 0) {
            ::close(infoFd);
            ::unlink(infoPath.c_str());
            infoFd = -1;
        }
    }
    if (infoFd < 0)
        return ERROR_ALREADY_EXISTS;
    const std::string record =
        "[Trash Info]\nPath=" + encodedPath(hostPath, place.base) + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toStdString() + "\n";
    const bool written = ::write(infoFd, record.data(), record.size()) == ssize_t(record.size());
    ::close(infoFd);
    if (!written) {
        ::unlink(infoPath.c_str());
        return ERROR_DISK_FULL;
    }
    const std::string target = files + "/" + trashEntry;
    const uint32_t moved = moveTree(hostPath, target, observer);
    // A record stays as long as anything of the item reached the trash, so it can be restored.
    if (moved != ERROR_SUCCESS && ::lstat(target.c_str(), &st) != 0)
        ::unlink(infoPath.c_str());
    return moved;
}

} // namespace platform::detail
