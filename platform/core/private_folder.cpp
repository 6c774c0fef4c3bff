// The user's own folder for temporary files.
#include "platform/core/private_folder.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/drives.h"
#include "platform/core/winerror.h"

namespace platform {

namespace {

// An existing folder that belongs to the user and is not a link.
bool isOwnFolder(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

std::optional<std::string> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return std::string(value);
}

// The folder the private folder is made in.
std::optional<std::string> baseFolder() {
    if (const auto runtime = absoluteVariable("XDG_RUNTIME_DIR"); runtime && isOwnFolder(*runtime))
        return runtime;
    if (const auto cache = absoluteVariable("XDG_CACHE_HOME"))
        return cache;
    if (const auto home = absoluteVariable("HOME"))
        return *home + "/.cache";
    return std::nullopt;
}

// The folder as a host path, made and narrowed as privateTempFolder says.
std::optional<std::string> privateHostFolder() {
    const auto base = baseFolder();
    if (!base) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (::mkdir(base->c_str(), 0700) != 0 && errno != EEXIST) {
        setLastError(errorFromErrno(errno));
        return std::nullopt;
    }
    const std::string folder = *base + "/lumograph";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        setLastError(errorFromErrno(errno));
        return std::nullopt;
    }
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        setLastError(ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
    // The user's own folder from an earlier run with wider rights is narrowed again.
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        setLastError(errorFromErrno(errno));
        return std::nullopt;
    }
    return folder;
}

// The program path of a host folder, ending in a backslash.
std::optional<std::string> programFolderOf(const std::string& hostFolder) {
    const std::string programPath = fromHostPath(hostFolder);
    if (programPath.empty()) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    return programPath.back() == '\\' ? programPath : programPath + "\\";
}

// Removes the temporaries of this stem and extension that are older than a day.
void removeLeftovers(const std::string& folder, std::string_view stem, std::string_view extension) {
    // A temporary still in use is never that old: a conversion takes a moment.
    constexpr time_t kLeftoverAge = 24 * 60 * 60;
    const size_t length = stem.size() + 7 + extension.size();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const time_t cutoff = std::time(nullptr) - kLeftoverAge;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != length || name.substr(0, stem.size()) != stem ||
            name[stem.size()] != '-' || name.substr(stem.size() + 7) != extension)
            continue;
        const std::string path = folder + "/" + std::string(name);
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtim.tv_sec < cutoff)
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

} // namespace

std::optional<std::string> privateTempFolder() {
    const auto folder = privateHostFolder();
    if (!folder)
        return std::nullopt;
    return programFolderOf(*folder);
}

std::optional<std::string> newPrivateTempFile(std::string_view stem, std::string_view extension) {
    const auto folder = privateHostFolder();
    if (!folder)
        return std::nullopt;
    const auto programFolder = programFolderOf(*folder);
    if (!programFolder)
        return std::nullopt;
    removeLeftovers(*folder, stem, extension);
    std::string path = *folder + "/" + std::string(stem) + "-XXXXXX" + std::string(extension);
    const int fd = ::mkostemps(path.data(), static_cast<int>(extension.size()), O_CLOEXEC);
    if (fd < 0) {
        setLastError(errorFromErrno(errno));
        return std::nullopt;
    }
    ::close(fd);
    return *programFolder + path.substr(folder->size() + 1);
}

} // namespace platform
