// Change notifications: folders made, removed or renamed inside watched folders (a folder watcher
// and a comparison of the sub-folders before and after), and drives or media coming and going (the
// mount table and the program's own drive map). Messages are posted on the user-interface thread.
#include "platform/qt/shell.h"

#include <algorithm>
#include <map>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/qt/shell_internal.h"
#include "platform/qt/ui.h"

namespace platform {

namespace {

struct Registration {
    QPointer<QObject> target;
    unsigned mask = 0;
    unsigned msg = 0;
    std::set<std::string> hostFolders;
};

std::set<std::string> subFolders(const std::string& hostFolder) {
    std::set<std::string> names;
    DIR* dir = ::opendir(hostFolder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st;
            folder = ::stat((hostFolder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (folder)
            names.insert(name);
    }
    ::closedir(dir);
    return names;
}

class NotifyService : public QObject {
public:
    NotifyService() {
        connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
                [this](const QString& folder) { folderChanged(folder.toStdString()); });
        mountsFd_ = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
        if (mountsFd_ >= 0) {
            // The kernel flags the mount table as exceptional whenever it changes.
            mountNotifier_ = new QSocketNotifier(mountsFd_, QSocketNotifier::Exception, this);
            connect(mountNotifier_, &QSocketNotifier::activated, this, [this] {
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
    }

    unsigned long add(QObject* target, unsigned mask, unsigned msg) {
        const unsigned long id = nextId_++;
        registrations_[id] = Registration{target, mask, msg, {}};
        return id;
    }

    bool remove(unsigned long id) {
        const auto it = registrations_.find(id);
        if (it == registrations_.end())
            return false;
        for (const std::string& folder : it->second.hostFolders)
            unwatch(folder);
        registrations_.erase(it);
        return true;
    }

    void watch(unsigned long id, const std::vector<std::string>& folders) {
        const auto it = registrations_.find(id);
        if (it == registrations_.end())
            return;
        std::set<std::string> wanted;
        for (const std::string& folder : folders) {
            if (const auto host = toHostPath(folder))
                wanted.insert(*host);
        }
        for (const std::string& folder : wanted) {
            if (!it->second.hostFolders.count(folder))
                watchFolder(folder);
        }
        for (const std::string& folder : it->second.hostFolders) {
            if (!wanted.count(folder))
                unwatch(folder);
        }
        it->second.hostFolders = std::move(wanted);
    }

    void post(unsigned event, const std::string* onlyFolder) {
        for (auto& [id, registration] : registrations_) {
            if (!registration.target || (registration.mask & event) == 0)
                continue;
            if (onlyFolder != nullptr && !registration.hostFolders.count(*onlyFolder))
                continue;
            postMessage(registration.target, registration.msg, 0, static_cast<qintptr>(event));
        }
    }

    // The program announced its own change of one entry: only that entry is brought up to date,
    // so that changes made by others in the same folder meanwhile are still reported.
    void noteEntry(const std::string& hostFolder, const std::string& name) {
        const auto it = snapshots_.find(hostFolder);
        if (it == snapshots_.end())
            return;
        struct stat st;
        const std::string path = (hostFolder == "/" ? "" : hostFolder) + "/" + name;
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            it->second.names.insert(name);
        else
            it->second.names.erase(name);
    }

private:
    struct Snapshot {
        int users = 0;
        std::set<std::string> names;
    };

    void watchFolder(const std::string& folder) {
        Snapshot& snapshot = snapshots_[folder];
        if (snapshot.users++ == 0) {
            snapshot.names = subFolders(folder);
            watcher_.addPath(QString::fromStdString(folder));
        }
    }

    void unwatch(const std::string& folder) {
        const auto it = snapshots_.find(folder);
        if (it == snapshots_.end() || --it->second.users > 0)
            return;
        watcher_.removePath(QString::fromStdString(folder));
        snapshots_.erase(it);
    }

    void folderChanged(const std::string& folder) {
        const auto it = snapshots_.find(folder);
        if (it == snapshots_.end())
            return;
        std::set<std::string> now = subFolders(folder);
        std::vector<std::string> added, removed;
        for (const std::string& name : now) {
            if (!it->second.names.count(name))
                added.push_back(name);
        }
        for (const std::string& name : it->second.names) {
            if (!now.count(name))
                removed.push_back(name);
        }
        it->second.names = std::move(now);
        // The watcher stops following a folder that was removed and made again.
        if (!watcher_.directories().contains(QString::fromStdString(folder)))
            watcher_.addPath(QString::fromStdString(folder));
        if (added.size() == 1 && removed.size() == 1) {
            post(SHCNE_RENAMEFOLDER, &folder);
            return;
        }
        for (size_t i = 0; i < removed.size(); ++i)
            post(SHCNE_RMDIR, &folder);
        for (size_t i = 0; i < added.size(); ++i)
            post(SHCNE_MKDIR, &folder);
    }

    void compareDrives() {
        std::vector<DriveInfo> now = drives();
        for (const DriveInfo& drive : now) {
            const auto before =
                std::find_if(drives_.begin(), drives_.end(),
                             [&](const DriveInfo& d) { return d.letter == drive.letter; });
            if (before == drives_.end())
                post(SHCNE_DRIVEADD, nullptr);
            else if (before->hostRoot != drive.hostRoot) {
                post(SHCNE_DRIVEREMOVED, nullptr);
                post(SHCNE_DRIVEADD, nullptr);
            } else if (!before->ready && drive.ready)
                post(SHCNE_MEDIAINSERTED, nullptr);
            else if (before->ready && !drive.ready)
                post(SHCNE_MEDIAREMOVED, nullptr);
        }
        for (const DriveInfo& drive : drives_) {
            if (std::none_of(now.begin(), now.end(),
                             [&](const DriveInfo& d) { return d.letter == drive.letter; }))
                post(SHCNE_DRIVEREMOVED, nullptr);
        }
        drives_ = std::move(now);
    }

    QFileSystemWatcher watcher_;
    std::map<std::string, Snapshot> snapshots_;
    std::map<unsigned long, Registration> registrations_;
    unsigned long nextId_ = 1;
    std::vector<DriveInfo> drives_;
    int mountsFd_ = -1;
    QSocketNotifier* mountNotifier_ = nullptr;
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

void shellChangeNotify(unsigned event, std::string_view path) {
    NotifyService* s = service(false);
    if (s == nullptr)
        return;
    s->post(event, nullptr);
    // The folder watcher will see this change too; it has been announced already.
    detail::noteOwnChange(path);
}

namespace detail {

void noteOwnChange(std::string_view path) {
    NotifyService* s = service(false);
    const auto host = toHostPath(path);
    if (s == nullptr || !host || *host == "/")
        return;
    const size_t slash = host->rfind('/');
    s->noteEntry(slash == 0 ? "/" : host->substr(0, slash), host->substr(slash + 1));
}

} // namespace detail

} // namespace platform
