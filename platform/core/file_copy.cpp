// Copy, move and delete on host paths with the guarantees the program relies on: nothing is
// replaced, nothing half-written appears under a real name, a move removes only what it copied
// unchanged, and no walk crosses into another mounted file system.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/core/file_tree.h"
#include "platform/core/winerror.h"

namespace platform::detail {

namespace {

// The temporaries of this program carry this prefix, a tag and a random end ("-XXXXXX").
constexpr std::string_view kTemporaryPrefix = ".lumo-";
constexpr std::string_view kTemporaryTags[] = {"tmp", "replace", "jpeg"};
// A temporary left behind by a copy that was killed is removed once it is this old: a copy still
// running never takes that long without touching its folder.
constexpr time_t kLeftoverAge = 24 * 60 * 60;

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// What says that an entry is still the one that was copied: the same inode of the same device,
// with the same type, size, modification and change times.
struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    mode_t type = 0;
    off_t size = 0;
    struct timespec mtime {};
    struct timespec ctime {};
};

Identity identityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_mode & S_IFMT, st.st_size, st.st_mtim, st.st_ctim};
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same inode with the same content: nobody wrote to it.
bool sameContent(const Identity& a, const Identity& b) {
    return a.dev == b.dev && a.ino == b.ino && a.type == b.type && a.size == b.size &&
           sameTime(a.mtime, b.mtime);
}

// Nothing at all happened to it (a new name, a link count or mode change moves the change time).
bool sameIdentity(const Identity& a, const Identity& b) {
    return sameContent(a, b) && sameTime(a.ctime, b.ctime);
}

// The entries a copy made for a move, by their path below the copied item ("" for the item
// itself), each with the identity it had while it was copied.
using CopyRecord = std::map<std::string, Identity>;

std::string below(const std::string& relative, const std::string& name) {
    return relative.empty() ? name : relative + "/" + name;
}

// Which mounted file system an entry belongs to, and whether it is the root of a mount.
struct MountPlace {
    uint64_t id = 0;
    bool idKnown = false;
    dev_t dev = 0;
    bool mountRoot = false;
};

bool mountPlaceOf(const std::string& path, MountPlace& place) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MNT_ID, &sx) != 0)
        return false;
    place.idKnown = (sx.stx_mask & STATX_MNT_ID) != 0;
    place.id = sx.stx_mnt_id;
    place.dev = ::makedev(sx.stx_dev_major, sx.stx_dev_minor);
    place.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                      (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return true;
}

// A folder below a tree's root that another file system is mounted on (a bind mount of the same
// volume included).
bool isOtherMount(const MountPlace& root, const MountPlace& entry) {
    if (entry.mountRoot)
        return true;
    return root.idKnown && entry.idKnown ? root.id != entry.id : root.dev != entry.dev;
}

// Mount points as the kernel lists them for this process, octal escapes undone.
std::vector<std::string> mountPoints() {
    std::ifstream in("/proc/self/mountinfo");
    std::vector<std::string> points;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        if (!(fields >> id >> parent >> device >> root >> point))
            continue;
        std::string decoded;
        for (size_t i = 0; i < point.size(); ++i) {
            if (point[i] == '\\' && i + 3 < point.size()) {
                const std::string octal = point.substr(i + 1, 3);
                if (octal.find_first_not_of("01234567") == std::string::npos) {
                    decoded.push_back(static_cast<char>(std::stoi(octal, nullptr, 8)));
                    i += 3;
                    continue;
                }
            }
            decoded.push_back(point[i]);
        }
        points.push_back(std::move(decoded));
    }
    return points;
}

bool isInside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (folder == "/" || path[folder.size()] == '/');
}

// The host path with its folders resolved by the kernel (links, "..") and its last name kept.
std::string resolvedParentPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(parentOf(path).c_str(), resolved) == nullptr)
        return path;
    return join(resolved, baseName(path));
}

// True when another file system is mounted anywhere below the folder at path.
bool holdsMountPoint(const std::string& path) {
    const std::string folder = resolvedParentPath(path);
    for (const std::string& point : mountPoints()) {
        if (isInside(point, folder))
            return true;
    }
    return false;
}

// Returns 0 or errno (ECANCELED when the observer stops it).
int copyBytes(int in, int out, CopyObserver* observer) {
    // Pieces small enough for the progress to move and Cancel to answer.
    const size_t piece = observer != nullptr ? size_t(1) << 23 : size_t(1) << 30;
    bool tryRange = true;
    for (;;) {
        if (tryRange) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, piece, 0);
            if (n > 0 && observer != nullptr && !observer->bytesCopied(static_cast<uint64_t>(n)))
                return ECANCELED;
            if (n > 0)
                continue;
            if (n == 0)
                return 0;
            if (errno == EINTR)
                continue;
            // Not offered between these file systems: fall back to plain reads and writes.
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP &&
                errno != EBADF)
                return errno;
            tryRange = false;
        }
        char buffer[1 << 16];
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += w;
        }
        if (observer != nullptr && !observer->bytesCopied(static_cast<uint64_t>(n)))
            return ECANCELED;
    }
}

void keepTimes(int fd, const struct stat& st) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(fd, times);
}

// Opens a regular file to copy it; the entry must still be the one looked at (expected, when
// given). A file that is no longer a regular file, or another one, gives ETXTBSY.
int openToCopy(const std::string& source, bool followLink, const struct stat* expected,
               struct stat& opened) {
    const int fd =
        ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return -(errno == ELOOP ? ETXTBSY : errno);
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
        (expected && (opened.st_dev != expected->st_dev || opened.st_ino != expected->st_ino))) {
        ::close(fd);
        return -ETXTBSY;
    }
    return fd;
}

// Copies an open regular file into an open, empty file and gives it the source's mode and times.
// A source written to while it was copied gives ETXTBSY: the copy would be neither the old nor
// the new content. 0 or errno.
int copyOpenFile(int in, const struct stat& before, int out, bool durable, CopyObserver* observer) {
    if (const int err = copyBytes(in, out, observer))
        return err;
    struct stat after;
    if (::fstat(in, &after) != 0)
        return errno;
    if (!sameContent(identityOf(before), identityOf(after)))
        return ETXTBSY;
    if (durable && ::fsync(out) != 0)
        return errno;
    ::fchmod(out, before.st_mode & 07777);
    keepTimes(out, before);
    return 0;
}

// A folder copy under way: the file system it belongs to, the folders on the way down (a folder
// met again below itself is never entered twice), and what to record for a move.
struct TreeWalk {
    MountPlace root;
    std::set<std::pair<dev_t, ino_t>> chain;
    bool durable = false;
    CopyRecord* record = nullptr;
    CopyObserver* observer = nullptr;
};

int copyEntryOnly(const std::string& source, const std::string& destination,
                  const std::string& relative, TreeWalk& walk);

// Copies entry source to destination, which does not exist yet, and tells the observer; 0 or
// errno (ECANCELED when the observer stops it).
int copyEntry(const std::string& source, const std::string& destination,
              const std::string& relative, TreeWalk& walk) {
    if (const int err = copyEntryOnly(source, destination, relative, walk))
        return err;
    return walk.observer != nullptr && !walk.observer->entryCopied() ? ECANCELED : 0;
}

int copyEntryOnly(const std::string& source, const std::string& destination,
                  const std::string& relative, TreeWalk& walk) {
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0)
        return errno;
    if (S_ISLNK(st.st_mode)) {
        // Inside a folder a link stays a link: following it could copy anything on the machine.
        std::vector<char> target(static_cast<size_t>(st.st_size) + 1);
        const ssize_t n = ::readlink(source.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        if (::symlink(std::string(target.data(), static_cast<size_t>(n)).c_str(),
                      destination.c_str()) != 0)
            return errno;
    } else if (S_ISREG(st.st_mode)) {
        struct stat opened;
        Fd in(openToCopy(source, false, &st, opened));
        if (in.fd < 0)
            return -in.fd;
        Fd out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (out.fd < 0)
            return errno;
        if (const int err = copyOpenFile(in.fd, opened, out.fd, walk.durable, walk.observer))
            return err;
        st = opened;
    } else if (S_ISDIR(st.st_mode)) {
        MountPlace place;
        if (!relative.empty() && mountPlaceOf(source, place) && isOtherMount(walk.root, place))
            return EXDEV; // another file system mounted inside the folder is not part of it
        const std::pair<dev_t, ino_t> key{st.st_dev, st.st_ino};
        if (!walk.chain.insert(key).second)
            return ELOOP;
        if (::mkdir(destination.c_str(), 0700) != 0)
            return errno;
        std::vector<std::string> names;
        if (const int err = listEntryNames(source, names))
            return err;
        for (const std::string& name : names) {
            if (const int err = copyEntry(join(source, name), join(destination, name),
                                          below(relative, name), walk))
                return err;
        }
        walk.chain.erase(key);
        // Mode and times last: a read-only folder must still take its entries.
        Fd folder(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.fd >= 0) {
            ::fchmod(folder.fd, st.st_mode & 07777);
            keepTimes(folder.fd, st);
        }
    } else {
        return ENOTSUP; // devices, pipes and sockets are not the user's data to copy
    }
    if (walk.record)
        (*walk.record)[relative] = identityOf(st);
    return 0;
}

// Renames without ever replacing; 0 or errno (EEXIST when destination is taken).
int renameNoReplace(const std::string& from, const std::string& to, bool isFolder) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without the flag: a hard link cannot replace either.
    if (!isFolder) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return 0;
        }
        if (errno == EEXIST)
            return EEXIST;
    }
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A folder copied into itself through a link or a second name would copy its own copy without end.
bool copiesIntoItself(const std::string& source, const std::string& destinationFolder) {
    char from[PATH_MAX];
    char into[PATH_MAX];
    if (::realpath(source.c_str(), from) != nullptr &&
        ::realpath(destinationFolder.c_str(), into) != nullptr) {
        const std::string folder = from;
        const std::string target = into;
        if (target == folder || isInside(target, folder))
            return true;
    }
    // A bind mount shows the same folder under another path, which no name comparison sees:
    // the destination or one of its parents is then the source itself, by device and inode.
    struct stat st;
    if (::stat(source.c_str(), &st) != 0 || ::realpath(destinationFolder.c_str(), into) == nullptr)
        return false;
    for (std::string folder = into;; folder = parentOf(folder)) {
        struct stat other;
        if (::stat(folder.c_str(), &other) == 0 && other.st_dev == st.st_dev &&
            other.st_ino == st.st_ino)
            return true;
        if (folder == "/")
            return false;
    }
}

bool isTemporaryEnd(std::string_view end) {
    if (end.size() != 6)
        return false;
    for (char c : end) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Makes the file's content appear under destination, never replacing an entry there.
int linkUnnamed(int fd, const std::string& destination) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno == EEXIST || errno == ENOSPC || errno == EDQUOT)
        return errno;
    // Without /proc the descriptor can still be linked by those allowed to.
    return ::linkat(fd, "", AT_FDCWD, destination.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

void syncFolder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}

// Copies a regular file to destination, in the existing folder, through an unnamed file that is
// linked into place when complete: a copy killed half-way leaves no name behind. Where the file
// system has no unnamed files, through a temporary name instead. 0 or errno.
int copyRegularFile(const std::string& source, bool followLink, const struct stat& looked,
                    const std::string& destination, const std::string& folder, bool durable,
                    CopyRecord* record, CopyObserver* observer) {
    struct stat opened;
    Fd in(openToCopy(source, followLink, followLink ? nullptr : &looked, opened));
    if (in.fd < 0)
        return -in.fd;
    // The observer hears of the file while it has no name yet: a stop asked for then leaves
    // nothing of it, as of any item under way.
    const auto copyContent = [&](int out) {
        if (const int err = copyOpenFile(in.fd, opened, out, durable, observer))
            return err;
        return observer != nullptr && !observer->entryCopied() ? ECANCELED : 0;
    };
    Fd out(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (out.fd >= 0) {
        if (const int err = copyContent(out.fd))
            return err;
        if (const int err = linkUnnamed(out.fd, destination))
            return err;
    } else {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
        removeOldTemporaries(folder);
        std::string temp;
        Fd named(makeTemporaryFile(folder, "tmp", baseName(destination), temp));
        if (named.fd < 0)
            return errno;
        int err = copyContent(named.fd);
        if (err == 0)
            err = renameNoReplace(temp, destination, false);
        if (err != 0) {
            ::unlink(temp.c_str());
            return err;
        }
    }
    if (durable)
        syncFolder(folder);
    if (record)
        (*record)[""] = identityOf(opened);
    return 0;
}

uint32_t codeOf(int err) {
    if (err == EEXIST)
        return ERROR_FILE_EXISTS;
    if (err == ELOOP)
        return ERROR_INVALID_PARAMETER;
    return errorFromErrno(err);
}

// copyTree for the first half of a move (record given) or for a copy.
uint32_t copyRecorded(const std::string& source, const std::string& destination, bool durable,
                      CopyRecord* record, CopyObserver* observer) {
    struct stat st;
    struct stat other;
    if (::lstat(source.c_str(), &st) != 0)
        return errorForPath(source, errno);
    // A copy of a link to a picture is a copy of the picture; a move keeps the link a link.
    bool followLink = false;
    if (!record && S_ISLNK(st.st_mode) && ::stat(source.c_str(), &other) == 0 &&
        S_ISREG(other.st_mode)) {
        st = other;
        followLink = true;
    }
    if (::lstat(destination.c_str(), &other) == 0)
        return ERROR_FILE_EXISTS;
    if (destination == source || isInside(destination, source))
        return ERROR_INVALID_PARAMETER;
    const std::string folder = parentOf(destination);
    if (::stat(folder.c_str(), &other) != 0 || !S_ISDIR(other.st_mode))
        return ERROR_PATH_NOT_FOUND;
    if (S_ISDIR(st.st_mode) && copiesIntoItself(source, folder))
        return ERROR_INVALID_PARAMETER;

    if (S_ISREG(st.st_mode))
        return codeOf(copyRegularFile(source, followLink, st, destination, folder, durable, record,
                                      observer));

    // Folders and links are built under a unique temporary name in the destination folder and
    // renamed into place: the rename stays on one file system and never replaces anything.
    removeOldTemporaries(folder);
    std::string temp;
    const int fd = makeTemporaryFile(folder, "tmp", baseName(destination), temp);
    if (fd < 0)
        return errorFromErrno(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    TreeWalk walk;
    walk.durable = durable;
    walk.record = record;
    walk.observer = observer;
    mountPlaceOf(source, walk.root);
    int err = copyEntry(source, temp, "", walk);
    if (err == 0)
        err = renameNoReplace(temp, destination, S_ISDIR(st.st_mode));
    if (err != 0) {
        removeTree(temp);
        return codeOf(err);
    }
    if (durable)
        syncFolder(folder);
    return ERROR_SUCCESS;
}

// Removes what a move copied: every entry still the one copied goes; an entry that is new or
// changed since, and the folders holding it, stay. Never enters another mounted file system.
// Counts what stayed in kept.
uint32_t removeCopied(const std::string& path, const std::string& relative,
                      const CopyRecord& record, const MountPlace& root, size_t& kept) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? ERROR_SUCCESS : errorForPath(path, errno);
    const auto copied = record.find(relative);
    if (copied == record.end()) {
        ++kept;
        return ERROR_SUCCESS;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (!sameIdentity(copied->second, identityOf(st))) {
            ++kept;
            return ERROR_SUCCESS;
        }
        return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
    }
    MountPlace place;
    if (copied->second.dev != st.st_dev || copied->second.ino != st.st_ino ||
        (!relative.empty() && mountPlaceOf(path, place) && isOtherMount(root, place))) {
        ++kept;
        return ERROR_SUCCESS;
    }
    std::vector<std::string> names;
    if (const int err = listEntryNames(path, names))
        return errorFromErrno(err);
    for (const std::string& name : names) {
        if (const uint32_t code =
                removeCopied(join(path, name), below(relative, name), record, root, kept))
            return code;
    }
    if (::rmdir(path.c_str()) == 0)
        return ERROR_SUCCESS;
    if (errno == ENOTEMPTY || errno == EEXIST)
        return ERROR_SUCCESS; // something arrived since the listing: it stays, counted below
    return errorFromErrno(errno);
}

uint32_t removeWalk(const std::string& path, const MountPlace& root, bool isRoot) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errorForPath(path, errno);
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
    MountPlace place;
    if (!isRoot && mountPlaceOf(path, place) && isOtherMount(root, place))
        return ERROR_ACCESS_DENIED; // a mounted file system is not emptied with its folder
    std::vector<std::string> names;
    if (const int err = listEntryNames(path, names))
        return errorFromErrno(err);
    uint32_t first = ERROR_SUCCESS;
    for (const std::string& name : names) {
        const uint32_t code = removeWalk(join(path, name), root, false);
        if (first == ERROR_SUCCESS)
            first = code;
    }
    if (first != ERROR_SUCCESS)
        return first;
    return ::rmdir(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
}

} // namespace

uint32_t errorForPath(const std::string& hostPath, int err) {
    if (err == ENOENT) {
        struct stat st;
        const std::string parent = parentOf(hostPath);
        if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return ERROR_PATH_NOT_FOUND;
        return ERROR_FILE_NOT_FOUND;
    }
    if (err == ENOTDIR)
        return ERROR_PATH_NOT_FOUND;
    return errorFromErrno(err);
}

int makeTemporaryFile(const std::string& folder, std::string_view tag, std::string_view hint,
                      std::string& path) {
    // Only the start of the hint: a long name plus the prefix must still fit the file system's
    // limit on one name.
    constexpr size_t kHintBytes = 32;
    path = join(folder, std::string(kTemporaryPrefix) + std::string(tag) + "-" +
                            std::string(hint.substr(0, kHintBytes)) + "-XXXXXX");
    return ::mkostemp(path.data(), O_CLOEXEC);
}

bool isOwnTemporaryName(std::string_view name) {
    if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix || name.size() < 7)
        return false;
    const std::string_view rest = name.substr(kTemporaryPrefix.size());
    if (!isTemporaryEnd(name.substr(name.size() - 6)) || name[name.size() - 7] != '-')
        return false;
    for (std::string_view tag : kTemporaryTags) {
        if (rest.size() >= tag.size() + 7 && rest.substr(0, tag.size()) == tag &&
            rest[tag.size()] == '-')
            return true;
    }
    return false;
}

void removeOldTemporaries(const std::string& folder) {
    std::vector<std::string> names;
    if (listEntryNames(folder, names) != 0)
        return;
    const time_t cutoff = std::time(nullptr) - kLeftoverAge;
    for (const std::string& name : names) {
        if (!isOwnTemporaryName(name))
            continue;
        struct stat st;
        const std::string path = join(folder, name);
        if (::lstat(path.c_str(), &st) == 0 && st.st_mtim.tv_sec < cutoff)
            removeTree(path);
    }
}

uint32_t copyTree(const std::string& source, const std::string& destination, bool durable,
                  CopyObserver* observer) {
    return copyRecorded(source, destination, durable, nullptr, observer);
}

uint32_t moveTree(const std::string& source, const std::string& destination,
                  CopyObserver* observer) {
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0)
        return errorForPath(source, errno);
    if (destination == source || isInside(destination, source))
        return ERROR_INVALID_PARAMETER;
    const int err = renameNoReplace(source, destination, S_ISDIR(st.st_mode));
    if (err == 0)
        return ERROR_SUCCESS;
    if (err == EEXIST || err == ENOTEMPTY)
        return ERROR_ALREADY_EXISTS;
    if (err != EXDEV)
        return errorForPath(destination, err);
    if (S_ISDIR(st.st_mode) && holdsMountPoint(source))
        return ERROR_NOT_SAME_DEVICE;
    CopyRecord record;
    const uint32_t copied = copyRecorded(source, destination, true, &record, observer);
    if (copied != ERROR_SUCCESS)
        return copied == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : copied;
    // The copy is complete and on the disk. Only what is still exactly what was copied goes; an
    // entry replaced, written to or added since stays where it is, and the move reports it.
    MountPlace root;
    mountPlaceOf(source, root);
    size_t kept = 0;
    if (const uint32_t code = removeCopied(source, "", record, root, kept))
        return code;
    if (kept == 0)
        return ERROR_SUCCESS;
    return S_ISDIR(st.st_mode) ? ERROR_DIR_NOT_EMPTY : ERROR_SHARING_VIOLATION;
}

uint32_t moveOnto(const std::string& source, const std::string& target, CopyObserver* observer) {
    if (::rename(source.c_str(), target.c_str()) == 0)
        return ERROR_SUCCESS;
    if (errno != EXDEV)
        return errorForPath(source, errno);
    std::string temp;
    const int fd = makeTemporaryFile(parentOf(target), "replace", baseName(target), temp);
    if (fd < 0)
        return errorFromErrno(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    CopyRecord record;
    if (const uint32_t code = copyRecorded(source, temp, true, &record, observer))
        return code;
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        removeTree(temp);
        return errorFromErrno(err);
    }
    MountPlace root;
    mountPlaceOf(source, root);
    size_t kept = 0;
    if (const uint32_t code = removeCopied(source, "", record, root, kept))
        return code;
    return kept == 0 ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION;
}

int listEntryNames(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return errno;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return 0;
}

uint32_t removeTree(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errorForPath(path, errno);
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
    // A folder that is itself a mount point, or holds one, is refused before anything goes.
    MountPlace root;
    if (!mountPlaceOf(path, root))
        return errorForPath(path, errno);
    if (root.mountRoot || holdsMountPoint(path))
        return ERROR_ACCESS_DENIED;
    return removeWalk(path, root, true);
}

} // namespace platform::detail
