// DOS attribute bits from FAT and NTFS volumes.
#include "platform/core/dos_attributes.h"

#include <array>

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/core/mount_table.h"

namespace platform::detail {

DosAttributeStore dosAttributeStoreOf(std::string_view fsType) {
    static constexpr std::array<std::string_view, 3> kFat = {"vfat", "msdos", "exfat"};
    // ntfs-3g shows as a FUSE block device; on one that is not NTFS the attribute is absent.
    static constexpr std::array<std::string_view, 4> kNtfs = {"ntfs3", "ntfs-3g", "fuse.ntfs-3g",
                                                              "fuseblk"};
    for (std::string_view type : kFat) {
        if (fsType == type)
            return DosAttributeStore::FatIoctl;
    }
    for (std::string_view type : kNtfs) {
        if (fsType == type)
            return DosAttributeStore::NtfsXattr;
    }
    return DosAttributeStore::None;
}

uint32_t attributesFromFat(uint32_t fatAttributes) {
    return fatAttributes & 0x3F;
}

std::optional<uint32_t> attributesFromNtfs(std::string_view value, bool bigEndian) {
    if (value.size() != 4)
        return std::nullopt;
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i) {
        const auto byte = static_cast<uint8_t>(value[bigEndian ? i : 3 - i]);
        word = (word << 8) | byte;
    }
    return word;
}

std::optional<uint32_t> volumeDosAttributes(const std::string& hostPath, const struct stat& st) {
    switch (dosAttributeStoreOf(fileSystemOfDevice(st.st_dev))) {
    case DosAttributeStore::FatIoctl: {
        // Opening only to ask; O_NONBLOCK keeps a special file from waiting for a partner.
        const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return std::nullopt;
        uint32_t fat = 0;
        const int result = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &fat);
        ::close(fd);
        if (result != 0)
            return std::nullopt;
        return attributesFromFat(fat);
    }
    case DosAttributeStore::NtfsXattr: {
        char value[8];
        for (const auto& [name, bigEndian] :
             {std::pair{"system.ntfs_attrib_be", true}, std::pair{"system.ntfs_attrib", false}}) {
            const ssize_t length = ::getxattr(hostPath.c_str(), name, value, sizeof value);
            if (length >= 0)
                return attributesFromNtfs(std::string_view(value, static_cast<size_t>(length)),
                                          bigEndian);
        }
        return std::nullopt;
    }
    case DosAttributeStore::None:
        break;
    }
    return std::nullopt;
}

} // namespace platform::detail
