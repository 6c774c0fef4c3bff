// Change notifications: events gathered into bursts told once per registration, the notices they
// leave, and the program's own announced changes that hide the watcher's report of them.
#include <algorithm>
#include <iterator>

#include "platform/core/host_path.h"
#include "platform/qt/shell_notify_service.h"
#include "platform/qt/ui.h"

namespace platform::notify {

namespace {

// Events closer together than this belong to one burst.
constexpr auto kQuietPause = std::chrono::milliseconds(150);
// A burst that goes on is told at least this often.
constexpr auto kLongestDelay = std::chrono::milliseconds(1000);
// The program's own announced change hides the watcher's report of it for this long at most.
constexpr auto kAnnouncedLifetime = std::chrono::seconds(5);

// A burst about one folder tells at most this many entries; beyond, the folder is to be looked at
// again as a whole.
constexpr size_t kMostNoticesPerBurst = 1000;
// Notices a registration has not taken yet; beyond, it is told to look again at everything.
constexpr size_t kMostWaitingNotices = 20000;

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

} // namespace

void NotifyService::announce(unsigned event, std::string_view path) {
    const auto [folder, name] = splitHost(path);
    auto [programFolder, programName] = splitProgram(path);
    queue(event, folder.empty() ? std::string(path) : folder, nullptr,
          About{folder, std::move(programFolder), name.empty() ? programName : name});
    noteEntry(folder, name);
}

std::vector<ChangeNotice> NotifyService::take(unsigned long id) {
    const auto it = registrations_.find(id);
    if (it == registrations_.end())
        return {};
    return std::exchange(it->second.told, {});
}

void NotifyService::noteEntry(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.empty() || !wdByPath_.count(folder))
        return;
    Announced& entry = announced_[{folder, name}];
    ++entry.count;
    entry.expires = Clock::now() + kAnnouncedLifetime;
}

std::pair<std::string, std::string> NotifyService::splitHost(std::string_view path) {
    const auto host = detail::exactHostPath(path);
    if (!host || host->isRoot)
        return {};
    const size_t slash = host->path.rfind('/');
    return {slash == 0 ? "/" : host->path.substr(0, slash), host->path.substr(slash + 1)};
}

bool NotifyService::swallowAnnounced(const std::string& folder, const std::string& name) {
    const auto it = announced_.find({folder, name});
    if (it == announced_.end())
        return false;
    const bool current = it->second.expires > Clock::now();
    if (!current || --it->second.count == 0)
        announced_.erase(it);
    return current;
}

void NotifyService::folderEvent(unsigned event, const std::string& folder,
                                const std::string& name) {
    if (!swallowAnnounced(folder, name))
        queue(event, folder, &folder, About{folder, {}, name});
}

void NotifyService::renamed(int fromWd, const std::string& fromName,
                            const std::set<std::string>& toFolders, const std::string& toName) {
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

void NotifyService::queue(unsigned event, const std::string& key, const std::string* onlyFolder,
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

void NotifyService::addNotice(std::vector<ChangeNotice>& notices, ChangeNotice notice) {
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

Clock::time_point NotifyService::dueTime(const Pending& pending) {
    return std::min(pending.last + kQuietPause, pending.first + kLongestDelay);
}

void NotifyService::scheduleFlush() {
    if (pending_.empty())
        return;
    Clock::time_point due = Clock::time_point::max();
    for (const auto& [key, pending] : pending_)
        due = std::min(due, dueTime(pending));
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(std::max(due - Clock::now(), {}));
    flushTimer_.start(static_cast<int>(wait.count()));
}

void NotifyService::flush() {
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

} // namespace platform::notify
