// The mount table, kept until it changes, and the facts of the volumes in it.
#include "platform/core/mount_table.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace platform::detail {

namespace {

// Mounts come and go rarely and the table is asked for with every listed folder; the change
// notifications invalidate it at once, this lifetime covers a machine without them.
constexpr auto kTableLifetime = std::chrono::seconds(1);

struct TableState {
    std::mutex mutex;
    MountSource source;
    std::shared_ptr<const std::vector<MountEntry>> table;
    std::chrono::steady_clock::time_point readAt{};
    bool anyNetwork = false;                      // the table holds a network file system
    std::map<uint64_t, std::string> typeByDevice; // the last mount of each device
    std::map<std::string, VolumeFacts> facts;     // by mount identity
};

TableState& state() {
    static TableState instance;
    return instance;
}

std::string identityOf(const MountEntry& mount) {
    return std::to_string(mount.mountId) + ' ' + mount.mountPoint + ' ' + mount.device;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string realPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr)
        return {};
    return buffer;
}

// Names in /dev/disk/by-label and the udev database escape blanks and other bytes as "\x20".
std::string unescapeHex(std::string_view name) {
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hex(name[i + 2]) >= 0 &&
            hex(name[i + 3]) >= 0) {
            out += static_cast<char>(hex(name[i + 2]) * 16 + hex(name[i + 3]));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

// The name in a /dev/disk/by-* folder whose link leads to device; empty when none does.
std::string linkNameFor(const std::string& folder, const std::string& device) {
    std::string found;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && realPath(folder + "/" + name) == device) {
            found = unescapeHex(name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// The removable flag sits on the whole disk; a partition's sysfs folder is inside the disk's.
bool blockDeviceRemovable(const std::string& sysFolder) {
    for (const std::string& candidate : {sysFolder + "/removable", sysFolder + "/../removable"}) {
        std::ifstream in(candidate);
        int flag = 0;
        if (in >> flag)
            return flag == 1;
    }
    return false;
}

bool startsWithFolder(std::string_view path, std::string_view folder) {
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path.size() >= folder.size() && path.substr(0, folder.size()) == folder &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

} // namespace

void setMountSource(MountSource source) {
    TableState& s = state();
    std::lock_guard lock(s.mutex);
    s.source = std::move(source);
    s.table.reset();
    s.facts.clear();
}

std::shared_ptr<const std::vector<MountEntry>> mountTable() {
    TableState& s = state();
    std::unique_lock lock(s.mutex);
    const auto now = std::chrono::steady_clock::now();
    if (s.table && now - s.readAt <= kTableLifetime)
        return s.table;
    const auto read = s.source.mounts;
    lock.unlock();
    auto table =
        std::make_shared<const std::vector<MountEntry>>(read ? read() : readMachineMounts());
    lock.lock();
    s.table = table;
    s.readAt = now;
    s.anyNetwork = std::any_of(table->begin(), table->end(), [](const MountEntry& mount) {
        return isNetworkFileSystem(mount.fsType);
    });
    s.typeByDevice.clear();
    for (const MountEntry& mount : *table) {
        if (mount.mountId >= 0)
            s.typeByDevice[makedev(mount.devMajor, mount.devMinor)] = mount.fsType;
    }
    // Facts of mounts that are gone are not needed any more.
    for (auto it = s.facts.begin(); it != s.facts.end();) {
        const bool mounted = std::any_of(table->begin(), table->end(), [&](const MountEntry& m) {
            return identityOf(m) == it->first;
        });
        it = mounted ? std::next(it) : s.facts.erase(it);
    }
    return table;
}

void invalidateMountTable() {
    std::lock_guard lock(state().mutex);
    state().table.reset();
}

VolumeFacts volumeFacts(const MountEntry& mount) {
    TableState& s = state();
    const std::string identity = identityOf(mount);
    std::unique_lock lock(s.mutex);
    if (const auto it = s.facts.find(identity); it != s.facts.end())
        return it->second;
    const auto read = s.source.facts;
    lock.unlock();
    VolumeFacts facts = read ? read(mount) : readMachineVolumeFacts(mount);
    lock.lock();
    s.facts[identity] = facts;
    return facts;
}

std::optional<MountEntry> mountOf(std::string_view hostPath) {
    const auto table = mountTable();
    const MountEntry* best = nullptr;
    for (const MountEntry& mount : *table) {
        // A later mount over the same or a longer mount point hides the earlier one.
        if (startsWithFolder(hostPath, mount.mountPoint) &&
            (best == nullptr || mount.mountPoint.size() >= best->mountPoint.size()))
            best = &mount;
    }
    if (best == nullptr)
        return std::nullopt;
    return *best;
}

std::optional<std::string> networkMountOf(std::string_view hostPath) {
    {
        // Most machines have no network file system mounted: then no path lies on one.
        mountTable();
        std::lock_guard lock(state().mutex);
        if (!state().anyNetwork)
            return std::nullopt;
    }
    const auto mount = mountOf(hostPath);
    if (!mount || !isNetworkFileSystem(mount->fsType))
        return std::nullopt;
    return mount->mountPoint;
}

bool anyNetworkMount() {
    mountTable();
    std::lock_guard lock(state().mutex);
    return state().anyNetwork;
}

std::string fileSystemOfDevice(uint64_t dev) {
    mountTable();
    std::lock_guard lock(state().mutex);
    const auto it = state().typeByDevice.find(dev);
    return it == state().typeByDevice.end() ? std::string() : it->second;
}

std::vector<MountEntry> readMachineMounts() {
    std::vector<MountEntry> mounts = parseMountInfo(readWholeFile("/proc/self/mountinfo"));
    if (mounts.empty())
        mounts = parseMountTable(readWholeFile("/proc/self/mounts"));
    return mounts;
}

VolumeFacts parseUdevFacts(std::string_view text) {
    VolumeFacts facts;
    std::string encodedLabel;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("E:ID_FS_UUID=", 0) == 0)
            facts.uuid = line.substr(13);
        else if (line.rfind("E:ID_FS_LABEL_ENC=", 0) == 0)
            encodedLabel = unescapeHex(line.substr(18));
        else if (line.rfind("E:ID_FS_LABEL=", 0) == 0 && facts.label.empty())
            facts.label = line.substr(14);
    }
    // The plain label has its blanks turned into underscores; the encoded one keeps them.
    if (!encodedLabel.empty())
        facts.label = encodedLabel;
    return facts;
}

VolumeFacts readMachineVolumeFacts(const MountEntry& mount) {
    VolumeFacts facts;
    // A share keeps none of these, and asking its size could wait on a server that is gone.
    if (isNetworkFileSystem(mount.fsType))
        return facts;
    std::string sysFolder;
    std::string device;
    if (mount.device.rfind("/dev/", 0) == 0) {
        device = realPath(mount.device);
        struct stat st;
        if (!device.empty() && ::stat(device.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            const std::string number =
                std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
            facts = parseUdevFacts(readWholeFile("/run/udev/data/b" + number));
            sysFolder = realPath("/sys/dev/block/" + number);
        }
    }
    if (!device.empty()) {
        if (facts.uuid.empty())
            facts.uuid = linkNameFor("/dev/disk/by-uuid", device);
        if (facts.label.empty())
            facts.label = linkNameFor("/dev/disk/by-label", device);
        if (sysFolder.empty() && device.rfind("/dev/", 0) == 0)
            sysFolder = realPath("/sys/class/block/" + device.substr(5));
    }
    if (!sysFolder.empty())
        facts.removable = blockDeviceRemovable(sysFolder);
    struct statvfs fs;
    if (::statvfs(mount.mountPoint.c_str(), &fs) == 0)
        facts.size = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
    return facts;
}

} // namespace platform::detail
