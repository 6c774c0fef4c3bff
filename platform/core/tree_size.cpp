// The tree-size walk: an explicit stack of host folders, each read once, entries looked at
// without following links.
#include "platform/core/tree_size.h"

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"

namespace platform {

namespace {

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

struct FileIdHash {
    size_t operator()(const FileId& id) const {
        return std::hash<uint64_t>()(static_cast<uint64_t>(id.inode) * 1000003u ^
                                     static_cast<uint64_t>(id.device));
    }
};

std::string join(const std::string& folder, const char* name) {
    return folder == "/" ? "/" + std::string(name) : folder + "/" + name;
}

// An open folder, closed on every way out.
class Folder {
public:
    explicit Folder(const std::string& path, bool followLink) {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
        const int fd = ::open(path.c_str(), flags);
        if (fd < 0)
            return;
        dir_ = ::fdopendir(fd);
        if (dir_ == nullptr)
            ::close(fd);
    }
    ~Folder() {
        if (dir_ != nullptr)
            ::closedir(dir_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    int fd() const { return ::dirfd(dir_); }
    const dirent* next() { return ::readdir(dir_); }

private:
    DIR* dir_ = nullptr;
};

class Walk {
public:
    explicit Walk(TreeSizeProgress* progress) : progress_(progress) {}

    TreeSize run(const std::string& hostRoot) {
        // The folder asked for may itself be reached through a link (the tree lists links to
        // folders as folders); below it no link is followed.
        Folder root(hostRoot, true);
        struct stat st;
        if (!root.isOpen() || ::fstat(root.fd(), &st) != 0)
            return result_;
        result_.found = true;
        device_ = st.st_dev;
        readFolder(root, hostRoot);
        while (!pending_.empty() && !stopRequested()) {
            const std::string path = std::move(pending_.back());
            pending_.pop_back();
            Folder folder(path, false);
            if (!folder.isOpen()) {
                ++result_.unreadableFolders;
                continue;
            }
            readFolder(folder, path);
        }
        result_.stopped = stopRequested();
        return result_;
    }

private:
    bool stopRequested() const {
        return progress_ != nullptr && progress_->stop.load(std::memory_order_relaxed);
    }

    void readFolder(Folder& folder, const std::string& path) {
        for (;;) {
            errno = 0;
            const dirent* entry = folder.next();
            if (entry == nullptr) {
                if (errno != 0)
                    ++result_.unreadableFolders;
                return;
            }
            if (stopRequested())
                return;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            struct stat st;
            if (::fstatat(folder.fd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone meanwhile
            if (S_ISDIR(st.st_mode)) {
                if (st.st_dev != device_) {
                    ++result_.otherFileSystems;
                    continue;
                }
                ++result_.folders;
                pending_.push_back(join(path, name));
            } else if (S_ISREG(st.st_mode) && st.st_dev == device_) {
                addFile(st);
            }
        }
    }

    void addFile(const struct stat& st) {
        // Only a file with more than one name can be met twice; the others need no memory.
        if (st.st_nlink > 1 && !seen_.insert(FileId{st.st_dev, st.st_ino}).second)
            return;
        const uint64_t size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
        result_.bytes += size;
        ++result_.files;
        if (progress_ != nullptr) {
            progress_->bytes.store(result_.bytes, std::memory_order_relaxed);
            progress_->files.store(result_.files, std::memory_order_relaxed);
        }
    }

    TreeSizeProgress* progress_;
    TreeSize result_;
    dev_t device_ = 0;
    std::vector<std::string> pending_;
    std::unordered_set<FileId, FileIdHash> seen_;
};

} // namespace

TreeSize folderTreeSize(std::string_view programPath, TreeSizeProgress* progress) {
    if (programPath.empty())
        return {};
    // Whoever can stop the walk is its limit: a slow share is waited for, not given up on.
    std::optional<detail::UnboundedWaits> unbounded;
    if (progress != nullptr)
        unbounded.emplace();
    const auto host = detail::resolveForAccess(programPath);
    if (!host)
        return {};
    return Walk(progress).run(host->path);
}

} // namespace platform
