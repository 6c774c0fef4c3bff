// The DOS attribute bits that FAT and NTFS volumes keep for every entry (internal to platform/):
// on a card or disk used under Windows, "System Volume Information" and "$RECYCLE.BIN" are hidden
// and system there, and so they are here. vfat gives the bits through an ioctl; the kernel's
// ntfs3 driver and ntfs-3g give NTFS's attribute word as an extended attribute.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct stat;

namespace platform::detail {

enum class DosAttributeStore {
    None,      // the file system keeps no DOS attributes
    FatIoctl,  // FAT_IOCTL_GET_ATTRIBUTES (vfat, msdos, exfat)
    NtfsXattr, // system.ntfs_attrib_be / system.ntfs_attrib (ntfs3, ntfs-3g)
};
DosAttributeStore dosAttributeStoreOf(std::string_view fsType);

// The attribute byte FAT_IOCTL_GET_ATTRIBUTES returns, as FILE_ATTRIBUTE_* bits: FAT's bits are
// the same as Windows' (read-only 0x01, hidden 0x02, system 0x04, volume 0x08, folder 0x10,
// archive 0x20); the rest of the word means nothing.
uint32_t attributesFromFat(uint32_t fatAttributes);
// The value of NTFS's attribute extended attribute as FILE_ATTRIBUTE_* bits (NTFS keeps Windows'
// own values): four bytes, big-endian in system.ntfs_attrib_be, little-endian in
// system.ntfs_attrib as ntfs3 gives it and ntfs-3g on this machine's byte order. nullopt for a
// value of another length.
std::optional<uint32_t> attributesFromNtfs(std::string_view value, bool bigEndian);

// The bits the volume itself keeps for the entry at hostPath (st its stat result): nullopt when
// its file system keeps none or they cannot be read.
std::optional<uint32_t> volumeDosAttributes(const std::string& hostPath, const struct stat& st);

} // namespace platform::detail
