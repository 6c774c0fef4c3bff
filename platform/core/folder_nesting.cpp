// Folder nesting by identity: the device and inode of the outer folder are looked for among the
// folder's own and its parents' on the way up to the host root.
#include "platform/core/folder_nesting.h"

#include <cstdlib>
#include <memory>
#include <string>

#include <sys/stat.h>

#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"

namespace platform {

namespace {

bool nestedByIdentity(const std::string& folder, const std::string& outer) {
    struct stat outerStat;
    if (::lstat(outer.c_str(), &outerStat) != 0 || !S_ISDIR(outerStat.st_mode))
        return false;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    if (!real)
        return false;
    std::string path = real.get();
    for (;;) {
        struct stat st;
        if (::stat(path.c_str(), &st) == 0 && st.st_dev == outerStat.st_dev &&
            st.st_ino == outerStat.st_ino)
            return true;
        if (path == "/")
            return false;
        const size_t slash = path.rfind('/');
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
}

} // namespace

bool folderLiesWithin(std::string_view folder, std::string_view outer) {
    const auto outerHost = detail::resolveForAccess(outer);
    const auto folderHost = detail::resolveForAccess(folder);
    if (!outerHost || !folderHost)
        return false;
    // Either folder may lie on a share; one that does not answer gives no answer either.
    const auto within = detail::boundedCall<bool>(
        outerHost->path, [outer = outerHost->path, folder = folderHost->path] {
            return detail::boundedCall<bool>(
                       folder, [outer, folder] { return nestedByIdentity(folder, outer); })
                .value_or(false);
        });
    return within.value_or(false);
}

} // namespace platform
