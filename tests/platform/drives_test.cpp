// The drive map: injection, types and readiness, display names, and path conversion both ways
// including attempts to climb out of a drive's root and case-insensitive matching.
#include "platform/core/drives.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/core/drive_scan.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;

namespace {

class DriveMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveMap({
            {'C', c.path(), DRIVE_FIXED, "", true},
            {'d', d.path() + "/", DRIVE_REMOVABLE, "", false},
            {'E', e.path(), DRIVE_REMOTE, "Archive", true},
        });
    }
    void TearDown() override { setDriveMap({}); }

    TempDir c, d, e;
};

TEST_F(DriveMapTest, InjectedMapGivesLettersTypesAndReadiness) {
    const auto all = drives();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].letter, 'D');
    EXPECT_EQ(all[1].hostRoot, d.path()); // trailing slash dropped
    EXPECT_EQ(logicalDrives(), (1u << 2) | (1u << 3) | (1u << 4));

    EXPECT_EQ(driveType("C:\\"), DRIVE_FIXED);
    EXPECT_EQ(driveType("c:"), DRIVE_FIXED);
    EXPECT_EQ(driveType("D:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(driveType("e:\\"), DRIVE_REMOTE);
    EXPECT_EQ(driveType("Q:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(driveType("C:\\Windows"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(driveType(""), DRIVE_NO_ROOT_DIR);

    EXPECT_GT(driveTotalSize(3), 0);
    EXPECT_EQ(driveTotalSize(4), -1);  // no medium
    EXPECT_EQ(driveTotalSize(17), -1); // Q: not mapped
    EXPECT_EQ(driveTotalSize(0), -1);
    EXPECT_EQ(driveTotalSize(27), -1);

    EXPECT_EQ(driveDisplayName('C'), "Local Disk (C:)");
    EXPECT_EQ(driveDisplayName('d'), "Removable Disk (D:)");
    EXPECT_EQ(driveDisplayName('E'), "Archive (E:)");
    ASSERT_TRUE(driveInfo('e'));
    EXPECT_EQ(driveInfo('e')->label, "Archive");
    EXPECT_FALSE(driveInfo('Q'));
}

TEST_F(DriveMapTest, AddAndRemoveDriveChangeOnlyThatLetter) {
    addDrive({'g', e.path(), DRIVE_REMOTE, "", true});
    EXPECT_EQ(driveType("G:\\"), DRIVE_REMOTE);
    EXPECT_EQ(driveDisplayName('G'), "Network Drive (G:)");
    addDrive({'G', d.path(), DRIVE_CDROM, "", true});
    EXPECT_EQ(driveType("G:\\"), DRIVE_CDROM);
    EXPECT_EQ(drives().size(), 4u);
    removeDrive('g');
    EXPECT_EQ(driveType("G:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(drives().size(), 3u);
}

TEST_F(DriveMapTest, ProgramPathsBecomeHostPaths) {
    EXPECT_EQ(toHostPath("C:\\Temp\\a.jpg"), c / "Temp/a.jpg");
    EXPECT_EQ(toHostPath("C:\\Temp\\\\a.jpg"), c / "Temp/a.jpg");
    EXPECT_EQ(toHostPath("c:/Temp//a.jpg"), c / "Temp/a.jpg");
    EXPECT_EQ(toHostPath("C:\\Temp\\"), c / "Temp");
    EXPECT_EQ(toHostPath("C:"), c.path());
    EXPECT_EQ(toHostPath("C:\\"), c.path());
    EXPECT_EQ(toHostPath("C:\\.\\x\\.\\y"), c / "x/y");
    EXPECT_EQ(toHostPath("C:\\x\\..\\y"), c / "y");
    EXPECT_EQ(toHostPath("D:\\DCIM"), d / "DCIM"); // conversion works without a medium
    EXPECT_FALSE(toHostPath("Q:\\x"));
    EXPECT_FALSE(toHostPath(""));
    EXPECT_FALSE(toHostPath("C"));
    EXPECT_FALSE(toHostPath("\\\\server\\share\\a.jpg"));
    EXPECT_FALSE(toHostPath("relative\\a.jpg"));
    EXPECT_FALSE(toHostPath("1:\\a"));
}

TEST_F(DriveMapTest, DotDotNeverLeavesTheDrive) {
    EXPECT_EQ(toHostPath("C:\\..\\.."), c.path());
    EXPECT_EQ(toHostPath("C:\\..\\..\\etc\\passwd"), c / "etc/passwd");
    EXPECT_EQ(toHostPath("D:\\..\\..\\etc"), d / "etc");
    EXPECT_EQ(toHostPath("E:/a/../../../b"), e / "b");
    EXPECT_EQ(toHostPath("E:..\\..\\b"), e / "b");
    EXPECT_EQ(toHostPath("C:\\a\\b\\..\\..\\..\\..\\c"), c / "c");
    // ".." after a link to a folder outside the drive goes back inside the drive, never to the
    // parent of the link's target.
    std::filesystem::create_directory_symlink(c.path(), e / "link");
    EXPECT_EQ(toHostPath("E:\\link\\..\\b"), e / "b");
    EXPECT_EQ(toHostPath("E:\\link\\..\\..\\..\\b"), e / "b");
    EXPECT_EQ(fromHostPath(e / "link/../b"), "E:\\b");
}

TEST_F(DriveMapTest, MissingComponentsAreMatchedWithoutRegardToCase) {
    std::filesystem::create_directories(c / "Photos/Trip");
    writeFile(c / "Photos/Trip/IMG_1.JPG", "x");
    EXPECT_EQ(toHostPath("C:\\PHOTOS\\trip\\img_1.jpg"), c / "Photos/Trip/IMG_1.JPG");
    // Beyond the first missing folder the rest is kept as given.
    EXPECT_EQ(toHostPath("C:\\photos\\New\\Sub"), c / "Photos/New/Sub");
    // Two entries that differ only in case: no unique match, so the name stays as given.
    std::filesystem::create_directories(c / "ab");
    std::filesystem::create_directories(c / "AB");
    EXPECT_EQ(toHostPath("C:\\Ab"), c / "Ab");
    EXPECT_EQ(toHostPath("C:\\AB"), c / "AB");
}

TEST_F(DriveMapTest, HostPathsBecomeProgramPaths) {
    EXPECT_EQ(fromHostPath(c.path()), "C:\\");
    EXPECT_EQ(fromHostPath(c.path() + "/"), "C:\\");
    EXPECT_EQ(fromHostPath(c / "home/ann"), "C:\\home\\ann");
    EXPECT_EQ(fromHostPath(c / "home/ann/"), "C:\\home\\ann\\");
    EXPECT_EQ(fromHostPath(c / "a//b/./c"), "C:\\a\\b\\c");
    EXPECT_EQ(fromHostPath(d / "DCIM"), "D:\\DCIM");
    EXPECT_EQ(fromHostPath(c.path() + "x/y"), ""); // a sibling whose name merely starts alike
    EXPECT_EQ(fromHostPath("/proc"), "");
    EXPECT_EQ(fromHostPath("relative/path"), "");
    EXPECT_EQ(fromHostPath(""), "");
    // The longest root wins when drives nest.
    std::filesystem::create_directories(c / "mnt/card");
    addDrive({'F', c / "mnt/card", DRIVE_REMOVABLE, "", true});
    EXPECT_EQ(fromHostPath(c / "mnt/card/DCIM"), "F:\\DCIM");
    EXPECT_EQ(fromHostPath(c / "mnt"), "C:\\mnt");
    // Round trip.
    EXPECT_EQ(toHostPath(fromHostPath(c / "mnt/card/x.jpg")), c / "mnt/card/x.jpg");
}

TEST(DriveMapDefault, HostRootIsDriveC) {
    setDriveMap({});
    const auto c = driveInfo('C');
    ASSERT_TRUE(c);
    EXPECT_EQ(c->hostRoot, "/");
    EXPECT_EQ(c->type, DRIVE_FIXED);
    EXPECT_EQ(toHostPath("C:\\etc"), "/etc");
    EXPECT_EQ(fromHostPath("/usr/lib"), "C:\\usr\\lib");
    EXPECT_GT(driveTotalSize(3), 0);
}

TEST(MountTable, VolumesUnderUserMountFoldersGetLettersInMountPointOrder) {
    const auto mounts =
        detail::parseMountTable("/dev/sda1 / ext4 rw 0 0\n"
                                "proc /proc proc rw 0 0\n"
                                "server:/photos /mnt/photos nfs4 rw 0 0\n"
                                "/dev/sr0 /media/ann/HOLIDAY\\040DVD iso9660 ro 0 0\n"
                                "//nas/pics /mnt/archive cifs rw 0 0\n"
                                "tmpfs /mnt tmpfs rw 0 0\n"
                                "ann@host:/ /run/media/ann/remote fuse.sshfs rw 0 0\n"
                                "/dev/loop7 /srv/data ext4 rw 0 0\n");
    ASSERT_EQ(mounts.size(), 8u);
    EXPECT_EQ(mounts[3].mountPoint, "/media/ann/HOLIDAY DVD");

    const auto map = detail::drivesFromMounts(mounts);
    ASSERT_EQ(map.size(), 5u);
    EXPECT_EQ(map[0].letter, 'C');
    EXPECT_EQ(map[0].hostRoot, "/");
    EXPECT_EQ(map[1].hostRoot, "/media/ann/HOLIDAY DVD");
    EXPECT_EQ(map[1].letter, 'D');
    EXPECT_EQ(map[1].type, DRIVE_CDROM);
    EXPECT_EQ(map[2].hostRoot, "/mnt/archive");
    EXPECT_EQ(map[2].type, DRIVE_REMOTE);
    EXPECT_EQ(map[3].hostRoot, "/mnt/photos");
    EXPECT_EQ(map[3].type, DRIVE_REMOTE);
    EXPECT_EQ(map[4].hostRoot, "/run/media/ann/remote");
    EXPECT_EQ(map[4].letter, 'G');
    EXPECT_EQ(map[4].type, DRIVE_REMOTE);
}

TEST(MountTable, TypesFromFileSystem) {
    using detail::driveTypeOfMount;
    EXPECT_EQ(driveTypeOfMount({"srv:/x", "/mnt/x", "nfs"}), DRIVE_REMOTE);
    EXPECT_EQ(driveTypeOfMount({"//h/s", "/mnt/x", "smb3"}), DRIVE_REMOTE);
    EXPECT_EQ(driveTypeOfMount({"h:/", "/mnt/x", "9p"}), DRIVE_REMOTE);
    EXPECT_EQ(driveTypeOfMount({"/dev/sr0", "/mnt/x", "udf"}), DRIVE_CDROM);
    EXPECT_EQ(driveTypeOfMount({"tmpfs", "/mnt/x", "tmpfs"}), DRIVE_FIXED);
    EXPECT_EQ(driveTypeOfMount({"/dev/does-not-exist", "/mnt/x", "ext4"}), DRIVE_FIXED);
}

} // namespace
