// The drive map: the letters of this machine's volumes, kept while they are mounted and remembered
// across runs, the letters tests and network drives add, and the questions asked of a drive.
#include "platform/core/drives.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/core/drive_scan.h"
#include "platform/core/host_path.h"
#include "platform/core/mount_table.h"
#include "platform/core/network_wait.h"
#include "platform/core/volume_letters.h"
#include "platform/core/winerror.h"

namespace platform {

namespace {

struct DriveState {
    std::mutex mutex;
    std::optional<std::vector<DriveInfo>> injected;
    std::map<char, std::optional<DriveInfo>> overrides; // on top of the host map
    std::vector<DriveInfo> hostMap;
    // The mount table the host map was made from; a new table means a new map.
    std::shared_ptr<const std::vector<detail::MountEntry>> hostMapTable;
    std::vector<detail::HeldLetter> held; // volume letters given out and still mounted
    uint32_t reserved = 0;                // letters of network drives that come back at start
    detail::LetterMemory memory;
    std::string memoryFile; // the file memory was read from
    std::function<void()> observer;
    // The map as it stands, in letter order, and the host folders of its network drives; made
    // again after any change. Path conversion asks for them with every listed file.
    std::vector<DriveInfo> current;
    std::vector<std::string> remoteRoots;
    bool currentValid = false;
};

DriveState& state() {
    static DriveState instance;
    return instance;
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string trimRoot(std::string root) {
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root.empty() ? "/" : root;
}

uint32_t bitOf(char letter) {
    return 1u << (letter - 'A');
}

std::string mountIdentity(const detail::MountEntry& mount) {
    return std::to_string(mount.mountId) + ' ' + mount.mountPoint + ' ' + mount.device;
}

void loadLetterMemory(DriveState& s) {
    const std::string file = detail::configFolder() + "/volume-letters";
    if (file == s.memoryFile)
        return;
    s.memoryFile = file;
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    s.memory = detail::parseLetterMemory(text.str());
}

void saveLetterMemory(const DriveState& s) {
    const std::string folder = s.memoryFile.substr(0, s.memoryFile.rfind('/'));
    ::mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    const std::string temp = s.memoryFile + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << detail::formatLetterMemory(s.memory);
        if (!out)
            return;
    }
    std::rename(temp.c_str(), s.memoryFile.c_str());
}

// Letters for the volumes of the mount table: held letters stay, new volumes get theirs from the
// memory or the first free one. Called with the state locked.
void rebuildHostMap(DriveState& s, std::shared_ptr<const std::vector<detail::MountEntry>> table) {
    loadLetterMemory(s);
    const std::vector<detail::MountEntry> volumes = detail::userVolumes(*table);
    std::vector<detail::VolumeFacts> facts;
    std::vector<detail::LetterRequest> requests;
    for (const detail::MountEntry& mount : volumes) {
        facts.push_back(detail::volumeFacts(mount));
        requests.push_back(
            {mountIdentity(mount), detail::volumeKey(mount.device, mount.fsType, facts.back())});
    }
    uint32_t taken = s.reserved;
    for (const auto& [letter, drive] : s.overrides)
        taken |= bitOf(letter);
    const std::vector<char> letters =
        detail::assignLetters(requests, s.held, s.memory.byKey(), taken);

    s.hostMap.assign(1, DriveInfo{'C', "/", DRIVE_FIXED, {}, true});
    const std::vector<detail::HeldLetter> before = std::move(s.held);
    s.held.clear();
    bool remembered = false;
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (letters[i] == 0)
            continue; // more volumes than letters
        s.hostMap.push_back(DriveInfo{letters[i], volumes[i].mountPoint,
                                      detail::driveTypeOf(volumes[i], facts[i]), facts[i].label,
                                      true});
        s.held.push_back({letters[i], requests[i].identity});
        // A letter is remembered when it is given, not every time the table is read again.
        const bool given = std::none_of(before.begin(), before.end(), [&](const auto& held) {
            return held.identity == requests[i].identity;
        });
        if (given)
            remembered |= s.memory.remember(requests[i].key, letters[i]);
    }
    if (remembered)
        saveLetterMemory(s);
    s.hostMapTable = std::move(table);
}

// Brings the map up to date; called with the state locked.
const std::vector<DriveInfo>& refreshedDrives(DriveState& s) {
    if (!s.injected) {
        auto table = detail::mountTable();
        if (table != s.hostMapTable) {
            rebuildHostMap(s, std::move(table));
            s.currentValid = false;
        }
    }
    if (s.currentValid)
        return s.current;
    s.current.clear();
    if (s.injected) {
        s.current = *s.injected;
    } else {
        for (const DriveInfo& drive : s.hostMap) {
            if (!s.overrides.count(drive.letter))
                s.current.push_back(drive);
        }
        for (const auto& [letter, drive] : s.overrides) {
            if (drive)
                s.current.push_back(*drive);
        }
    }
    std::sort(s.current.begin(), s.current.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
    s.remoteRoots.clear();
    for (const DriveInfo& drive : s.current) {
        if (drive.type == DRIVE_REMOTE)
            s.remoteRoots.push_back(drive.hostRoot);
    }
    s.currentValid = true;
    return s.current;
}

std::vector<DriveInfo> currentDrives() {
    DriveState& s = state();
    std::lock_guard lock(s.mutex);
    return refreshedDrives(s);
}

bool startsWithFolder(std::string_view path, std::string_view folder) {
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path.size() >= folder.size() && path.substr(0, folder.size()) == folder &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

void notifyObserver() {
    std::function<void()> observer;
    {
        std::lock_guard lock(state().mutex);
        observer = state().observer;
    }
    if (observer)
        observer();
}

DriveInfo normalised(DriveInfo drive) {
    drive.letter = upper(drive.letter);
    drive.hostRoot = trimRoot(drive.hostRoot);
    return drive;
}

} // namespace

void setDriveMap(std::vector<DriveInfo> drives) {
    {
        DriveState& s = state();
        std::lock_guard lock(s.mutex);
        s.overrides.clear();
        s.hostMapTable.reset();
        s.currentValid = false;
        if (drives.empty()) {
            s.injected.reset();
        } else {
            std::vector<DriveInfo> map;
            for (DriveInfo& drive : drives)
                map.push_back(normalised(std::move(drive)));
            s.injected = std::move(map);
        }
    }
    notifyObserver();
}

void addDrive(const DriveInfo& drive) {
    const DriveInfo added = normalised(drive);
    {
        DriveState& s = state();
        std::lock_guard lock(s.mutex);
        s.currentValid = false;
        if (s.injected) {
            std::erase_if(*s.injected,
                          [&](const DriveInfo& d) { return d.letter == added.letter; });
            s.injected->push_back(added);
        } else {
            s.overrides[added.letter] = added;
        }
    }
    notifyObserver();
}

void removeDrive(char letter) {
    letter = upper(letter);
    {
        DriveState& s = state();
        std::lock_guard lock(s.mutex);
        s.currentValid = false;
        if (s.injected) {
            std::erase_if(*s.injected, [&](const DriveInfo& d) { return d.letter == letter; });
        } else if (auto it = s.overrides.find(letter); it != s.overrides.end() && it->second) {
            // An added letter goes away; a volume of this machine under it shows again.
            s.overrides.erase(it);
        } else {
            s.overrides[letter] = std::nullopt;
        }
    }
    notifyObserver();
}

std::vector<DriveInfo> drives() {
    return currentDrives();
}

std::optional<DriveInfo> driveInfo(char letter) {
    letter = upper(letter);
    DriveState& s = state();
    std::lock_guard lock(s.mutex);
    for (const DriveInfo& drive : refreshedDrives(s)) {
        if (drive.letter == letter)
            return drive;
    }
    return std::nullopt;
}

uint32_t logicalDrives() {
    uint32_t mask = 0;
    for (const DriveInfo& drive : currentDrives()) {
        if (drive.letter >= 'A' && drive.letter <= 'Z')
            mask |= 1u << (drive.letter - 'A');
    }
    return mask;
}

unsigned driveType(std::string_view rootPath) {
    if (rootPath.size() < 2 || !detail::isLetter(rootPath[0]) || rootPath[1] != ':')
        return DRIVE_NO_ROOT_DIR;
    for (char c : rootPath.substr(2)) {
        if (!detail::isSeparator(c))
            return DRIVE_NO_ROOT_DIR;
    }
    const auto drive = driveInfo(rootPath[0]);
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

int64_t driveTotalSize(int driveNumber) {
    if (driveNumber < 1 || driveNumber > 26)
        return -1;
    const auto drive = driveInfo(static_cast<char>('A' + driveNumber - 1));
    if (!drive || !drive->ready)
        return -1;
    const auto size = detail::boundedCall<int64_t>(drive->hostRoot, [root = drive->hostRoot] {
        struct statvfs fs;
        if (::statvfs(root.c_str(), &fs) != 0)
            return int64_t(-1);
        return static_cast<int64_t>(fs.f_blocks) * static_cast<int64_t>(fs.f_frsize);
    });
    return size.value_or(-1);
}

std::string driveDisplayName(char letter) {
    letter = upper(letter);
    const auto drive = driveInfo(letter);
    std::string name;
    if (drive && !drive->label.empty()) {
        name = drive->label;
    } else {
        switch (drive ? drive->type : DRIVE_FIXED) {
        case DRIVE_REMOVABLE:
            name = "Removable Disk";
            break;
        case DRIVE_REMOTE:
            name = "Network Drive";
            break;
        case DRIVE_CDROM:
            name = "CD Drive";
            break;
        default:
            name = "Local Disk";
            break;
        }
    }
    return name + " (" + letter + ":)";
}

namespace detail {

void invalidateHostDriveMap() {
    invalidateMountTable();
}

bool anyNetworkLocation() {
    if (anyNetworkMount())
        return true;
    DriveState& s = state();
    std::lock_guard lock(s.mutex);
    refreshedDrives(s);
    return !s.remoteRoots.empty();
}

std::optional<std::string> networkRootOfText(std::string_view hostPath) {
    std::optional<std::string> root;
    {
        DriveState& s = state();
        std::lock_guard lock(s.mutex);
        refreshedDrives(s);
        for (const std::string& remote : s.remoteRoots) {
            if (startsWithFolder(hostPath, remote) && (!root || remote.size() > root->size()))
                root = remote;
        }
    }
    if (const auto mount = networkMountOf(hostPath);
        mount && (!root || mount->size() > root->size()))
        root = mount;
    return root;
}

void setReservedLetters(uint32_t letters) {
    std::lock_guard lock(state().mutex);
    if (state().reserved != letters) {
        state().reserved = letters;
        state().hostMapTable.reset(); // volumes keep their letters; new ones avoid these
        state().currentValid = false;
    }
}

std::string configFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && *configHome == '/')
        return std::string(configHome) + "/lumograph";
    const char* home = std::getenv("HOME");
    std::string base = home != nullptr && *home == '/' ? home : "";
    if (base.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
            base = user->pw_dir;
    }
    return base + "/.config/lumograph";
}

void setDriveMapObserver(std::function<void()> observer) {
    std::lock_guard lock(state().mutex);
    state().observer = std::move(observer);
}

} // namespace detail

} // namespace platform
