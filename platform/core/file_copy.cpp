// Copy, move and delete on host paths with the guarantees the program relies on: nothing is
// replaced, nothing half-written appears under a real name, and a move keeps its source until the
// copy is complete.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/core/file_tree.h"
#include "platform/core/winerror.h"

namespace platform::detail {

namespace {

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

// Copies the content of a regular file into an open, empty file; 0 or errno.
int copyFileInto(const std::string& source, int out, const struct stat& st, bool durable,
                 CopyObserver* observer) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        return errno;
    if (const int err = copyBytes(in.fd, out, observer))
        return err;
    if (durable && ::fsync(out) != 0)
        return errno;
    ::fchmod(out, st.st_mode & 07777);
    keepTimes(out, st);
    return 0;
}

int copyEntryOnly(const std::string& source, const std::string& destination, bool durable,
                  CopyObserver* observer);

// Copies entry source to destination, which does not exist yet; 0 or errno.
int copyEntry(const std::string& source, const std::string& destination, bool durable,
              CopyObserver* observer) {
    if (const int err = copyEntryOnly(source, destination, durable, observer))
        return err;
    return observer != nullptr && !observer->entryCopied() ? ECANCELED : 0;
}

int copyEntryOnly(const std::string& source, const std::string& destination, bool durable,
                  CopyObserver* observer) {
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0)
        return errno;
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(static_cast<size_t>(st.st_size) + 1);
        const ssize_t n = ::readlink(source.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        return ::symlink(std::string(target.data(), static_cast<size_t>(n)).c_str(),
                         destination.c_str()) == 0
                   ? 0
                   : errno;
    }
    if (S_ISREG(st.st_mode)) {
        Fd out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (out.fd < 0)
            return errno;
        return copyFileInto(source, out.fd, st, durable, observer);
    }
    if (!S_ISDIR(st.st_mode))
        return ENOTSUP; // devices, pipes and sockets are not the user's data to copy
    if (::mkdir(destination.c_str(), 0700) != 0)
        return errno;
    std::vector<std::string> names;
    if (const int err = listEntryNames(source, names))
        return err;
    for (const std::string& name : names) {
        if (const int err =
                copyEntry(source + "/" + name, destination + "/" + name, durable, observer))
            return err;
    }
    // Mode and times last: a read-only folder must still take its entries.
    Fd folder(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd >= 0) {
        ::fchmod(folder.fd, st.st_mode & 07777);
        keepTimes(folder.fd, st);
    }
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

bool isInside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (folder == "/" || path[folder.size()] == '/');
}

// A folder copied into itself through a link or a second name would copy its own copy without end.
bool copiesIntoItself(const std::string& source, const std::string& destinationFolder) {
    char from[PATH_MAX];
    char into[PATH_MAX];
    if (::realpath(source.c_str(), from) == nullptr ||
        ::realpath(destinationFolder.c_str(), into) == nullptr)
        return false;
    const std::string folder = from;
    const std::string target = into;
    return target == folder || isInside(target, folder);
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
    path = folder + (folder == "/" ? "" : "/") + ".lumo-" + std::string(tag) + "-" +
           std::string(hint.substr(0, kHintBytes)) + "-XXXXXX";
    return ::mkostemp(path.data(), O_CLOEXEC);
}

uint32_t copyTree(const std::string& source, const std::string& destination, bool durable,
                  CopyObserver* observer) {
    struct stat st;
    struct stat other;
    if (::lstat(source.c_str(), &st) != 0)
        return errorForPath(source, errno);
    if (::lstat(destination.c_str(), &other) == 0)
        return ERROR_FILE_EXISTS;
    if (destination == source || isInside(destination, source))
        return ERROR_INVALID_PARAMETER;
    const std::string folder = parentOf(destination);
    if (::stat(folder.c_str(), &other) != 0 || !S_ISDIR(other.st_mode))
        return ERROR_PATH_NOT_FOUND;
    if (S_ISDIR(st.st_mode) && copiesIntoItself(source, folder))
        return ERROR_INVALID_PARAMETER;

    // A unique temporary name in the destination folder: the final rename stays on one file system.
    std::string temp;
    const int fd = makeTemporaryFile(folder, "tmp", baseName(destination), temp);
    if (fd < 0)
        return errorFromErrno(errno);
    int err = 0;
    if (S_ISREG(st.st_mode)) {
        err = copyFileInto(source, fd, st, durable, observer);
        ::close(fd);
        if (err == 0 && observer != nullptr && !observer->entryCopied())
            err = ECANCELED;
    } else {
        ::close(fd);
        ::unlink(temp.c_str());
        err = copyEntry(source, temp, durable, observer);
    }
    if (err == 0)
        err = renameNoReplace(temp, destination, S_ISDIR(st.st_mode));
    if (err != 0) {
        removeTree(temp);
        return err == EEXIST ? ERROR_FILE_EXISTS : errorFromErrno(err);
    }
    return ERROR_SUCCESS;
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
    const uint32_t copied = copyTree(source, destination, true, observer);
    if (copied != ERROR_SUCCESS)
        return copied == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : copied;
    // The copy is complete; a source that cannot be removed fully leaves both copies.
    return removeTree(source);
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
    if (S_ISDIR(st.st_mode)) {
        std::vector<std::string> names;
        if (const int err = listEntryNames(path, names))
            return errorFromErrno(err);
        uint32_t first = ERROR_SUCCESS;
        for (const std::string& name : names) {
            const uint32_t code = removeTree(path + "/" + name);
            if (first == ERROR_SUCCESS)
                first = code;
        }
        if (first != ERROR_SUCCESS)
            return first;
        return ::rmdir(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
    }
    return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
}

} // namespace platform::detail
