// The plain pieces of the host tree operations (paths, error codes, folder listings) and the
// delete of a file or a whole folder, which never empties another mounted file system.
#include "platform/core/file_tree.h"

#include <cerrno>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/file_tree_parts.h"
#include "platform/core/mounts_below.h"
#include "platform/core/winerror.h"

namespace platform::detail {

namespace {

uint32_t removeWalk(const std::string& path, const MountPlace& root, bool isRoot,
                    const CopyObserver* observer) {
    if (observer != nullptr && observer->stopRequested())
        return ERROR_CANCELLED;
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
        const uint32_t code = removeWalk(join(path, name), root, false, observer);
        if (first == ERROR_SUCCESS)
            first = code;
    }
    if (first != ERROR_SUCCESS)
        return first;
    return ::rmdir(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
}

} // namespace

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

std::string below(const std::string& relative, const std::string& name) {
    return relative.empty() ? name : relative + "/" + name;
}

bool isInside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (folder == "/" || path[folder.size()] == '/');
}

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

uint32_t removeTree(const std::string& path, const CopyObserver* observer) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errorForPath(path, errno);
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno);
    // A folder that is itself a mount point, or holds one, is refused before anything goes.
    MountPlace root;
    if (!mountPlaceOf(path, root))
        return errorForPath(path, errno);
    if (carriesMountedVolume(path))
        return ERROR_ACCESS_DENIED;
    return removeWalk(path, root, true, observer);
}

} // namespace platform::detail
