// The change-notification service behind the shell's changeNotify* functions (internal to
// platform/qt): its registrations, inotify watches, bursts and the drives it last saw.
#pragma once

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "platform/core/drives.h"
#include "platform/qt/shell.h"

namespace platform::notify {

using Clock = std::chrono::steady_clock;

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

// inotify's limit on watches for this user; the program takes a share of it, so that other
// programs keep theirs.
size_t watchCapacity();

// Folders made, removed or renamed inside watched folders (inotify, which tells a folder from a
// file by itself), and drives or media coming and going (the mount table and the program's own
// drive map). A burst of changes is told once: the events of one watched folder, or of the
// drives, that follow one another within a short pause become one message per registration, and
// what the burst was about waits, for the registration to take it, as notices that name the
// folder and the entry. Lives on, and posts its messages on, the user-interface thread; owned by
// the application object.
class NotifyService : public QObject {
public:
    NotifyService();
    ~NotifyService() override;

    unsigned long add(QObject* target, unsigned mask, unsigned msg);
    bool remove(unsigned long id);
    void watch(unsigned long id, const std::vector<std::string>& folders);
    void watchMore(unsigned long id, const std::vector<std::string>& folders);
    // The program tells of its own change: every registration whose mask has the event hears of
    // it, and the watcher's report of the same entry is not told again.
    void announce(unsigned event, std::string_view path);
    std::vector<ChangeNotice> take(unsigned long id);
    void noteEntry(const std::string& folder, const std::string& name);
    static std::pair<std::string, std::string> splitHost(std::string_view path);

private:
    struct Announced {
        int count = 0;
        Clock::time_point expires;
    };

    bool acquire(const std::string& folder);
    void release(const std::string& folder);
    // The kernel dropped a watch (its folder was removed, or its volume unmounted): the folder is
    // followed again when a registration asks for it next.
    void forget(int wd);
    bool swallowAnnounced(const std::string& folder, const std::string& name);
    void folderEvent(unsigned event, const std::string& folder, const std::string& name);
    // A folder renamed or moved between followed folders: one rename, told to those who follow
    // either folder, unless the program announced it itself.
    void renamed(int fromWd, const std::string& fromName, const std::set<std::string>& toFolders,
                 const std::string& toName);
    void readEvents();
    // Adds an event to the burst of key for every registration that follows it: all whose mask
    // has it, or, for an event inside a watched folder, those that follow that folder. The notice
    // names the folder as each registration spells it.
    void queue(unsigned event, const std::string& key, const std::string* onlyFolder,
               const About& about);
    // A burst that tells too many entries of one folder becomes one look at the whole folder.
    static void addNotice(std::vector<ChangeNotice>& notices, ChangeNotice notice);
    static Clock::time_point dueTime(const Pending& pending);
    void scheduleFlush();
    void flush();
    void compareDrives();

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

} // namespace platform::notify
