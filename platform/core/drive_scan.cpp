// The machine's mount table as the drive map sees it: which mounts are volumes with letters,
// which file systems are network ones, and the first letters a start with no memory gives.
#include "platform/core/drive_scan.h"

#include <algorithm>
#include <array>
#include <map>
#include <sstream>

#include "platform/core/mount_table.h"
#include "platform/core/volume_letters.h"

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

bool underUserMountFolder(const std::string& mountPoint) {
    for (std::string_view base : {"/media/", "/run/media/", "/mnt/"}) {
        if (mountPoint.size() > base.size() && mountPoint.compare(0, base.size(), base) == 0)
            return true;
    }
    return false;
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (in >> field)
        fields.push_back(field);
    return fields;
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

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw": id, parent id,
    // major:minor, root inside the file system, mount point, options, optional fields ended by
    // "-", then type, source and the file system's options.
    std::vector<MountEntry> mounts;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = splitFields(line);
        const auto dash = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() < 6 || dash == fields.end() || fields.end() - dash < 3 ||
            dash - fields.begin() < 6)
            continue;
        MountEntry entry;
        entry.mountPoint = unescapeOctal(fields[4]);
        entry.fsType = *(dash + 1);
        entry.device = unescapeOctal(*(dash + 2));
        try {
            entry.mountId = std::stoi(fields[0]);
            const size_t colon = fields[2].find(':');
            if (colon != std::string::npos) {
                entry.devMajor = static_cast<unsigned>(std::stoul(fields[2].substr(0, colon)));
                entry.devMinor = static_cast<unsigned>(std::stoul(fields[2].substr(colon + 1)));
            }
        } catch (const std::exception&) {
            continue; // not a line of this format
        }
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

bool isNetworkFileSystem(std::string_view fsType) {
    static constexpr std::array<std::string_view, 17> kNetwork = {
        "nfs",       "nfs4",  "cifs",   "smb3",  "smbfs",  "ncpfs", "9p",       "afs",   "ceph",
        "glusterfs", "davfs", "autofs", "sshfs", "lustre", "coda",  "virtiofs", "beegfs"};
    // Network file systems that run through FUSE carry it as a subtype.
    static constexpr std::array<std::string_view, 11> kFuseNetwork = {
        "sshfs",     "davfs2",    "rclone",   "s3fs",    "gvfsd-fuse", "glusterfs",
        "ceph-fuse", "curlftpfs", "smbnetfs", "gcsfuse", "goofys"};
    if (std::find(kNetwork.begin(), kNetwork.end(), fsType) != kNetwork.end())
        return true;
    constexpr std::string_view fuse = "fuse.";
    return fsType.substr(0, fuse.size()) == fuse &&
           std::find(kFuseNetwork.begin(), kFuseNetwork.end(), fsType.substr(fuse.size())) !=
               kFuseNetwork.end();
}

unsigned driveTypeOf(const MountEntry& mount, const VolumeFacts& facts) {
    if (isNetworkFileSystem(mount.fsType))
        return DRIVE_REMOTE;
    if (mount.fsType == "iso9660" || mount.fsType == "udf")
        return DRIVE_CDROM;
    return facts.removable ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

unsigned driveTypeOfMount(const MountEntry& mount) {
    if (isNetworkFileSystem(mount.fsType) || mount.fsType == "iso9660" || mount.fsType == "udf")
        return driveTypeOf(mount, {});
    return driveTypeOf(mount, readMachineVolumeFacts(mount));
}

std::vector<MountEntry> userVolumes(const std::vector<MountEntry>& mounts) {
    // A mount point mounted over again shows its last entry.
    std::map<std::string, MountEntry> volumes;
    for (const MountEntry& mount : mounts) {
        if (underUserMountFolder(mount.mountPoint))
            volumes[mount.mountPoint] = mount;
    }
    std::vector<MountEntry> result;
    for (auto& [mountPoint, mount] : volumes)
        result.push_back(std::move(mount));
    return result;
}

std::vector<DriveInfo> drivesFromMounts(const std::vector<MountEntry>& mounts) {
    const std::vector<MountEntry> volumes = userVolumes(mounts);
    std::vector<LetterRequest> requests(volumes.size());
    const std::vector<char> letters = assignLetters(requests, {}, {}, 0);
    std::vector<DriveInfo> result;
    result.push_back(DriveInfo{'C', "/", DRIVE_FIXED, {}, true});
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (letters[i] == 0)
            break;
        const VolumeFacts facts = isNetworkFileSystem(volumes[i].fsType)
                                      ? VolumeFacts{}
                                      : readMachineVolumeFacts(volumes[i]);
        result.push_back(DriveInfo{letters[i], volumes[i].mountPoint,
                                   driveTypeOf(volumes[i], facts), facts.label, true});
    }
    return result;
}

} // namespace platform::detail
