// Change notifications: the inotify watches the registrations share, and reading the kernel's
// events of the folders they follow.
#include <algorithm>
#include <fstream>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "platform/qt/shell_notify_service.h"

namespace platform::notify {

namespace {

constexpr uint32_t kWatchEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string joinHost(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// A link to a folder counts as a folder, as the tree lists it.
bool isFolderEntry(const std::string& path) {
    return detail::boundedCall<bool>(path,
                                     [path] {
                                         struct stat st;
                                         return ::stat(path.c_str(), &st) == 0 &&
                                                S_ISDIR(st.st_mode);
                                     })
        .value_or(false);
}

} // namespace

size_t watchCapacity() {
    static const size_t capacity = [] {
        constexpr size_t kMost = 8192;
        constexpr size_t kLeast = 256;
        std::ifstream in("/proc/sys/fs/inotify/max_user_watches");
        size_t limit = 0;
        if (!(in >> limit))
            return kLeast;
        return std::clamp(limit / 4, kLeast, kMost);
    }();
    return capacity;
}

unsigned long NotifyService::add(QObject* target, unsigned mask, unsigned msg) {
    const unsigned long id = nextId_++;
    registrations_[id] = Registration{target, mask, msg, {}, {}, {}};
    return id;
}

bool NotifyService::remove(unsigned long id) {
    const auto it = registrations_.find(id);
    if (it == registrations_.end())
        return false;
    for (const std::string& folder : it->second.watched)
        release(folder);
    registrations_.erase(it);
    std::erase_if(pending_, [id](const auto& entry) { return entry.first.first == id; });
    return true;
}

void NotifyService::watch(unsigned long id, const std::vector<std::string>& folders) {
    const auto it = registrations_.find(id);
    if (it == registrations_.end())
        return;
    Registration& registration = it->second;
    // The folders come in the order of their importance; beyond the capacity they are not
    // followed (the tree reads a folder again when it opens it).
    std::map<std::string, std::vector<std::string>> wanted;
    for (const std::string& folder : folders) {
        if (wanted.size() >= watchCapacity())
            break;
        // The exact spelling: the tree's paths are made of names as the file system gave
        // them, and the disk (maybe a share that does not answer) is not asked.
        if (const auto host = detail::exactHostPath(folder))
            wanted[host->path].push_back(folder);
    }
    for (auto watched = registration.watched.begin(); watched != registration.watched.end();) {
        if (wanted.count(*watched)) {
            ++watched;
        } else {
            release(*watched);
            watched = registration.watched.erase(watched);
        }
    }
    for (const auto& [folder, spellings] : wanted) {
        if (!registration.watched.count(folder) && acquire(folder))
            registration.watched.insert(folder);
    }
    registration.wanted = std::move(wanted);
}

void NotifyService::watchMore(unsigned long id, const std::vector<std::string>& folders) {
    const auto it = registrations_.find(id);
    if (it == registrations_.end())
        return;
    Registration& registration = it->second;
    for (const std::string& folder : folders) {
        const auto host = detail::exactHostPath(folder);
        if (!host)
            continue;
        auto wanted = registration.wanted.find(host->path);
        if (wanted == registration.wanted.end()) {
            if (registration.wanted.size() >= watchCapacity())
                continue;
            wanted = registration.wanted.emplace(host->path, std::vector<std::string>{}).first;
        }
        if (std::find(wanted->second.begin(), wanted->second.end(), folder) == wanted->second.end())
            wanted->second.push_back(folder);
        // A folder removed and made again under the same name is followed again.
        if (!registration.watched.count(host->path) && acquire(host->path))
            registration.watched.insert(host->path);
    }
}

bool NotifyService::acquire(const std::string& folder) {
    if (const auto it = users_.find(folder); it != users_.end()) {
        ++it->second;
        return true;
    }
    if (inotifyFd_ < 0)
        return false;
    // Adding a watch looks the path up, which waits on a share that does not answer.
    const int fd = inotifyFd_;
    const int wd = detail::boundedCall<int>(folder, [fd, folder] {
                       return ::inotify_add_watch(fd, folder.c_str(), kWatchEvents);
                   }).value_or(-1);
    if (wd < 0)
        return false; // gone, not a folder, or no watch left: not followed
    pathsByWd_[wd].insert(folder);
    wdByPath_[folder] = wd;
    users_[folder] = 1;
    return true;
}

void NotifyService::release(const std::string& folder) {
    const auto users = users_.find(folder);
    if (users == users_.end() || --users->second > 0)
        return;
    users_.erase(users);
    const auto wd = wdByPath_.find(folder);
    if (wd == wdByPath_.end())
        return;
    auto paths = pathsByWd_.find(wd->second);
    if (paths != pathsByWd_.end()) {
        paths->second.erase(folder);
        // Two paths to one folder (a link) share one watch.
        if (paths->second.empty()) {
            ::inotify_rm_watch(inotifyFd_, wd->second);
            pathsByWd_.erase(paths);
        }
    }
    wdByPath_.erase(wd);
}

void NotifyService::forget(int wd) {
    const auto paths = pathsByWd_.find(wd);
    if (paths == pathsByWd_.end())
        return;
    for (const std::string& folder : paths->second) {
        wdByPath_.erase(folder);
        users_.erase(folder);
        for (auto& [id, registration] : registrations_)
            registration.watched.erase(folder);
    }
    pathsByWd_.erase(paths);
}

void NotifyService::readEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    struct Move {
        int wd;
        std::string name;
        bool folder;
    };
    std::map<uint32_t, Move> movedFrom; // by cookie, waiting for their other half
    for (;;) {
        const ssize_t length = ::read(inotifyFd_, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const std::string name = event->len > 0 ? std::string(event->name) : std::string();
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: whoever follows folders looks again.
                queue(SHCNE_MKDIR, "\x01overflow", nullptr, About{});
                continue;
            }
            const auto paths = pathsByWd_.find(event->wd);
            if (paths == pathsByWd_.end())
                continue;
            const std::set<std::string> folders = paths->second;
            if (event->mask & IN_IGNORED) {
                forget(event->wd);
                continue;
            }
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                // Told from the folder's parent when that is followed too.
                for (const std::string& folder : folders) {
                    const size_t slash = folder.rfind('/');
                    const std::string parent = slash == 0 ? "/" : folder.substr(0, slash);
                    if (folder != "/" && !wdByPath_.count(parent))
                        queue(SHCNE_RMDIR, folder, &folder, About{folder, {}, {}});
                }
                // A moved folder's watch would follow it under a name the tree no longer
                // shows.
                if (event->mask & IN_MOVE_SELF) {
                    ::inotify_rm_watch(inotifyFd_, event->wd);
                    forget(event->wd);
                }
                continue;
            }
            bool folder = (event->mask & IN_ISDIR) != 0;
            if (!folder && (event->mask & (IN_CREATE | IN_MOVED_TO)))
                folder = isFolderEntry(joinHost(*folders.begin(), name));
            if (event->mask & IN_MOVED_FROM) {
                movedFrom[event->cookie] = Move{event->wd, name, folder};
                continue;
            }
            if (event->mask & IN_MOVED_TO) {
                const auto from = movedFrom.find(event->cookie);
                if (from != movedFrom.end()) {
                    if (folder || from->second.folder)
                        renamed(from->second.wd, from->second.name, folders, name);
                    movedFrom.erase(from);
                    continue;
                }
            }
            if (!folder)
                continue;
            const unsigned shellEvent =
                (event->mask & (IN_CREATE | IN_MOVED_TO)) ? SHCNE_MKDIR : SHCNE_RMDIR;
            for (const std::string& path : folders)
                folderEvent(shellEvent, path, name);
        }
    }
    // A folder moved out of every watched folder is gone from where it was.
    for (const auto& [cookie, move] : movedFrom) {
        const auto paths = pathsByWd_.find(move.wd);
        if (!move.folder || paths == pathsByWd_.end())
            continue;
        for (const std::string& path : paths->second)
            folderEvent(SHCNE_RMDIR, path, move.name);
    }
    const auto now = Clock::now();
    std::erase_if(announced_, [now](const auto& entry) { return entry.second.expires <= now; });
}

} // namespace platform::notify
