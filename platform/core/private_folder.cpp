// The user's own folder for temporary files.
#include "platform/core/private_folder.h"

#include <cerrno>
#include <cstdlib>

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

} // namespace

std::optional<std::string> privateTempFolder() {
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
    const std::string programPath = fromHostPath(folder);
    if (programPath.empty()) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    return programPath.back() == '\\' ? programPath : programPath + "\\";
}

} // namespace platform
