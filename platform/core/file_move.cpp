// Moving on host paths: a rename where it can, else a copy and then the removal of only what is
// still exactly what was copied; an entry written, replaced or added meanwhile stays and is
// reported.
#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/file_tree.h"
#include "platform/core/file_tree_parts.h"
#include "platform/core/mounts_below.h"
#include "platform/core/read_lease.h"
#include "platform/core/winerror.h"

namespace platform::detail {

namespace {

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

Identity identityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_mode & S_IFMT, st.st_size, st.st_mtim, st.st_ctim};
}

bool sameContent(const Identity& a, const Identity& b) {
    return a.dev == b.dev && a.ino == b.ino && a.type == b.type && a.size == b.size &&
           sameTime(a.mtime, b.mtime);
}

namespace {

// Nothing at all happened to it (a new name, a link count or mode change moves the change time).
bool sameIdentity(const Identity& a, const Identity& b) {
    return sameContent(a, b) && sameTime(a.ctime, b.ctime);
}

// Removes the regular file at path, a move's copied source, unless it is no longer the file that
// was copied or somebody has it open for writing (then counted in kept). The lease taken for the
// removal is held until the name is gone: a writer who opens the file meanwhile waits for it, and
// is seen.
uint32_t removeUnlessWritten(const std::string& path, const Identity& copied, size_t& kept) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.fd < 0) {
        if (errno == ENOENT)
            return ERROR_SUCCESS;
        if (errno != EWOULDBLOCK && errno != ELOOP)
            return errorFromErrno(errno);
        ++kept; // another program holds a lease on it, or a link took its place
        return ERROR_SUCCESS;
    }
    struct stat st;
    if (::fstat(fd.fd, &st) != 0)
        return errorFromErrno(errno);
    const ReadLease lease(fd.fd);
    if (!sameIdentity(copied, identityOf(st)) || lease.refusal() != 0 || lease.broken()) {
        ++kept;
        return ERROR_SUCCESS;
    }
    return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
}

// Removes what a move copied: every entry still the one copied goes; an entry that is new or
// changed since, and the folders holding it, stay. Never enters another mounted file system.
// Counts what stayed in kept. Stops before the next entry once the observer asks it to.
uint32_t removeCopied(const std::string& path, const std::string& relative,
                      const CopyRecord& record, const MountPlace& root, size_t& kept,
                      const CopyObserver* observer) {
    if (observer != nullptr && observer->stopRequested())
        return ERROR_CANCELLED;
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
        if (S_ISREG(st.st_mode))
            return removeUnlessWritten(path, copied->second, kept);
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
                removeCopied(join(path, name), below(relative, name), record, root, kept, observer))
            return code;
    }
    if (::rmdir(path.c_str()) == 0)
        return ERROR_SUCCESS;
    if (errno == ENOTEMPTY || errno == EEXIST)
        return ERROR_SUCCESS; // something arrived since the listing: it stays, counted below
    return errorFromErrno(errno);
}

} // namespace

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
    if (carriesMountedVolume(source))
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
    if (const uint32_t code = removeCopied(source, "", record, root, kept, observer))
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
    if (observer != nullptr && observer->stopRequested()) {
        removeTree(temp);
        return ERROR_CANCELLED;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        removeTree(temp);
        return errorFromErrno(err);
    }
    MountPlace root;
    mountPlaceOf(source, root);
    size_t kept = 0;
    if (const uint32_t code = removeCopied(source, "", record, root, kept, observer))
        return code;
    return kept == 0 ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION;
}

} // namespace platform::detail
