// Change notifications: folders made, removed or renamed inside watched folders (inotify, which
// tells a folder from a file by itself), and drives or media coming and going (the mount table and
// the program's own drive map). A burst of changes is told once: the events of one watched folder,
// or of the drives, that follow one another within a short pause become one message per
// registration, and what the burst was about waits, for the registration to take it, as notices
// that name the folder and the entry. Messages are posted on the user-interface thread.
#include "platform/qt/shell.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <utility>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/network_wait.h"
#include "platform/qt/shell_internal.h"
#include "platform/qt/ui.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Events closer together than this belong to one burst.
constexpr auto kQuietPause = std::chrono::milliseconds(150);
// A burst that goes on is told at least this often.
constexpr auto kLongestDelay = std::chrono::milliseconds(1000);
// The program's own announced change hides the watcher's report of it for this long at most.
constexpr auto kAnnouncedLifetime = std::chrono::seconds(5);
// The coalescing key of drive and media events.
const std::string kDrivesKey = "\x01drives";
// A burst about one folder tells at most this many entries; beyond, the folder is to be looked at
// again as a whole.
constexpr size_t kMostNoticesPerBurst = 1000;
// Notices a registration has not taken yet; beyond, it is told to look again at everything.
constexpr size_t kMostWaitingNotices = 20000;

constexpr uint32_t kWatchEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

struct Registration {
    QPointer<QObject> target;
    unsigned mask = 0;
    unsigned msg = 0;
    // Host folders this registration follows, each with the spellings it gave for it.
    std::map<std::string, std::vector<std::string>> wanted;
    std::set<std::string> watched;  // those of them it holds a watch on
    std::vector<ChangeNotice> told; // waiting for changeNotifyTake
};

struct Pending {
    unsigned event = 0; // the first event of the burst
    Clock::time_point first;
    Clock::time_point last;
    std::vector<ChangeNotice> notices;
};

// What one change is about, before it is spelled for each registration.
struct About {
    std::string hostFolder; // the host folder it happened in; empty for drives and lost events
    std::string folder;     // the program's spelling when the registration follows no hostFolder
    std::string name;
};

// The program folder of a program path and the last name in it: "C:\a\b" gives "C:\a\" and
// "b".
std::pair<std::string, std::string> splitProgram(std::string_view path) {
    while (path.size() > 3 && path.back() == '\\')
        path.remove_suffix(1);
    const size_t cut = path.rfind('\\');
    if (cut == std::string_view::npos)
        return {std::string(path), {}};
    return {std::string(path.substr(0, cut + 1)), std::string(path.substr(cut + 1))};
}

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

// inotify's limit on watches for this user; the program takes a share of it, so that other
// programs keep theirs.
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

class NotifyService : public QObject {
public:
    NotifyService() {
        inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotifyFd_ >= 0) {
            auto* notifier = new QSocketNotifier(inotifyFd_, QSocketNotifier::Read, this);
            connect(notifier, &QSocketNotifier::activated, this, [this] { readEvents(); });
        }
        mountsFd_ = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
        if (mountsFd_ >= 0) {
            // The kernel flags the mount table as exceptional whenever it changes.
            auto* notifier = new QSocketNotifier(mountsFd_, QSocketNotifier::Exception, this);
            connect(notifier, &QSocketNotifier::activated, this, [this] {
                detail::invalidateHostDriveMap();
                compareDrives();
            });
        } else {
            auto* timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, [this] {
                detail::invalidateHostDriveMap();
                compareDrives();
            });
            timer->start(2000);
        }
        flushTimer_.setSingleShot(true);
        connect(&flushTimer_, &QTimer::timeout, this, [this] { flush(); });
        drives_ = drives();
        detail::setDriveMapObserver([this] {
            if (QThread::currentThread() == thread())
                compareDrives();
            else
                QMetaObject::invokeMethod(
                    this, [this] { compareDrives(); }, Qt::QueuedConnection);
        });
    }
    ~NotifyService() override {
        detail::setDriveMapObserver(nullptr);
        if (mountsFd_ >= 0)
            ::close(mountsFd_);
        if (inotifyFd_ >= 0)
            ::close(inotifyFd_);
    }

    unsigned long add(QObject* target, unsigned mask, unsigned msg) {
        const unsigned long id = nextId_++;
        registrations_[id] = Registration{target, mask, msg, {}, {}, {}};
        return id;
    }

    bool remove(unsigned long id) {
        const auto it = registrations_.find(id);
        if (it == registrations_.end())
            return false;
        for (const std::string& folder : it->second.watched)
            release(folder);
        registrations_.erase(it);
        std::erase_if(pending_, [id](const auto& entry) { return entry.first.first == id; });
        return true;
    }

    void watch(unsigned long id, const std::vector<std::string>& folders) {
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

    void watchMore(unsigned long id, const std::vector<std::string>& folders) {
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
            if (std::find(wanted->second.begin(), wanted->second.end(), folder) ==
                wanted->second.end())
                wanted->second.push_back(folder);
            // A folder removed and made again under the same name is followed again.
            if (!registration.watched.count(host->path) && acquire(host->path))
                registration.watched.insert(host->path);
        }
    }

    // The program tells of its own change: every registration whose mask has the event hears of
    // it, and the watcher's report of the same entry is not told again.
    void announce(unsigned event, std::string_view path) {
        const auto [folder, name] = splitHost(path);
        auto [programFolder, programName] = splitProgram(path);
        queue(event, folder.empty() ? std::string(path) : folder, nullptr,
              About{folder, std::move(programFolder), name.empty() ? programName : name});
        noteEntry(folder, name);
    }

    std::vector<ChangeNotice> take(unsigned long id) {
        const auto it = registrations_.find(id);
        if (it == registrations_.end())
            return {};
        return std::exchange(it->second.told, {});
    }

    void noteEntry(const std::string& folder, const std::string& name) {
        if (folder.empty() || name.empty() || !wdByPath_.count(folder))
            return;
        Announced& entry = announced_[{folder, name}];
        ++entry.count;
        entry.expires = Clock::now() + kAnnouncedLifetime;
    }

    static std::pair<std::string, std::string> splitHost(std::string_view path) {
        const auto host = detail::exactHostPath(path);
        if (!host || host->isRoot)
            return {};
        const size_t slash = host->path.rfind('/');
        return {slash == 0 ? "/" : host->path.substr(0, slash), host->path.substr(slash + 1)};
    }

private:
    struct Announced {
        int count = 0;
        Clock::time_point expires;
    };

    bool acquire(const std::string& folder) {
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

    void release(const std::string& folder) {
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

    // The kernel dropped a watch (its folder was removed, or its volume unmounted): the folder is
    // followed again when a registration asks for it next.
    void forget(int wd) {
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

    bool swallowAnnounced(const std::string& folder, const std::string& name) {
        const auto it = announced_.find({folder, name});
        if (it == announced_.end())
            return false;
        const bool current = it->second.expires > Clock::now();
        if (!current || --it->second.count == 0)
            announced_.erase(it);
        return current;
    }

    void folderEvent(unsigned event, const std::string& folder, const std::string& name) {
        if (!swallowAnnounced(folder, name))
            queue(event, folder, &folder, About{folder, {}, name});
    }

    // A folder renamed or moved between followed folders: one rename, told to those who follow
    // either folder, unless the program announced it itself.
    void renamed(int fromWd, const std::string& fromName, const std::set<std::string>& toFolders,
                 const std::string& toName) {
        std::set<std::string> fromFolders;
        if (const auto paths = pathsByWd_.find(fromWd); paths != pathsByWd_.end())
            fromFolders = paths->second;
        bool own = false;
        for (const std::string& folder : fromFolders)
            own = swallowAnnounced(folder, fromName) || own;
        for (const std::string& folder : toFolders)
            own = swallowAnnounced(folder, toName) || own;
        if (own)
            return;
        // Each side is told with its own name: the old one is gone, the new one is there.
        for (const std::string& folder : fromFolders)
            queue(SHCNE_RENAMEFOLDER, folder, &folder, About{folder, {}, fromName});
        for (const std::string& folder : toFolders)
            queue(SHCNE_RENAMEFOLDER, folder, &folder, About{folder, {}, toName});
    }

    void readEvents() {
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

    // Adds an event to the burst of key for every registration that follows it: all whose mask
    // has it, or, for an event inside a watched folder, those that follow that folder. The notice
    // names the folder as each registration spells it.
    void queue(unsigned event, const std::string& key, const std::string* onlyFolder,
               const About& about) {
        const auto now = Clock::now();
        for (auto& [id, registration] : registrations_) {
            if (!registration.target || (registration.mask & event) == 0)
                continue;
            const auto spellings = registration.wanted.find(about.hostFolder);
            const bool follows = spellings != registration.wanted.end();
            if (onlyFolder != nullptr && !registration.wanted.count(*onlyFolder))
                continue;
            Pending& pending = pending_[{id, key}];
            if (pending.event == 0) {
                pending.event = event;
                pending.first = now;
            }
            pending.last = now;
            if (follows) {
                for (const std::string& folder : spellings->second)
                    addNotice(pending.notices, ChangeNotice{event, folder, about.name});
            } else {
                addNotice(pending.notices, ChangeNotice{event, about.folder, about.name});
            }
        }
        scheduleFlush();
    }

    // A burst that tells too many entries of one folder becomes one look at the whole folder.
    static void addNotice(std::vector<ChangeNotice>& notices, ChangeNotice notice) {
        const auto toldAlready = [&notice](const ChangeNotice& told) {
            return told == notice ||
                   (told.folder == notice.folder && told.name.empty() && !notice.name.empty());
        };
        if (std::any_of(notices.begin(), notices.end(), toldAlready))
            return;
        if (notices.size() < kMostNoticesPerBurst) {
            notices.push_back(std::move(notice));
            return;
        }
        std::set<std::string> folders;
        for (const ChangeNotice& told : notices)
            folders.insert(told.folder);
        notices.clear();
        for (const std::string& folder : folders)
            notices.push_back(ChangeNotice{notice.event, folder, {}});
    }

    static Clock::time_point dueTime(const Pending& pending) {
        return std::min(pending.last + kQuietPause, pending.first + kLongestDelay);
    }

    void scheduleFlush() {
        if (pending_.empty())
            return;
        Clock::time_point due = Clock::time_point::max();
        for (const auto& [key, pending] : pending_)
            due = std::min(due, dueTime(pending));
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(std::max(due - Clock::now(), {}));
        flushTimer_.start(static_cast<int>(wait.count()));
    }

    void flush() {
        const auto now = Clock::now();
        struct Ready {
            Clock::time_point first;
            unsigned long id;
            Pending burst;
        };
        std::vector<Ready> ready;
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (dueTime(it->second) > now) {
                ++it;
                continue;
            }
            ready.push_back({it->second.first, it->first.first, std::move(it->second)});
            it = pending_.erase(it);
        }
        // In the order the bursts began.
        std::stable_sort(ready.begin(), ready.end(),
                         [](const Ready& a, const Ready& b) { return a.first < b.first; });
        for (Ready& message : ready) {
            const auto registration = registrations_.find(message.id);
            if (registration == registrations_.end() || !registration->second.target)
                continue;
            std::vector<ChangeNotice>& told = registration->second.told;
            told.insert(told.end(), std::make_move_iterator(message.burst.notices.begin()),
                        std::make_move_iterator(message.burst.notices.end()));
            // A registration that does not take what it is told is not let to pile it up.
            if (told.size() > kMostWaitingNotices)
                told = {ChangeNotice{message.burst.event, {}, {}}};
            postMessage(registration->second.target, registration->second.msg, 1,
                        static_cast<qintptr>(message.burst.event));
        }
        scheduleFlush();
    }

    void compareDrives() {
        std::vector<DriveInfo> now = drives();
        const auto tell = [this](unsigned event, char letter) {
            queue(event, kDrivesKey, nullptr, About{{}, std::string{letter, ':', '\\'}, {}});
        };
        for (const DriveInfo& drive : now) {
            const auto before =
                std::find_if(drives_.begin(), drives_.end(),
                             [&](const DriveInfo& d) { return d.letter == drive.letter; });
            if (before == drives_.end())
                tell(SHCNE_DRIVEADD, drive.letter);
            else if (before->hostRoot != drive.hostRoot) {
                tell(SHCNE_DRIVEREMOVED, drive.letter);
                tell(SHCNE_DRIVEADD, drive.letter);
            } else if (!before->ready && drive.ready)
                tell(SHCNE_MEDIAINSERTED, drive.letter);
            else if (before->ready && !drive.ready)
                tell(SHCNE_MEDIAREMOVED, drive.letter);
        }
        for (const DriveInfo& drive : drives_) {
            if (std::none_of(now.begin(), now.end(),
                             [&](const DriveInfo& d) { return d.letter == drive.letter; }))
                tell(SHCNE_DRIVEREMOVED, drive.letter);
        }
        drives_ = std::move(now);
    }

    int inotifyFd_ = -1;
    std::map<int, std::set<std::string>> pathsByWd_;
    std::map<std::string, int> wdByPath_;
    std::map<std::string, int> users_; // registrations that watch each folder
    std::map<unsigned long, Registration> registrations_;
    std::map<std::pair<unsigned long, std::string>, Pending> pending_;
    std::map<std::pair<std::string, std::string>, Announced> announced_;
    QTimer flushTimer_;
    unsigned long nextId_ = 1;
    std::vector<DriveInfo> drives_;
    int mountsFd_ = -1;
};

NotifyService* service(bool create) {
    static QPointer<NotifyService> instance;
    if (!instance && create && QCoreApplication::instance() != nullptr) {
        instance = new NotifyService;
        // The service lives as long as the application object.
        instance->setParent(QCoreApplication::instance());
    }
    return instance.data();
}

} // namespace

unsigned long changeNotifyRegister(QObject* target, unsigned eventMask, unsigned msg) {
    NotifyService* s = service(true);
    if (s == nullptr || target == nullptr)
        return 0;
    return s->add(target, eventMask, msg);
}

bool changeNotifyDeregister(unsigned long registration) {
    NotifyService* s = service(false);
    return s != nullptr && s->remove(registration);
}

void changeNotifyWatch(unsigned long registration, const std::vector<std::string>& folders) {
    if (NotifyService* s = service(false))
        s->watch(registration, folders);
}

void changeNotifyWatchMore(unsigned long registration, const std::vector<std::string>& folders) {
    if (NotifyService* s = service(false))
        s->watchMore(registration, folders);
}

std::vector<ChangeNotice> changeNotifyTake(unsigned long registration) {
    NotifyService* s = service(false);
    return s != nullptr ? s->take(registration) : std::vector<ChangeNotice>{};
}

size_t changeNotifyWatchCapacity() {
    return watchCapacity();
}

void shellChangeNotify(unsigned event, std::string_view path, std::string_view newPath) {
    NotifyService* s = service(false);
    if (s == nullptr)
        return;
    s->announce(event, path);
    if (!newPath.empty())
        s->announce(event, newPath);
}

} // namespace platform
