// Change notifications over an injected drive map: folders made, renamed and removed in watched
// folders, a burst told once per folder, the program's own announced changes, drives and media,
// folders beyond what is followed, and a watched folder that is removed and made again.
#include <algorithm>
#include <filesystem>
#include <ostream>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/qt/shell.h"
#include "tests/platform/qt_helpers.h"
#include "tests/support/temp_dir.h"

namespace platform {
// gtest prints a notice this way when a comparison fails.
void PrintTo(const ChangeNotice& notice, std::ostream* out) {
    *out << '{' << notice.event << ", \"" << notice.folder << "\", \"" << notice.name << "\"}";
}
} // namespace platform

using namespace platform;
using namespace lumo::test;
namespace fs = std::filesystem;

namespace {

constexpr unsigned kTreeEvents = 0x201F8;

class NotifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveMap(
            {{'C', c.path(), DRIVE_FIXED, "", true}, {'D', d.path(), DRIVE_REMOVABLE, "", true}});
    }
    void TearDown() override {
        for (unsigned long id : registrations_)
            changeNotifyDeregister(id);
        setDriveMap({});
    }
    unsigned long registerFor(MessageRecorder& window, unsigned mask) {
        const unsigned long id = changeNotifyRegister(&window, mask, 1026);
        registrations_.push_back(id);
        return id;
    }
    // Makes a folder and waits for its message: every message before it has arrived by then.
    void mark(MessageRecorder& window, const std::string& folder) {
        const size_t before = window.messages.size();
        fs::create_directories(c / folder);
        ASSERT_TRUE(waitFor([&] { return window.messages.size() > before; }));
    }
    static std::vector<qintptr> events(const MessageRecorder& window) {
        std::vector<qintptr> codes;
        for (const RecordedMessage& message : window.messages)
            codes.push_back(message.lParam);
        return codes;
    }

    TempDir c, d;
    std::vector<unsigned long> registrations_;
};

TEST_F(NotifyTest, FoldersMadeRenamedAndRemovedInWatchedFolders) {
    fs::create_directories(c / "watched");
    fs::create_directories(c / "other");
    MessageRecorder all, onlyMake;
    const unsigned long everything = registerFor(all, kTreeEvents);
    ASSERT_NE(everything, 0u);
    changeNotifyWatch(everything, {"C:\\watched\\", "C:\\other"});
    changeNotifyWatch(registerFor(onlyMake, SHCNE_MKDIR), {"C:\\watched"});

    fs::create_directories(c / "watched/new");
    ASSERT_TRUE(waitFor([&] { return onlyMake.messages.size() == 1; }));
    ASSERT_TRUE(waitFor([&] { return all.messages.size() == 1; }));
    fs::rename(c / "watched/new", c / "watched/renamed");
    ASSERT_TRUE(waitFor([&] { return all.messages.size() == 2; }));
    fs::remove(c / "watched/renamed");
    ASSERT_TRUE(waitFor([&] { return all.messages.size() == 3; }));
    // A plain file is no folder event; a link to a folder is one.
    writeFile(c / "watched/file.jpg", "x");
    fs::create_directory_symlink(c / "other", c / "watched/link");
    ASSERT_TRUE(waitFor([&] { return all.messages.size() == 4; }));
    mark(all, "other/marker");
    EXPECT_EQ(events(all), (std::vector<qintptr>{SHCNE_MKDIR, SHCNE_RENAMEFOLDER, SHCNE_RMDIR,
                                                 SHCNE_MKDIR, SHCNE_MKDIR}));
    EXPECT_EQ(onlyMake.messages.size(), 2u);
    EXPECT_EQ(all.messages[0].msg, 1026u);
    EXPECT_EQ(all.messages[0].wParam, 1u);
    // What each message was about, the folder spelled as it was given, each told once.
    EXPECT_EQ(changeNotifyTake(everything),
              (std::vector<ChangeNotice>{{SHCNE_MKDIR, "C:\\watched\\", "new"},
                                         {SHCNE_RENAMEFOLDER, "C:\\watched\\", "new"},
                                         {SHCNE_RENAMEFOLDER, "C:\\watched\\", "renamed"},
                                         {SHCNE_RMDIR, "C:\\watched\\", "renamed"},
                                         {SHCNE_MKDIR, "C:\\watched\\", "link"},
                                         {SHCNE_MKDIR, "C:\\other", "marker"}}));
    EXPECT_TRUE(changeNotifyTake(everything).empty());
}

TEST_F(NotifyTest, ABurstIsOneMessagePerFolder) {
    for (const char* folder : {"a", "b", "quiet", "marker"})
        fs::create_directories(c / folder);
    MessageRecorder window;
    const unsigned long id = registerFor(window, kTreeEvents);
    changeNotifyWatch(id, {"C:\\a", "C:\\b", "C:\\quiet", "C:\\marker"});
    for (int i = 0; i < 1200; ++i)
        fs::create_directory(c / ("a/new " + std::to_string(i)));
    for (int i = 0; i < 3; ++i)
        fs::create_directory(c / ("b/new " + std::to_string(i)));
    fs::remove(c / "b/new 0");
    ASSERT_TRUE(waitFor([&] { return window.messages.size() >= 2; }));
    mark(window, "marker/done");
    EXPECT_EQ(events(window), (std::vector<qintptr>{SHCNE_MKDIR, SHCNE_MKDIR, SHCNE_MKDIR}));
    // Too many entries of one folder to tell become one look at the folder.
    std::vector<ChangeNotice> notices = changeNotifyTake(id);
    const auto inA = std::stable_partition(
        notices.begin(), notices.end(), [](const ChangeNotice& n) { return n.folder == "C:\\a"; });
    EXPECT_LT(inA - notices.begin(), 1000);
    EXPECT_NE(std::find(notices.begin(), inA, ChangeNotice{SHCNE_MKDIR, "C:\\a", ""}), inA);
    EXPECT_EQ(std::vector<ChangeNotice>(inA, notices.end()),
              (std::vector<ChangeNotice>{{SHCNE_MKDIR, "C:\\b", "new 0"},
                                         {SHCNE_MKDIR, "C:\\b", "new 1"},
                                         {SHCNE_MKDIR, "C:\\b", "new 2"},
                                         {SHCNE_RMDIR, "C:\\b", "new 0"},
                                         {SHCNE_MKDIR, "C:\\marker", "done"}}));
}

TEST_F(NotifyTest, AnnouncedChangesComeOnceWithOthersInTheSameFolder) {
    fs::create_directories(c / "watched/old");
    MessageRecorder window;
    const unsigned long id = registerFor(window, kTreeEvents);
    changeNotifyWatch(id, {"C:\\watched"});

    // The program makes a folder and tells of it while someone else makes another: one message.
    fs::create_directories(c / "watched/mine");
    shellChangeNotify(SHCNE_MKDIR, "C:\\watched\\mine");
    fs::create_directories(c / "watched/theirs");
    ASSERT_TRUE(waitFor([&] { return !window.messages.empty(); }));
    mark(window, "watched/marker");
    EXPECT_EQ(events(window), (std::vector<qintptr>{SHCNE_MKDIR, SHCNE_MKDIR}));

    // The program's own rename is told once, as a rename.
    window.messages.clear();
    ShFileOpStruct op;
    op.func = FO_RENAME;
    op.from = std::string("C:\\watched\\old") + '\0' + '\0';
    op.to = std::string("new") + '\0' + '\0';
    op.flags = FOF_NOERRORUI;
    ASSERT_EQ(shFileOperation(op), 0);
    ASSERT_TRUE(waitFor([&] { return !window.messages.empty(); }));
    mark(window, "watched/marker2");
    EXPECT_EQ(events(window), (std::vector<qintptr>{SHCNE_RENAMEFOLDER, SHCNE_MKDIR}));
    // Both names of the rename: the old one is gone, the new one is there.
    const std::vector<ChangeNotice> notices = changeNotifyTake(id);
    ASSERT_GE(notices.size(), 2u);
    EXPECT_EQ(notices[notices.size() - 3],
              (ChangeNotice{SHCNE_RENAMEFOLDER, "C:\\watched", "old"}));
    EXPECT_EQ(notices[notices.size() - 2],
              (ChangeNotice{SHCNE_RENAMEFOLDER, "C:\\watched", "new"}));
}

TEST_F(NotifyTest, DrivesAndMediaAndAnnouncedChanges) {
    MessageRecorder window;
    const unsigned long id = registerFor(window, kTreeEvents);
    ASSERT_NE(id, 0u);
    addDrive({'G', c.path(), DRIVE_REMOTE, "", true});
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 1; }));
    addDrive({'D', d.path(), DRIVE_REMOVABLE, "", false});
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 2; }));
    addDrive({'D', d.path(), DRIVE_REMOVABLE, "", true});
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 3; }));
    removeDrive('G');
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 4; }));
    EXPECT_EQ(events(window), (std::vector<qintptr>{SHCNE_DRIVEADD, SHCNE_MEDIAREMOVED,
                                                    SHCNE_MEDIAINSERTED, SHCNE_DRIVEREMOVED}));
    EXPECT_EQ(changeNotifyTake(id), (std::vector<ChangeNotice>{{SHCNE_DRIVEADD, "G:\\", ""},
                                                               {SHCNE_MEDIAREMOVED, "D:\\", ""},
                                                               {SHCNE_MEDIAINSERTED, "D:\\", ""},
                                                               {SHCNE_DRIVEREMOVED, "G:\\", ""}}));

    // A card that comes with several changes of the map is one message.
    window.messages.clear();
    addDrive({'H', d.path(), DRIVE_REMOVABLE, "", false});
    addDrive({'H', d.path(), DRIVE_REMOVABLE, "", true});
    addDrive({'I', d.path(), DRIVE_REMOVABLE, "", true});
    ASSERT_TRUE(waitFor([&] { return !window.messages.empty(); }));
    removeDrive('H');
    removeDrive('I');
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 2; }));
    EXPECT_EQ(events(window), (std::vector<qintptr>{SHCNE_DRIVEADD, SHCNE_DRIVEREMOVED}));

    // Announced changes reach every registration whose mask has them.
    window.messages.clear();
    shellChangeNotify(SHCNE_CREATE, "C:\\x.jpg"); // not in the mask
    shellChangeNotify(SHCNE_RMDIR, "C:\\gone");
    ASSERT_TRUE(waitFor([&] { return !window.messages.empty(); }));
    EXPECT_EQ(events(window), (std::vector<qintptr>{SHCNE_RMDIR}));
    EXPECT_EQ(changeNotifyTake(id).back(), (ChangeNotice{SHCNE_RMDIR, "C:\\", "gone"}));
}

TEST_F(NotifyTest, OnlyAsManyFoldersAsTheShareOfWatchesAreFollowed) {
    const size_t capacity = changeNotifyWatchCapacity();
    ASSERT_GE(capacity, 256u);
    ASSERT_LE(capacity, 8192u);
    // Thousands of folders: in memory where the machine has such a folder.
    const bool inMemory = fs::is_directory("/dev/shm");
    TempDir many(inMemory ? "/dev/shm" : fs::temp_directory_path().string());
    addDrive({'M', many.path(), DRIVE_FIXED, "", true});
    std::vector<std::string> folders;
    for (size_t i = 0; i <= capacity; ++i) {
        fs::create_directory(many / ("f" + std::to_string(i)));
        folders.push_back("M:\\f" + std::to_string(i));
    }
    folders.insert(folders.begin() + 1, "C:\\marker");
    fs::create_directory(c / "marker");
    MessageRecorder window;
    const unsigned long id = registerFor(window, kTreeEvents);
    changeNotifyWatch(id, folders);
    // The last folder is beyond the share: a folder made there is not told.
    fs::create_directory(many / ("f" + std::to_string(capacity) + "/new"));
    fs::create_directory(many / "f0/new");
    ASSERT_TRUE(waitFor([&] { return !window.messages.empty(); }));
    mark(window, "marker/done");
    EXPECT_EQ(window.messages.size(), 2u);
    // Let go of the watches before the folders go: removing thousands of watched folders at once
    // would overflow the kernel's queue of events, which every registration would then hear of.
    changeNotifyWatch(id, {});
}

TEST_F(NotifyTest, AFolderRemovedAndMadeAgainIsFollowedAgain) {
    fs::create_directories(c / "parent/w");
    MessageRecorder window;
    const unsigned long id = registerFor(window, kTreeEvents);
    changeNotifyWatch(id, {"C:\\parent\\w", "C:\\marker"});
    fs::remove(c / "parent/w");
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 1; }));
    EXPECT_EQ(window.messages[0].lParam, SHCNE_RMDIR);
    fs::create_directories(c / "parent/w");
    changeNotifyWatch(id, {"C:\\parent\\w", "C:\\marker"});
    fs::create_directories(c / "parent/w/inside");
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 2; }));

    // No message after the registration is gone.
    MessageRecorder other;
    changeNotifyWatch(registerFor(other, kTreeEvents), {"C:\\parent\\w"});
    EXPECT_TRUE(changeNotifyDeregister(id));
    EXPECT_FALSE(changeNotifyDeregister(id));
    fs::create_directories(c / "parent/w/again");
    ASSERT_TRUE(waitFor([&] { return other.messages.size() == 1; }));
    EXPECT_EQ(window.messages.size(), 2u);
}

} // namespace
