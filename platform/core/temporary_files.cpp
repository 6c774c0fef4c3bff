// Writing through temporaries on host paths: unique hidden names, the removal of what a killed
// copy left behind, an unnamed file linked into place, renames that never replace, and the flush
// of the folder that received a name.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/file_tree.h"
#include "platform/core/file_tree_parts.h"

namespace platform::detail {

namespace {

// The temporaries of this program carry this prefix, a tag and a random end ("-XXXXXX").
constexpr std::string_view kTemporaryPrefix = ".lumo-";
constexpr std::string_view kTemporaryTags[] = {"tmp", "replace", "jpeg"};
// A temporary left behind by a copy that was killed is removed once it is this old: a copy still
// running never takes that long without touching its folder.
constexpr time_t kLeftoverAge = 24 * 60 * 60;

bool isTemporaryEnd(std::string_view end) {
    if (end.size() != 6)
        return false;
    for (char c : end) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace

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

} // namespace platform::detail
