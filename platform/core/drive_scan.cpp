// The default drive map: C: is the host root and every volume mounted for the user gets a letter.
#include "platform/core/drive_scan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include <dirent.h>
#include <unistd.h>

namespace platform::detail {

namespace {

std::string unescapeOctal(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// /dev/disk/by-label names escape blanks and other bytes as "\x20".
std::string unescapeHex(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out += static_cast<char>(std::stoi(std::string(name.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string realPath(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr)
        return {};
    return buffer;
}

bool underUserMountFolder(const std::string& mountPoint) {
    for (std::string_view base : {"/media/", "/run/media/", "/mnt/"}) {
        if (mountPoint.size() > base.size() && mountPoint.compare(0, base.size(), base) == 0)
            return true;
    }
    return false;
}

// The removable flag sits on the whole disk; a partition's sysfs folder is inside the disk's.
bool blockDeviceRemovable(const std::string& device) {
    const std::string dev = realPath(device);
    if (dev.rfind("/dev/", 0) != 0)
        return false;
    const std::string sys = realPath("/sys/class/block/" + dev.substr(5));
    if (sys.empty())
        return false;
    for (const std::string& candidate : {sys + "/removable", sys + "/../removable"}) {
        std::ifstream in(candidate);
        int flag = 0;
        if (in >> flag)
            return flag == 1;
    }
    return false;
}

std::map<std::string, std::string> labelsByDevice() {
    std::map<std::string, std::string> labels;
    const std::string folder = "/dev/disk/by-label";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return labels;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string target = realPath(folder + "/" + name);
        if (!target.empty())
            labels[target] = unescapeHex(name);
    }
    ::closedir(dir);
    return labels;
}

} // namespace

std::vector<MountEntry> parseMountTable(std::string_view text) {
    std::vector<MountEntry> mounts;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, fsType;
        if (fields >> device >> mountPoint >> fsType)
            mounts.push_back({unescapeOctal(device), unescapeOctal(mountPoint), fsType});
    }
    return mounts;
}

unsigned driveTypeOfMount(const MountEntry& mount) {
    static constexpr std::array<std::string_view, 10> kRemote = {
        "nfs",   "nfs4",       "cifs",  "smb3",        "smbfs",
        "sshfs", "fuse.sshfs", "davfs", "fuse.davfs2", "9p"};
    if (std::find(kRemote.begin(), kRemote.end(), mount.fsType) != kRemote.end())
        return DRIVE_REMOTE;
    if (mount.fsType == "iso9660" || mount.fsType == "udf")
        return DRIVE_CDROM;
    if (mount.device.rfind("/dev/", 0) == 0 && blockDeviceRemovable(mount.device))
        return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

std::vector<DriveInfo> drivesFromMounts(const std::vector<MountEntry>& mounts) {
    // A mount point mounted over again shows its last entry.
    std::map<std::string, MountEntry> volumes;
    for (const MountEntry& mount : mounts) {
        if (underUserMountFolder(mount.mountPoint))
            volumes[mount.mountPoint] = mount;
    }
    std::vector<DriveInfo> result;
    result.push_back(DriveInfo{'C', "/", DRIVE_FIXED, {}, true});
    const auto labels = volumes.empty() ? std::map<std::string, std::string>{} : labelsByDevice();
    char letter = 'D';
    for (const auto& [mountPoint, mount] : volumes) {
        if (letter > 'Z')
            break;
        DriveInfo drive{letter++, mountPoint, driveTypeOfMount(mount), {}, true};
        if (auto it = labels.find(realPath(mount.device)); it != labels.end())
            drive.label = it->second;
        result.push_back(std::move(drive));
    }
    return result;
}

std::vector<DriveInfo> scanHostDrives() {
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    return drivesFromMounts(parseMountTable(text.str()));
}

} // namespace platform::detail
