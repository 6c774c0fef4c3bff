// The look-ahead for sub-folders, folder identities and network folders read off the caller's
// thread.
#include "platform/core/folder_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "platform/core/winerror.h"

namespace platform {

namespace {

bool mayBeFolder(const dirent& entry) {
    return entry.d_type == DT_DIR || entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN;
}

bool firstSubFolder(const std::string& hostFolder,
                    const std::function<bool(const FindData&)>& accept) {
    DIR* dir = ::opendir(hostFolder.c_str());
    if (dir == nullptr)
        return false;
    const std::string prefix = hostFolder == "/" ? "/" : hostFolder + "/";
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        // The names find-file leaves out: the dot entries, and names holding a backslash, which
        // the program's paths cannot name.
        if (!mayBeFolder(*entry) || name == "." || name == ".." ||
            name.find('\\') != std::string_view::npos)
            continue;
        const std::string path = prefix + entry->d_name;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        FindData data;
        data.name = entry->d_name;
        data.attributes = detail::entryAttributes(path, name, st);
        data.writeTime = static_cast<int64_t>(st.st_mtim.tv_sec);
        if (accept(data)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

bool hasSubFolder(std::string_view folder, std::function<bool(const FindData&)> accept) {
    // The exact spelling first, as find-file does; names are matched without regard to case
    // only when that fails.
    auto host = detail::exactHostPath(folder);
    if (!host || !host->drive.ready)
        return false;
    const auto found = detail::boundedCall<bool>(
        host->path, [path = host->path, folder = std::string(folder), accept = std::move(accept)] {
            if (firstSubFolder(path, accept))
                return true;
            struct stat st;
            if (::stat(path.c_str(), &st) == 0)
                return false; // it was read: nothing there
            const auto resolved = detail::resolveForAccess(folder);
            return resolved && resolved->path != path && firstSubFolder(resolved->path, accept);
        });
    return found.value_or(false);
}

std::optional<FolderIdentity> folderIdentity(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return std::nullopt;
    const auto identity =
        detail::boundedCall<std::optional<FolderIdentity>>(host->path, [path = host->path] {
            struct stat st;
            if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return std::optional<FolderIdentity>();
            return std::optional(
                FolderIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)});
        });
    return identity.value_or(std::nullopt);
}

namespace detail {

std::optional<ListedFolder> listNetworkFolder(std::string_view pattern, FindScope scope) {
    const size_t cut = pattern.find_last_of("\\/");
    if (cut == std::string_view::npos)
        return std::nullopt;
    const auto host = exactHostPath(pattern.substr(0, cut + 1));
    if (!host || !networkRootOf(host->path) || onHelperThread())
        return std::nullopt;
    auto listed = boundedCall<ListedFolder>(host->path, [pattern = std::string(pattern), scope] {
        ListedFolder result;
        FindFile find(pattern, scope);
        result.unnamable = find.unnamableNames();
        FindData entry;
        while (find.next(entry))
            result.entries.push_back(entry);
        result.end = lastError();
        return result;
    });
    if (!listed)
        return ListedFolder{{}, lastError(), {}};
    return listed;
}

} // namespace detail

} // namespace platform
