// Which network location a host path lies on, its links followed as far as local file systems
// hold them.
#include <chrono>
#include <climits>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/host_path.h"

namespace platform::detail {

namespace {

using Clock = std::chrono::steady_clock;

// A folder's links are looked at again after this long: as long as the mount table is kept.
constexpr auto kRemembered = std::chrono::seconds(1);
constexpr size_t kMostRemembered = 4096;
// As many links on one path as the kernel follows.
constexpr int kMostLinks = 40;

struct Walked {
    std::optional<std::string> root; // the network location reached
    std::string real;                // otherwise the path with its links followed ("" for "/")
};

void pushComponents(std::deque<std::string>& rest, std::string_view path) {
    std::deque<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start)
            parts.emplace_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    rest.insert(rest.begin(), parts.begin(), parts.end());
}

// Follows rest from real (a path without links, "" for "/"), one component at a time. Before a
// component is looked at, its path's text is checked: a path inside a network location ends the
// walk there, so only local file systems are asked.
Walked walk(std::string real, std::string_view restText) {
    std::deque<std::string> rest;
    pushComponents(rest, restText);
    int links = 0;
    while (!rest.empty()) {
        const std::string name = std::move(rest.front());
        rest.pop_front();
        if (name == ".")
            continue;
        if (name == "..") {
            real.erase(std::min(real.rfind('/'), real.size()));
            continue;
        }
        const std::string candidate = real + "/" + name;
        if (auto root = networkRootOfText(candidate))
            return {std::move(root), {}};
        struct stat st;
        if (::lstat(candidate.c_str(), &st) != 0)
            return {}; // nothing there: no link leads on
        if (!S_ISLNK(st.st_mode)) {
            real = candidate;
            continue;
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(candidate.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target) || ++links > kMostLinks)
            return {};
        const std::string_view text(target, static_cast<size_t>(length));
        if (text.front() == '/')
            real.clear();
        pushComponents(rest, text);
    }
    return {std::nullopt, real};
}

struct Remembered {
    Walked walked;
    std::set<std::string, std::less<>> links; // the entries of a local folder that are links
    Clock::time_point at;
};

// The names of a local folder's entries that are links, read once instead of a look at each.
std::set<std::string, std::less<>> linksIn(const std::string& real) {
    std::set<std::string, std::less<>> links;
    DIR* dir = ::opendir(real.empty() ? "/" : real.c_str());
    if (dir == nullptr)
        return links;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st;
        if (entry->d_type == DT_LNK ||
            (entry->d_type == DT_UNKNOWN &&
             ::lstat((real + "/" + entry->d_name).c_str(), &st) == 0 && S_ISLNK(st.st_mode)))
            links.emplace(entry->d_name);
    }
    ::closedir(dir);
    return links;
}

struct FolderMemory {
    std::mutex mutex;
    std::map<std::string, Remembered, std::less<>> folders;
};

FolderMemory& memory() {
    static auto* instance = new FolderMemory; // helper threads may outlive static destruction
    return *instance;
}

// The walk of a folder, and whether the entry name in it is a link, remembered for a while: a
// listing asks for every file of one folder.
Walked walkedFolder(std::string_view folder, std::string_view name, bool& link) {
    FolderMemory& m = memory();
    const auto now = Clock::now();
    {
        std::lock_guard lock(m.mutex);
        if (const auto it = m.folders.find(folder);
            it != m.folders.end() && now - it->second.at < kRemembered) {
            link = it->second.links.contains(name);
            return it->second.walked;
        }
    }
    Remembered remembered{walk({}, folder), {}, now};
    if (!remembered.walked.root)
        remembered.links = linksIn(remembered.walked.real);
    link = remembered.links.contains(name);
    std::lock_guard lock(m.mutex);
    if (m.folders.size() >= kMostRemembered)
        m.folders.clear();
    const Walked walked = remembered.walked;
    m.folders.insert_or_assign(std::string(folder), std::move(remembered));
    return walked;
}

} // namespace

std::optional<std::string> networkRootOf(std::string_view hostPath) {
    if (auto root = networkRootOfText(hostPath))
        return root;
    if (hostPath.empty() || hostPath.front() != '/' || !anyNetworkLocation())
        return std::nullopt;
    const size_t slash = hostPath.find_last_of('/');
    const std::string_view folderText = hostPath.substr(0, slash);
    const std::string_view name = hostPath.substr(slash + 1);
    bool link = false;
    const Walked folder = walkedFolder(folderText, name, link);
    if (folder.root)
        return folder.root;
    // No link on the way to the folder, whose path's text was checked above: only an entry that
    // is a link can lead elsewhere.
    if (folder.real == folderText && !link)
        return std::nullopt;
    return walk(folder.real, name).root;
}

} // namespace platform::detail
