// The machine's mount table as the layer reads it: /proc/self/mountinfo lines, the udev facts of a
// volume, which file systems are network ones and where they lie (a share mounted inside the home
// folder too), and the DOS attribute bits of FAT and NTFS volumes as plain decoding.
#include "platform/core/mount_table.h"

#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include "platform/core/dos_attributes.h"
#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/core/host_path.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace platform::detail;
using namespace lumo::test;

namespace {

TEST(MountInfo, LinesGiveIdDeviceNumberMountPointTypeAndSource) {
    const auto mounts = parseMountInfo(
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "97 22 8:17 / /media/ann/EOS\\040DIGITAL rw,nosuid shared:50 - vfat /dev/sdb1 rw\n"
        "98 22 0:51 / /home/ann/nas rw - nfs4 server:/export/photos rw,vers=4.2\n"
        "99 22 0:52 / /mnt/two rw master:3 unbindable - fuse.sshfs ann@host:/ rw\n"
        "broken line without separator\n"
        "x 22 8:1 / /bad rw - ext4 /dev/x rw\n");
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].mountId, 22);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].devMajor, 8u);
    EXPECT_EQ(mounts[0].devMinor, 2u);
    EXPECT_EQ(mounts[1].mountPoint, "/media/ann/EOS DIGITAL");
    EXPECT_EQ(mounts[1].fsType, "vfat");
    EXPECT_EQ(mounts[1].device, "/dev/sdb1");
    EXPECT_EQ(mounts[2].device, "server:/export/photos");
    EXPECT_EQ(mounts[3].fsType, "fuse.sshfs"); // two optional fields before the separator
    EXPECT_EQ(mounts[3].mountPoint, "/mnt/two");
}

TEST(MountInfo, NetworkFileSystems) {
    for (const char* type :
         {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs", "autofs", "9p", "davfs",
          "fuse.davfs2", "fuse.rclone", "fuse.gvfsd-fuse", "ceph", "glusterfs"})
        EXPECT_TRUE(isNetworkFileSystem(type)) << type;
    for (const char* type :
         {"ext4", "vfat", "ntfs3", "fuseblk", "fuse", "fuse.ntfs-3g", "tmpfs", "iso9660", ""})
        EXPECT_FALSE(isNetworkFileSystem(type)) << type;
}

TEST(MountInfo, UdevFactsPreferTheEncodedLabel) {
    const VolumeFacts facts = parseUdevFacts("S:disk/by-uuid/1234-ABCD\n"
                                             "E:ID_FS_UUID=1234-ABCD\n"
                                             "E:ID_FS_LABEL=EOS_DIGITAL\n"
                                             "E:ID_FS_LABEL_ENC=EOS\\x20DIGITAL\n"
                                             "E:ID_FS_TYPE=vfat\n");
    EXPECT_EQ(facts.uuid, "1234-ABCD");
    EXPECT_EQ(facts.label, "EOS DIGITAL");
    EXPECT_EQ(parseUdevFacts("E:ID_FS_LABEL=DATA\n").label, "DATA");
    EXPECT_EQ(parseUdevFacts("").uuid, "");
}

// Network locations with a mount table put in by the test: C: is the host root.
class NetworkLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveMap({});
        setMountSource({[] {
                            return std::vector<MountEntry>{
                                {"/dev/sda2", "/", "ext4", 22, 8, 2},
                                {"server:/home", "/home/ann/nas", "nfs4", 30, 0, 51},
                                {"/dev/sda3", "/home/ann/nas/local", "ext4", 31, 8, 3},
                                {"ann@host:/", "/srv/remote", "fuse.sshfs", 32, 0, 52},
                            };
                        },
                        [](const MountEntry&) {
                            return VolumeFacts{};
                        }});
        invalidateHostDriveMap();
    }
    void TearDown() override {
        setMountSource({});
        setDriveMap({});
    }
};

TEST_F(NetworkLocationTest, SharesMountedAnywhereAreNetworkLocations) {
    EXPECT_TRUE(isNetworkPath("C:\\home\\ann\\nas"));
    EXPECT_TRUE(isNetworkPath("C:\\home\\ann\\nas\\2023\\trip"));
    EXPECT_TRUE(isNetworkPath("c:/srv/remote/x"));
    EXPECT_FALSE(isNetworkPath("C:\\home\\ann"));
    EXPECT_FALSE(isNetworkPath("C:\\home\\ann\\nasty"));         // only a name that starts alike
    EXPECT_FALSE(isNetworkPath("C:\\home\\ann\\nas\\local\\x")); // a local disk mounted inside
    EXPECT_FALSE(isNetworkPath("Q:\\x"));
    EXPECT_EQ(networkRootOf("/home/ann/nas/2023"), "/home/ann/nas");
    EXPECT_EQ(networkRootOf("/home/ann"), std::nullopt);
    EXPECT_EQ(fileSystemOfDevice(makedev(8, 3)), "ext4");
    EXPECT_EQ(fileSystemOfDevice(makedev(0, 52)), "fuse.sshfs");
    EXPECT_EQ(fileSystemOfDevice(makedev(99, 99)), "");

    // A network drive letter is a network location wherever its folder lies.
    TempDir share;
    addDrive({'N', share.path(), DRIVE_REMOTE, "", true});
    EXPECT_TRUE(isNetworkPath("N:\\"));
    EXPECT_EQ(networkRootOf(share / "a/b"), share.path());
    removeDrive('N');
    EXPECT_FALSE(isNetworkPath("N:\\"));
}

TEST(DosAttributes, FatAndNtfsBitsAreWindowsOwn) {
    EXPECT_EQ(dosAttributeStoreOf("vfat"), DosAttributeStore::FatIoctl);
    EXPECT_EQ(dosAttributeStoreOf("exfat"), DosAttributeStore::FatIoctl);
    EXPECT_EQ(dosAttributeStoreOf("ntfs3"), DosAttributeStore::NtfsXattr);
    EXPECT_EQ(dosAttributeStoreOf("fuseblk"), DosAttributeStore::NtfsXattr);
    EXPECT_EQ(dosAttributeStoreOf("ext4"), DosAttributeStore::None);
    EXPECT_EQ(dosAttributeStoreOf("cifs"), DosAttributeStore::None);

    // "System Volume Information" on a card: hidden, system, folder.
    EXPECT_EQ(attributesFromFat(0x16),
              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributesFromFat(0x21), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(attributesFromFat(0xFFC0), 0u); // no meaning beyond the six bits

    // "$RECYCLE.BIN" on NTFS: hidden, system, folder (0x16), plus a bit NTFS keeps for indexes.
    const std::string little("\x16\x00\x00\x10", 4);
    const std::string big("\x10\x00\x00\x16", 4);
    EXPECT_EQ(attributesFromNtfs(little, false), 0x10000016u);
    EXPECT_EQ(attributesFromNtfs(big, true), 0x10000016u);
    EXPECT_EQ(attributesFromNtfs(std::string("\x20\x00\x00", 3), false), std::nullopt);
    EXPECT_EQ(attributesFromNtfs("", true), std::nullopt);
}

} // namespace
