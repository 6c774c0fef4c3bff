// Network drives: connecting a folder to a letter with the result codes, disconnecting,
// persistence in the user's configuration folder and the disconnect dialog's answerer.
#include "platform/qt/network.h"

#include <filesystem>

#include <QByteArray>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/mount_table.h"
#include "platform/core/winerror.h"
#include "platform/qt/ui.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;

namespace {

class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
        setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true}});
    }
    void TearDown() override {
        for (const NetConnection& connection : wnetConnections())
            wnetCancelConnection(std::string{connection.letter, ':'}, true);
        setDisconnectDialogAnswerer(nullptr);
        setMessageBoxAnswerer(nullptr);
        recordedMessageBoxes().clear();
        detail::setMountSource({});
        detail::setReservedLetters(0);
        qputenv("XDG_CONFIG_HOME", saved_);
        setDriveMap({});
    }
    std::string persisted() const { return readFile(config / "lumograph/network-drives"); }

    TempDir c, config, share;
    QByteArray saved_;
};

TEST_F(NetworkTest, ConnectCodes) {
    EXPECT_EQ(wnetAddConnection("1:", share.path(), false), ERROR_BAD_DEVICE);
    EXPECT_EQ(wnetAddConnection("G", share.path(), false), ERROR_BAD_DEVICE);
    EXPECT_EQ(lastError(), ERROR_BAD_DEVICE);
    EXPECT_EQ(wnetAddConnection("c:", share.path(), false), ERROR_ALREADY_ASSIGNED);
    EXPECT_EQ(wnetAddConnection("G:", share / "missing", false), ERROR_BAD_NETPATH);
    EXPECT_EQ(wnetAddConnection("G:", "\\\\nohost\\noshare-lumo", false), ERROR_BAD_NETPATH);
    writeFile(share / "file", "x");
    EXPECT_EQ(wnetAddConnection("G:", share / "file", false), ERROR_BAD_NETPATH);
    EXPECT_EQ(driveType("G:\\"), DRIVE_NO_ROOT_DIR);

    EXPECT_EQ(wnetAddConnection("g:", share.path(), false), ERROR_SUCCESS);
    EXPECT_EQ(lastError(), ERROR_SUCCESS);
    EXPECT_EQ(driveType("G:\\"), DRIVE_REMOTE);
    EXPECT_EQ(toHostPath("G:\\file"), share / "file");
    EXPECT_EQ(wnetAddConnection("G:", share.path(), false), ERROR_ALREADY_ASSIGNED);

    // A program path works as well.
    std::filesystem::create_directories(c / "srv/pics");
    EXPECT_EQ(wnetAddConnection("H:", "C:\\srv\\pics", false), ERROR_SUCCESS);
    EXPECT_EQ(driveDisplayName('H'), "pics (H:)");
    ASSERT_EQ(wnetConnections().size(), 2u);
    EXPECT_EQ(wnetConnections()[1].remote, "C:\\srv\\pics");
    EXPECT_FALSE(std::filesystem::exists(config / "lumograph/network-drives"));
}

TEST_F(NetworkTest, DisconnectAndPersistence) {
    EXPECT_EQ(wnetCancelConnection("G:", true), ERROR_NOT_CONNECTED);
    EXPECT_EQ(wnetCancelConnection("C:", true), ERROR_NOT_CONNECTED);
    EXPECT_EQ(driveType("C:\\"), DRIVE_FIXED);

    ASSERT_EQ(wnetAddConnection("G:", share.path(), true), ERROR_SUCCESS);
    EXPECT_EQ(persisted(), "G:\t" + share.path() + "\n");
    EXPECT_TRUE(wnetConnections()[0].persistent);

    // Disconnecting without forgetting keeps it for the next start.
    EXPECT_EQ(wnetCancelConnection("G:", false), ERROR_SUCCESS);
    EXPECT_EQ(driveType("G:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(persisted(), "G:\t" + share.path() + "\n");
    restorePersistentConnections();
    EXPECT_EQ(driveType("G:\\"), DRIVE_REMOTE);
    ASSERT_EQ(wnetConnections().size(), 1u);

    EXPECT_EQ(wnetCancelConnection("g:", true), ERROR_SUCCESS);
    EXPECT_EQ(persisted(), "");
    restorePersistentConnections();
    EXPECT_EQ(driveType("G:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(NetworkTest, ControlCharactersCannotForgeSavedConnections) {
    // Such a folder exists, but its name would add a second line to the saved list. It lies beside
    // the share's folder and goes with the test.
    const std::string forged = share.path() + "\nK:\t" + c.path();
    const struct RemoveForged {
        std::string top;
        ~RemoveForged() {
            std::error_code ignored;
            std::filesystem::remove_all(top, ignored);
        }
    } removeForged{share.path() + "\nK:\t"};
    ASSERT_TRUE(std::filesystem::create_directories(forged));
    EXPECT_EQ(wnetAddConnection("G:", forged, true), ERROR_BAD_NETPATH);
    EXPECT_EQ(driveType("G:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_FALSE(std::filesystem::exists(config / "lumograph/network-drives"));
    restorePersistentConnections();
    EXPECT_EQ(driveType("K:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(NetworkTest, ASavedLetterTakenAtStartIsReportedAndKept) {
    // This machine as the drive map reads it: one card mounted, which gets D:.
    setDriveMap({});
    std::vector<detail::MountEntry> mounts{{"/dev/sda1", "/", "ext4", 1, 8, 0},
                                           {"/dev/sdb1", "/media/ann/CARD", "vfat", 2, 8, 17}};
    detail::setMountSource({[&mounts] { return mounts; },
                            [](const detail::MountEntry& mount) {
                                return detail::VolumeFacts{mount.device, "", 1000, true};
                            }});
    detail::invalidateHostDriveMap();
    ASSERT_EQ(driveInfo('D')->hostRoot, "/media/ann/CARD");

    std::filesystem::create_directories(config / "lumograph");
    const std::string saved =
        "D:\t" + share.path() + "\nE:\t" + (share / "gone") + "\nG:\t" + share.path() + "\n";
    writeFile(config / "lumograph/network-drives", saved);
    setMessageBoxAnswerer([](const MessageBoxCall&) { return IDOK; });
    restorePersistentConnections();

    // D: is the card's: the user is told, and the connection stays saved. E:'s share is not
    // there now: kept without a word. G: is connected.
    ASSERT_EQ(recordedMessageBoxes().size(), 1u);
    const MessageBoxCall& box = recordedMessageBoxes()[0];
    EXPECT_TRUE(box.text.contains(QStringLiteral("reconnecting D: to")));
    EXPECT_TRUE(box.text.contains(QString::fromStdString(share.path())));
    EXPECT_TRUE(box.text.contains(QStringLiteral("Removable Disk (D:)")));
    EXPECT_EQ(box.caption, QStringLiteral("Restoring Network Connections"));
    EXPECT_EQ(box.flags, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(persisted(), saved);
    EXPECT_EQ(driveInfo('D')->hostRoot, "/media/ann/CARD");
    EXPECT_EQ(driveType("E:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(driveType("G:\\"), DRIVE_REMOTE);

    // Cards that come now never get E: or G:.
    mounts.push_back({"/dev/sdc1", "/media/ann/SECOND", "vfat", 3, 8, 33});
    mounts.push_back({"/dev/sdd1", "/media/ann/THIRD", "vfat", 4, 8, 49});
    detail::invalidateHostDriveMap();
    EXPECT_EQ(driveInfo('F')->hostRoot, "/media/ann/SECOND");
    EXPECT_EQ(driveInfo('H')->hostRoot, "/media/ann/THIRD");
    EXPECT_EQ(driveType("E:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(NetworkTest, DisconnectDialogAnswerer) {
    EXPECT_EQ(wnetDisconnectDialog(nullptr), ERROR_CANCELLED); // nothing to choose
    ASSERT_EQ(wnetAddConnection("G:", share.path(), false), ERROR_SUCCESS);
    ASSERT_EQ(wnetAddConnection("K:", share.path(), false), ERROR_SUCCESS);
    setDisconnectDialogAnswerer([](const std::vector<NetConnection>& offered) {
        return offered.size() == 2 && offered[1].letter == 'K' ? 'K' : char(0);
    });
    EXPECT_EQ(wnetDisconnectDialog(nullptr), ERROR_SUCCESS);
    EXPECT_EQ(driveType("K:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(driveType("G:\\"), DRIVE_REMOTE);
    setDisconnectDialogAnswerer([](const std::vector<NetConnection>&) { return char(0); });
    EXPECT_EQ(wnetDisconnectDialog(nullptr), ERROR_CANCELLED);
    EXPECT_EQ(driveType("G:\\"), DRIVE_REMOTE);
}

} // namespace
