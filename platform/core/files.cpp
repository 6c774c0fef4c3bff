// Find-file enumeration, attributes and the simple file calls in the program's namespace.
#include "platform/core/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/core/copy_observer.h"
#include "platform/core/dos_attributes.h"
#include "platform/core/file_tree.h"
#include "platform/core/folder_walk.h"
#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "platform/core/winerror.h"

namespace platform {

namespace {

constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr uint32_t kDosBits =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// '*' any run, '?' one byte, letters without regard to case.
bool wildcardMatch(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool matchesPattern(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    return wildcardMatch(pattern, name);
}

// The DOS attribute bits stored by file servers and emulators as text ("0x22"); nullopt when the
// entry has none or the value is not that text.
std::optional<uint32_t> readDosAttrib(const std::string& hostPath) {
    // File servers append a binary record after the text, so the value can be far longer than
    // the text itself; a buffer too small would make the call fail and lose the bits.
    char buffer[1024];
    const ssize_t length = ::lgetxattr(hostPath.c_str(), kDosAttrib, buffer, sizeof buffer - 1);
    if (length <= 2)
        return std::nullopt;
    buffer[length] = '\0';
    if (buffer[0] != '0' || (buffer[1] != 'x' && buffer[1] != 'X'))
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(buffer + 2, &end, 16);
    if (end == buffer + 2)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

// Puts the hidden, system and archive bits wanted into the extended attribute, which is only
// written when they differ from what the entry shows without one, so that plain files on file
// systems without user attributes still succeed. False with errno set when it cannot be written.
bool writeDosBits(const std::string& hostPath, bool folder, uint32_t wanted) {
    const auto current = readDosAttrib(hostPath);
    const uint32_t plain = folder ? 0u : uint32_t(FILE_ATTRIBUTE_ARCHIVE);
    if (!current && wanted == plain)
        return true;
    if (current && *current == (wanted | (*current & ~kDosBits)))
        return true;
    char text[16];
    std::snprintf(text, sizeof text, "0x%x",
                  static_cast<unsigned>(wanted | (current ? *current & ~kDosBits : 0u)));
    return ::lsetxattr(hostPath.c_str(), kDosAttrib, text, std::strlen(text), 0) == 0;
}

bool inGroup(gid_t gid) {
    static const std::vector<gid_t> groups = [] {
        std::vector<gid_t> list(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
        list.resize(static_cast<size_t>(
            std::max(::getgroups(static_cast<int>(list.size()), list.data()), 0)));
        list.push_back(::getegid());
        return list;
    }();
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// Write permission from the mode bits alone, as access(W_OK) would decide it, without a call per
// entry; the superuser still sees a file without any write bit as read-only.
bool writable(const struct stat& st) {
    static const uid_t uid = ::geteuid(); // the program never changes its user
    if (uid == 0)
        return (st.st_mode & 0222) != 0;
    if (st.st_uid == uid)
        return (st.st_mode & S_IWUSR) != 0;
    if (inGroup(st.st_gid))
        return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

uint32_t attributesOf(const std::string& hostPath, std::string_view name, const struct stat& st) {
    uint32_t attributes = 0;
    const bool folder = S_ISDIR(st.st_mode);
    if (folder)
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!writable(st))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    // A FAT or NTFS volume keeps the bits itself; elsewhere a file server's record may.
    if (const auto native = detail::volumeDosAttributes(hostPath, st))
        attributes |= *native & kDosBits;
    else if (const auto dos = readDosAttrib(hostPath))
        attributes |= *dos & kDosBits;
    else if (!folder)
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

std::string_view lastComponent(const std::string& hostPath) {
    const size_t slash = hostPath.rfind('/');
    return slash == std::string::npos ? std::string_view(hostPath)
                                      : std::string_view(hostPath).substr(slash + 1);
}

bool statHost(const std::string& hostPath, struct stat& st) {
    // On a share that stops answering this gives up after a bounded wait (ERROR_BAD_NETPATH).
    const auto result = detail::boundedCall<std::pair<int, struct stat>>(hostPath, [hostPath] {
        struct stat found {};
        const bool ok =
            ::stat(hostPath.c_str(), &found) == 0 || ::lstat(hostPath.c_str(), &found) == 0;
        return std::pair{ok ? 0 : errno, found};
    });
    if (!result)
        return false;
    if (result->first != 0) {
        setLastError(detail::errorForPath(hostPath, result->first));
        return false;
    }
    st = result->second;
    return true;
}

bool fail(const std::string& hostPath, int err) {
    setLastError(detail::errorForPath(hostPath, err));
    return false;
}

} // namespace

struct FindFile::Impl {
    std::string folder;             // host folder, ends in '/'
    std::vector<std::string> names; // matching names in order
    std::vector<std::string> unnamable;
    size_t next = 0;
    uint32_t openError = ERROR_SUCCESS;
    bool foldersOnly = false;
    std::optional<detail::ListedFolder> listed; // a network folder, read off this thread
};

namespace {

// Whether a directory entry can be a folder: the entry type readdir gives is enough for most
// entries; a link or an unknown type is decided later by stat.
bool mayBeFolder(const dirent& entry) {
    return entry.d_type == DT_DIR || entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN;
}

// The folder of a search, opened at its exact spelling first; only when that fails is the path
// resolved again, matching names without regard to case (which reads every folder on the way).
DIR* openSearchFolder(const std::string& folderPath, std::optional<detail::HostPath>& host) {
    host = detail::exactHostPath(folderPath);
    if (host && host->drive.ready) {
        if (DIR* dir = ::opendir(host->path.c_str()))
            return dir;
    }
    host = detail::resolveForAccess(folderPath);
    if (!host)
        return nullptr;
    return ::opendir(host->path.c_str());
}

} // namespace

FindFile::FindFile(std::string_view pattern, FindScope scope) : impl_(std::make_unique<Impl>()) {
    impl_->foldersOnly = scope == FindScope::SubFolders;
    if ((impl_->listed = detail::listNetworkFolder(pattern, scope))) {
        impl_->unnamable = impl_->listed->unnamable;
        return;
    }
    size_t cut = pattern.find_last_of("\\/");
    if (cut == std::string_view::npos && pattern.size() >= 2 && pattern[1] == ':')
        cut = 1;
    if (cut == std::string_view::npos) {
        impl_->openError = ERROR_PATH_NOT_FOUND;
        return;
    }
    const std::string_view namePattern = pattern.substr(cut + 1);
    std::string folderPath(pattern.substr(0, cut + 1));
    if (namePattern.empty()) {
        impl_->openError =
            detail::resolveForAccess(folderPath) ? ERROR_FILE_NOT_FOUND : lastError();
        return;
    }
    std::optional<detail::HostPath> host;
    DIR* dir = openSearchFolder(folderPath, host);
    if (!host) {
        impl_->openError = lastError();
        return;
    }
    if (dir == nullptr) {
        const int err = errno;
        impl_->openError =
            (err == ENOENT || err == ENOTDIR) ? ERROR_PATH_NOT_FOUND : errorFromErrno(err);
        return;
    }
    impl_->folder = host->path.back() == '/' ? host->path : host->path + '/';
    const bool skipDots = host->isRoot || impl_->foldersOnly;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (skipDots && (name == "." || name == ".."))
            continue;
        if (impl_->foldersOnly && !mayBeFolder(*entry))
            continue;
        if (!matchesPattern(namePattern, name))
            continue;
        // A backslash is a separator in the program's paths: such an entry could only be named as
        // a different path, and deleting or moving it would reach the wrong item.
        if (name.find('\\') != std::string_view::npos)
            impl_->unnamable.emplace_back(name);
        else
            impl_->names.emplace_back(name);
    }
    ::closedir(dir);
    const auto byName = [](const std::string& a, const std::string& b) {
        return detail::lessNoCase(a, b);
    };
    std::sort(impl_->names.begin(), impl_->names.end(), byName);
    std::sort(impl_->unnamable.begin(), impl_->unnamable.end(), byName);
    if (impl_->names.empty())
        impl_->openError = ERROR_FILE_NOT_FOUND;
}

FindFile::~FindFile() = default;

bool FindFile::next(FindData& out) {
    if (impl_->listed) {
        if (impl_->next < impl_->listed->entries.size()) {
            out = impl_->listed->entries[impl_->next++];
            return true;
        }
        setLastError(impl_->listed->end);
        return false;
    }
    if (impl_->openError != ERROR_SUCCESS) {
        setLastError(impl_->openError);
        return false;
    }
    while (impl_->next < impl_->names.size()) {
        const std::string& name = impl_->names[impl_->next++];
        const std::string path = impl_->folder + name;
        struct stat st;
        // An entry removed since the folder was read is skipped; a dangling link is reported.
        if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0)
            continue;
        if (impl_->foldersOnly && !S_ISDIR(st.st_mode))
            continue;
        out.name = name;
        out.attributes = attributesOf(path, name, st);
        out.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
        out.writeTime = static_cast<int64_t>(st.st_mtim.tv_sec);
        return true;
    }
    setLastError(ERROR_NO_MORE_FILES);
    return false;
}

const std::vector<std::string>& FindFile::unnamableNames() const {
    return impl_->unnamable;
}

uint32_t getFileAttributes(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (!statHost(host->path, st))
        return INVALID_FILE_ATTRIBUTES;
    // A drive's root is never hidden, even when its host folder has a dotted name.
    return attributesOf(host->path, host->isRoot ? std::string_view() : lastComponent(host->path),
                        st);
}

bool setFileAttributes(std::string_view path, uint32_t attributes) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return false;
    struct stat st;
    if (!statHost(host->path, st))
        return false;
    mode_t mode = st.st_mode & 07777;
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly)
        mode &= ~mode_t(0222);
    else if ((mode & 0222) == 0 || !writable(st))
        mode |= S_IWUSR;
    const bool modeChanges = mode != (st.st_mode & 07777);
    // Its owner may change an entry's extended attributes only while it is writable: write
    // permission comes before the attribute is written and goes after.
    if (modeChanges && !readOnly && ::chmod(host->path.c_str(), mode) != 0)
        return fail(host->path, errno);
    const bool dosWritten = writeDosBits(host->path, S_ISDIR(st.st_mode), attributes & kDosBits);
    const int dosError = errno;
    if (modeChanges && readOnly && ::chmod(host->path.c_str(), mode) != 0)
        return fail(host->path, errno);
    return dosWritten || fail(host->path, dosError);
}

bool fileExists(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    struct stat st;
    if (!host || !statHost(host->path, st))
        return false;
    if (S_ISDIR(st.st_mode)) {
        setLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return true;
}

bool isBrokenLink(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return false;
    const auto broken = detail::boundedCall<bool>(host->path, [path = host->path] {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
               ::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ELOOP);
    });
    return broken.value_or(false);
}

bool directoryExists(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    struct stat st;
    if (!host || !statHost(host->path, st))
        return false;
    if (!S_ISDIR(st.st_mode)) {
        setLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

std::optional<uint64_t> fileSize(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    struct stat st;
    if (!host || !statHost(host->path, st))
        return std::nullopt;
    if (S_ISDIR(st.st_mode)) {
        setLastError(ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
    return static_cast<uint64_t>(st.st_size);
}

bool copyFile(std::string_view source, std::string_view destination,
              detail::CopyObserver* observer) {
    const auto from = detail::resolveForAccess(source);
    if (!from)
        return false;
    const auto to = detail::resolveForAccess(destination);
    if (!to)
        return false;
    struct stat st;
    if (!statHost(from->path, st))
        return false;
    if (S_ISDIR(st.st_mode)) {
        setLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const uint32_t code = detail::copyTree(from->path, to->path, false, observer);
    setLastError(code);
    return code == ERROR_SUCCESS;
}

bool moveFile(std::string_view source, std::string_view destination,
              detail::CopyObserver* observer) {
    const auto from = detail::resolveForAccess(source);
    if (!from)
        return false;
    const auto to = detail::resolveForAccess(destination);
    if (!to)
        return false;
    if (from->isRoot || to->isRoot) {
        setLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    std::string target = to->path;
    if (target == from->path) {
        // The destination names the source in another case: the entry takes the new spelling.
        const std::string_view trimmed =
            destination.substr(0, destination.find_last_not_of("\\/") + 1);
        const std::string_view given = trimmed.substr(trimmed.find_last_of("\\/:") + 1);
        const std::string_view current = lastComponent(from->path);
        if (given != current && detail::equalsNoCase(given, current))
            target = from->path.substr(0, from->path.size() - current.size()) + std::string(given);
    }
    const uint32_t code = detail::moveTree(from->path, target, observer);
    setLastError(code);
    return code == ERROR_SUCCESS;
}

bool deleteFile(std::string_view path, const detail::CopyObserver* observer) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return false;
    struct stat st;
    if (::lstat(host->path.c_str(), &st) != 0)
        return fail(host->path, errno);
    // A folder is no file, and a read-only file stays, as DeleteFile leaves it.
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && !writable(st))) {
        setLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (observer != nullptr && observer->stopRequested()) {
        setLastError(ERROR_CANCELLED);
        return false;
    }
    if (::unlink(host->path.c_str()) != 0)
        return fail(host->path, errno);
    return true;
}

bool createDirectory(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return false;
    if (::mkdir(host->path.c_str(), 0777) != 0) {
        const int err = errno;
        setLastError(err == EEXIST ? ERROR_ALREADY_EXISTS
                                   : (err == ENOENT ? ERROR_PATH_NOT_FOUND : errorFromErrno(err)));
        return false;
    }
    return true;
}

bool removeDirectory(std::string_view path) {
    const auto host = detail::resolveForAccess(path);
    if (!host)
        return false;
    if (host->isRoot) {
        setLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (::rmdir(host->path.c_str()) != 0) {
        const int err = errno;
        setLastError(err == EEXIST ? ERROR_DIR_NOT_EMPTY
                                   : (err == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                     : detail::errorForPath(host->path, err)));
        return false;
    }
    return true;
}

namespace detail {

uint32_t entryAttributes(const std::string& hostPath, std::string_view name,
                         const struct stat& st) {
    return attributesOf(hostPath, name, st);
}

} // namespace detail

} // namespace platform
