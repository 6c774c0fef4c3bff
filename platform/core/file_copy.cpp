// Copying a file or a whole folder on host paths: nothing is replaced, nothing half-written
// appears under a real name, a file changed while it is copied fails the copy, and no walk
// crosses into another mounted file system.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/file_tree.h"
#include "platform/core/file_tree_parts.h"
#include "platform/core/read_lease.h"
#include "platform/core/winerror.h"

namespace platform::detail {

namespace {

// Returns 0 or errno (ECANCELED when the observer stops it, ETXTBSY when the lease breaks).
int copyBytes(int in, int out, CopyObserver* observer, const ReadLease* lease) {
    // Pieces small enough for the progress to move and Cancel to answer, and for a writer that
    // waits on the lease to be let in soon.
    const size_t piece =
        observer != nullptr || lease != nullptr ? size_t(1) << 23 : size_t(1) << 30;
    // After each piece: a writer who opened the source meanwhile ends the copy at once, and the
    // observer may stop it.
    const auto pieceDone = [&](ssize_t n) {
        if (lease != nullptr && lease->broken())
            return ETXTBSY;
        if (observer != nullptr && !observer->bytesCopied(static_cast<uint64_t>(n)))
            return ECANCELED;
        return 0;
    };
    bool tryRange = true;
    for (;;) {
        if (tryRange) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, piece, 0);
            if (n > 0) {
                if (const int err = pieceDone(n))
                    return err;
                continue;
            }
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
        if (const int err = pieceDone(n))
            return err;
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
// the new content. For a move (forMove), which removes the source afterwards, a source that
// somebody has open for writing, or opens for writing before the copy is complete, gives ETXTBSY
// too, and another user's file EACCES: nobody may be left writing into a file the move removes.
// 0 or errno.
int copyOpenFile(int in, const struct stat& before, int out, bool durable, bool forMove,
                 CopyObserver* observer) {
    std::optional<ReadLease> lease;
    if (forMove) {
        lease.emplace(in);
        if (const int err = lease->refusal())
            return err;
    }
    const ReadLease* held =
        lease && lease->outcome() == ReadLease::Outcome::Held ? &*lease : nullptr;
    if (const int err = copyBytes(in, out, observer, held))
        return err;
    if (held != nullptr && held->broken())
        return ETXTBSY;
    // The removal takes a lease of its own; a writer waits no longer than the copy.
    lease.reset();
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
        if (const int err = copyOpenFile(in.fd, opened, out.fd, walk.durable,
                                         walk.record != nullptr, walk.observer))
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
        if (const int err = copyOpenFile(in.fd, opened, out, durable, record != nullptr, observer))
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

} // namespace

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

uint32_t copyTree(const std::string& source, const std::string& destination, bool durable,
                  CopyObserver* observer) {
    return copyRecorded(source, destination, durable, nullptr, observer);
}

} // namespace platform::detail
