// The shell over an injected drive map: names, shared icons, file operations with confirmations,
// the trash, verbs, the properties sheet and special folders. Second volumes are RAM disks in the
// test's own mount namespace.
#include "platform/qt/shell.h"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/core/winerror.h"
#include "platform/qt/image_list.h"
#include "platform/qt/shell_fileop.h"
#include "platform/qt/ui.h"
#include "tests/platform/qt_helpers.h"
#include "tests/support/guard_skip.h"
#include "tests/support/own_mounts.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kNeedsMounts = "needs a mount namespace of its own (unshare)";

std::string list(std::initializer_list<std::string> items) {
    std::string text;
    for (const std::string& item : items)
        text += item + '\0';
    return text + '\0';
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true},
                     {'D', d.path(), DRIVE_REMOVABLE, "", false},
                     {'E', d.path(), DRIVE_CDROM, "", true}});
        savedData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.path()));
        recordedMessageBoxes().clear();
    }
    void TearDown() override {
        setMessageBoxAnswerer(nullptr);
        recordedMessageBoxes().clear();
        qputenv("XDG_DATA_HOME", savedData_);
        setDriveMap({});
    }
    void answer(int reply) {
        setMessageBoxAnswerer([reply](const MessageBoxCall&) { return reply; });
    }
    int run(unsigned func, const std::string& from, const std::string& to, unsigned flags,
            bool* aborted = nullptr) {
        ShFileOpStruct op;
        op.func = func;
        op.from = from;
        op.to = to;
        op.flags = flags;
        const int result = shFileOperation(op);
        if (aborted != nullptr)
            *aborted = op.anyOperationsAborted;
        return result;
    }

    TempDir c, d, data;
    QByteArray savedData_;
};

TEST_F(ShellTest, DisplayAndTypeNames) {
    fs::create_directories(c / "Photos");
    writeFile(c / "Photos/IMG_1.JPG", "x");
    writeFile(c / "notes.xyz", "x");
    EXPECT_EQ(shellDisplayName(kMyComputerPath), "My Computer");
    EXPECT_EQ(shellDisplayName("C:\\"), "Local Disk (C:)");
    EXPECT_EQ(shellDisplayName("d:"), "Removable Disk (D:)");
    EXPECT_EQ(shellDisplayName("C:\\photos\\img_1.jpg"), "IMG_1.JPG");
    EXPECT_EQ(shellDisplayName("C:\\Photos\\"), "Photos");
    EXPECT_EQ(shellDisplayName("C:\\missing.jpg"), "");
    EXPECT_EQ(shellDisplayName("Q:\\"), "");
    EXPECT_EQ(shellTypeName("C:\\Photos\\IMG_1.JPG"), "JPEG Image");
    EXPECT_EQ(shellTypeName("C:\\Photos"), "File Folder");
    EXPECT_EQ(shellTypeName("C:\\notes.xyz"), "XYZ File");
    EXPECT_EQ(shellTypeName("E:\\"), "CD Drive");
    EXPECT_EQ(shellTypeName("C:\\"), "Local Disk");
}

TEST_F(ShellTest, OneIconPerTypeSharedByEveryFile) {
    fs::create_directories(c / "dir");
    writeFile(c / "a.jpg", "x");
    writeFile(c / "b.JPG", "x");
    writeFile(c / "c.txt", "x");
    ImageList& small = systemImageList(IconSize::Small);
    ImageList& large = systemImageList(IconSize::Large);
    EXPECT_EQ(&small, &systemImageList(IconSize::Small));
    EXPECT_EQ(small.width(), 16);
    EXPECT_EQ(large.width(), 32);

    const int jpg = shellIconIndex("C:\\a.jpg", IconSize::Small);
    ASSERT_GE(jpg, 0);
    const int countAfterFirst = small.count();
    EXPECT_EQ(shellIconIndex("C:\\b.JPG", IconSize::Small), jpg);
    EXPECT_EQ(shellIconIndex("C:\\a.jpg", IconSize::Large), jpg);
    EXPECT_EQ(small.count(), countAfterFirst); // no new icon for a second file of the type
    EXPECT_EQ(small.count(), large.count());
    EXPECT_EQ(large.image(jpg).size(), QSize(32, 32));
    EXPECT_FALSE(small.image(jpg).isNull());

    const int txt = shellIconIndex("C:\\c.txt", IconSize::Small);
    const int folder = shellIconIndex("C:\\dir", IconSize::Small);
    const int open = shellIconIndex("C:\\dir", IconSize::Small, true);
    const int fixed = shellIconIndex("C:\\", IconSize::Small);
    const int removable = shellIconIndex("D:\\", IconSize::Small);
    const int cd = shellIconIndex("E:\\", IconSize::Small);
    const int computer = shellIconIndex(kMyComputerPath, IconSize::Small);
    const std::set<int> distinct{jpg, txt, folder, open, fixed, removable, cd, computer};
    EXPECT_EQ(distinct.size(), 8u);
    // A path spelled in another case finds the same item.
    EXPECT_EQ(shellIconIndex("c:\\DIR", IconSize::Small), folder);
    EXPECT_EQ(shellIconIndex("C:\\Dir", IconSize::Small, true), open);
    EXPECT_EQ(shellIconIndex("C:\\A.JPG", IconSize::Small), jpg);
    EXPECT_EQ(shellIconIndex("C:\\missing.jpg", IconSize::Small), -1);
    EXPECT_EQ(shellIconIndex("Q:\\", IconSize::Small), -1);
}

TEST_F(ShellTest, DeleteAsksFirstAndNoKeepsEverything) {
    writeFile(c / "a.jpg", "x");
    answer(IDNO);
    bool aborted = false;
    EXPECT_NE(run(FO_DELETE, list({"C:\\a.jpg"}), "", FOF_ALLOWUNDO, &aborted), 0);
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(fs::exists(c / "a.jpg"));
    ASSERT_EQ(recordedMessageBoxes().size(), 1u);
    EXPECT_EQ(recordedMessageBoxes()[0].text,
              "Are you sure you want to move 'a.jpg' to the Trash?");
    EXPECT_EQ(recordedMessageBoxes()[0].flags, MB_YESNO | MB_ICONQUESTION);

    answer(IDYES);
    EXPECT_EQ(run(FO_DELETE, list({"C:\\a.jpg"}), "", FOF_ALLOWUNDO, &aborted), 0);
    EXPECT_FALSE(aborted);
    EXPECT_FALSE(fs::exists(c / "a.jpg"));
}

TEST_F(ShellTest, DeleteWithUndoGoesToTheTrashWithItsRecord) {
    fs::create_directories(c / "My Album/sub");
    writeFile(c / "My Album/sub/x.jpg", "x");
    EXPECT_EQ(run(FO_DELETE, list({"C:\\My Album\\"}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION), 0);
    EXPECT_FALSE(fs::exists(c / "My Album"));
    EXPECT_TRUE(recordedMessageBoxes().empty());
    const std::string trash = data / "Trash";
    EXPECT_EQ(readFile(trash + "/files/My Album/sub/x.jpg"), "x");
    const std::string info = readFile(trash + "/info/My Album.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\n", 0), 0u);
    EXPECT_NE(
        info.find(
            "Path=" +
            QUrl::toPercentEncoding(QString::fromStdString(c / "My Album"), "/").toStdString() +
            "\n"),
        std::string::npos);
    EXPECT_NE(info.find("\nDeletionDate=20"), std::string::npos);

    // A second item of the same name gets a name of its own.
    fs::create_directories(c / "My Album");
    EXPECT_EQ(run(FO_DELETE, list({"C:\\My Album"}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION), 0);
    EXPECT_TRUE(fs::exists(trash + "/files/My Album/sub/x.jpg"));
    EXPECT_TRUE(fs::exists(trash + "/files/My Album.2"));
    EXPECT_TRUE(fs::exists(trash + "/info/My Album.2.trashinfo"));
}

TEST_F(ShellTest, TrashOfAnotherVolumeMustBeTheUsersOwnFolder) {
    // A RAM disk stands for a second volume; its top is where that volume's trash would be.
    TempDir volume;
    const ScopedMount card(volume.path());
    if (!card.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    const std::string planted = volume / (".Trash-" + std::to_string(::getuid()));
    TempDir elsewhere;
    fs::create_directory_symlink(elsewhere.path(), planted);
    setDriveMap(
        {{'C', c.path(), DRIVE_FIXED, "", true}, {'F', volume.path(), DRIVE_REMOVABLE, "", true}});
    writeFile(volume / "x.jpg", "x");

    EXPECT_EQ(run(FO_DELETE, list({"F:\\x.jpg"}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION), 0);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    EXPECT_EQ(readFile(data / "Trash/files/x.jpg"), "x");
    EXPECT_TRUE(fs::exists(data / "Trash/info/x.jpg.trashinfo"));
}

TEST_F(ShellTest, TheTrashNeverTakesAMountedVolume) {
    // A card mounted inside a folder and a folder seen a second time inside another: neither
    // folder nor mount point goes to the trash, where emptying it would erase the volume.
    fs::create_directories(c / "album/card");
    fs::create_directories(c / "shelf/alias");
    fs::create_directories(c / "elsewhere");
    writeFile(c / "album/a.jpg", "a");
    writeFile(c / "elsewhere/e.jpg", "e");
    const ScopedMount card(c / "album/card");
    const ScopedMount alias(c / "shelf/alias", c / "elsewhere");
    if (!card.mounted() || !alias.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    writeFile(c / "album/card/on-card.jpg", "on the card");

    for (const char* item : {"C:\\album\\card", "C:\\album", "C:\\shelf\\alias", "C:\\shelf"}) {
        EXPECT_EQ(
            run(FO_DELETE, list({item}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI),
            int(ERROR_ACCESS_DENIED))
            << item;
    }
    std::vector<std::string> onCard;
    for (const auto& entry : fs::directory_iterator(c / "album/card"))
        onCard.push_back(entry.path().filename().string());
    EXPECT_EQ(onCard, std::vector<std::string>{"on-card.jpg"}) << "nothing moved, no trash made";
    EXPECT_EQ(readFile(c / "album/card/on-card.jpg"), "on the card");
    EXPECT_EQ(readFile(c / "album/a.jpg"), "a");
    EXPECT_EQ(readFile(c / "shelf/alias/e.jpg"), "e");
    EXPECT_FALSE(fs::exists(data / "Trash/info/album.trashinfo"));
    EXPECT_FALSE(fs::exists(data / "Trash/info/shelf.trashinfo"));

    // The refusal is the shell's error box.
    answer(IDOK);
    EXPECT_EQ(run(FO_DELETE, list({"C:\\album\\card"}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION),
              int(ERROR_ACCESS_DENIED));
    ASSERT_EQ(recordedMessageBoxes().size(), 1u);
    EXPECT_EQ(recordedMessageBoxes()[0].text, "Cannot delete C:\\album\\card: Access is denied.");
}

TEST_F(ShellTest, PermanentDeleteRemovesWholeFoldersButNeverADriveRoot) {
    fs::create_directories(c / "tree/a/b");
    writeFile(c / "tree/a/b/x.jpg", "x");
    writeFile(c / "one.jpg", "1");
    answer(IDYES);
    EXPECT_EQ(run(FO_DELETE, list({"C:\\tree", "C:\\one.jpg"}), "", 0), 0);
    EXPECT_EQ(recordedMessageBoxes().at(0).text,
              "Are you sure you want to permanently delete these 2 items?");
    EXPECT_FALSE(fs::exists(c / "tree"));
    EXPECT_FALSE(fs::exists(c / "one.jpg"));
    EXPECT_FALSE(fs::exists(data / "Trash/files"));

    EXPECT_EQ(run(FO_DELETE, list({"C:\\"}), "", FOF_NOCONFIRMATION | FOF_NOERRORUI),
              int(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::exists(c.path()));
}

TEST_F(ShellTest, MoveAndCopyIntoFoldersOrToNewNames) {
    fs::create_directories(c / "src/sub");
    writeFile(c / "src/sub/x.jpg", "x");
    writeFile(c / "a.jpg", "a");
    fs::create_directories(c / "dest");
    EXPECT_EQ(run(FO_COPY, list({"C:\\src"}), list({"C:\\dest"}), FOF_ALLOWUNDO), 0);
    EXPECT_EQ(readFile(c / "dest/src/sub/x.jpg"), "x");
    EXPECT_TRUE(fs::exists(c / "src/sub/x.jpg"));
    EXPECT_EQ(run(FO_COPY, list({"C:\\src"}), list({"C:\\copy"}), FOF_ALLOWUNDO), 0);
    EXPECT_EQ(readFile(c / "copy/sub/x.jpg"), "x");
    EXPECT_EQ(run(FO_MOVE, list({"C:\\a.jpg"}), list({"C:\\dest\\"}), FOF_ALLOWUNDO), 0);
    EXPECT_EQ(readFile(c / "dest/a.jpg"), "a");
    EXPECT_FALSE(fs::exists(c / "a.jpg"));
    EXPECT_EQ(run(FO_MOVE, list({"C:\\src"}), list({"C:\\moved"}), FOF_ALLOWUNDO), 0);
    EXPECT_EQ(readFile(c / "moved/sub/x.jpg"), "x");
    EXPECT_FALSE(fs::exists(c / "src"));
    EXPECT_TRUE(recordedMessageBoxes().empty());

    // A folder never goes into itself.
    EXPECT_NE(run(FO_MOVE, list({"C:\\moved"}), list({"C:\\moved\\sub"}), FOF_NOERRORUI), 0);
    EXPECT_TRUE(fs::exists(c / "moved/sub/x.jpg"));
}

TEST_F(ShellTest, ReplacingAsksAndNoLeavesTheDestinationUntouched) {
    fs::create_directories(c / "dest");
    writeFile(c / "a.jpg", "new");
    writeFile(c / "dest/a.jpg", "old");
    answer(IDNO);
    bool aborted = false;
    EXPECT_EQ(run(FO_MOVE, list({"C:\\a.jpg"}), list({"C:\\dest"}), FOF_ALLOWUNDO, &aborted), 0);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(readFile(c / "dest/a.jpg"), "old");
    EXPECT_EQ(readFile(c / "a.jpg"), "new");
    ASSERT_EQ(recordedMessageBoxes().size(), 1u);
    EXPECT_EQ(recordedMessageBoxes()[0].caption, "Confirm File Replace");

    answer(IDYES);
    EXPECT_EQ(run(FO_COPY, list({"C:\\a.jpg"}), list({"C:\\dest"}), FOF_ALLOWUNDO, &aborted), 0);
    EXPECT_FALSE(aborted);
    EXPECT_EQ(readFile(c / "dest/a.jpg"), "new");
    EXPECT_EQ(readFile(c / "a.jpg"), "new");

    // Folders merge after a yes; files of the same name are replaced, others kept.
    fs::create_directories(c / "album");
    fs::create_directories(c / "dest/album");
    writeFile(c / "album/1.jpg", "one-new");
    writeFile(c / "dest/album/1.jpg", "one-old");
    writeFile(c / "dest/album/2.jpg", "two");
    EXPECT_EQ(run(FO_MOVE, list({"C:\\album"}), list({"C:\\dest"}), FOF_ALLOWUNDO), 0);
    EXPECT_EQ(readFile(c / "dest/album/1.jpg"), "one-new");
    EXPECT_EQ(readFile(c / "dest/album/2.jpg"), "two");
    EXPECT_FALSE(fs::exists(c / "album"));
}

TEST_F(ShellTest, ReplacingTouchesNothingButTheDestination) {
    fs::create_directories(c / "dest");
    fs::create_directories(c / "outside");
    writeFile(c / "a.jpg", "new");
    writeFile(c / "dest/a.jpg", "old");
    writeFile(c / "dest/.lumo-replace-a.jpg", "the user's own file");
    answer(IDYES);
    EXPECT_EQ(run(FO_COPY, list({"C:\\a.jpg"}), list({"C:\\dest"}), FOF_ALLOWUNDO), 0);
    EXPECT_EQ(readFile(c / "dest/a.jpg"), "new");
    EXPECT_EQ(readFile(c / "dest/.lumo-replace-a.jpg"), "the user's own file");

    // A link to a folder replaces nothing by merging: the folder it points to keeps its entries.
    writeFile(c / "outside/keep.jpg", "k");
    fs::create_directories(c / "src");
    fs::create_directory_symlink("../outside", c / "src/album");
    fs::create_directories(c / "dest/album");
    EXPECT_NE(run(FO_MOVE, list({"C:\\src\\album"}), list({"C:\\dest"}), FOF_NOERRORUI), 0);
    EXPECT_EQ(readFile(c / "outside/keep.jpg"), "k");
    EXPECT_TRUE(fs::is_empty(c / "dest/album"));

    // A folder is never copied into itself through a second name.
    fs::create_directory_symlink("outside", c / "alias");
    EXPECT_EQ(run(FO_COPY, list({"C:\\outside"}), list({"C:\\alias"}), FOF_NOERRORUI),
              int(ERROR_INVALID_PARAMETER));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(c / "outside"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"keep.jpg"});
}

TEST_F(ShellTest, MergingNeverFollowsALinkInTheDestination) {
    fs::create_directories(c / "src/album");
    fs::create_directories(c / "src/other");
    fs::create_directories(c / "outside");
    fs::create_directories(c / "dest");
    writeFile(c / "src/album/x.jpg", "mine");
    writeFile(c / "src/other/y.jpg", "mine too");
    writeFile(c / "outside/x.jpg", "not to be touched");
    writeFile(c / "outside/y.jpg", "not to be touched");
    fs::create_directory_symlink("../outside", c / "dest/album");
    fs::create_directory_symlink("../outside", c / "dest/other");

    EXPECT_EQ(run(FO_MOVE, list({"C:\\src\\album"}), list({"C:\\dest"}),
                  FOF_NOCONFIRMATION | FOF_NOERRORUI),
              int(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(run(FO_COPY, list({"C:\\src\\other"}), list({"C:\\dest"}),
                  FOF_NOCONFIRMATION | FOF_NOERRORUI),
              int(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(readFile(c / "outside/x.jpg"), "not to be touched");
    EXPECT_EQ(readFile(c / "outside/y.jpg"), "not to be touched");
    EXPECT_EQ(readFile(c / "src/album/x.jpg"), "mine");
    EXPECT_TRUE(fs::is_symlink(c / "dest/album"));
}

TEST_F(ShellTest, AMoveThatKeepsPartOfItsSourceSaysWhereTheCopyIs) {
    TempDir card;
    const ScopedMount volume(card.path());
    if (!volume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    setDriveMap(
        {{'C', c.path(), DRIVE_FIXED, "", true}, {'E', card.path(), DRIVE_REMOVABLE, "", true}});
    fs::create_directories(c / "album");
    writeFile(c / "album/a.jpg", std::string(1 << 20, 'a'));
    // Once the copy has begun on the card, a picture arrives in the album.
    ScriptedSession session;
    bool arrived = false;
    session.cancelWhen = [&](const ScriptedSession& s) {
        if (!arrived && s.bytesOfItem > 0) {
            writeFile(c / "album/new.jpg", "arrived");
            arrived = true;
        }
        return false;
    };
    const detail::FileOpOutcome outcome = detail::runFileOperation(
        {FO_MOVE, list({"C:\\album"}), list({"E:\\"}), FOF_NOCONFIRMATION}, session);
    ASSERT_TRUE(arrived);
    EXPECT_EQ(outcome.code, int(ERROR_DIR_NOT_EMPTY));
    EXPECT_EQ(readFile(c / "album/new.jpg"), "arrived");
    EXPECT_FALSE(fs::exists(c / "album/a.jpg"));
    EXPECT_EQ(readFile(card / "album/a.jpg").size(), size_t(1) << 20);
    ASSERT_TRUE(outcome.failed);
    const QString text = detail::fileOpFailureText(FO_MOVE, outcome);
    EXPECT_NE(text.indexOf("A complete copy is at E:\\album"), -1) << text.toStdString();
}

TEST_F(ShellTest, TrashTakesAnyNameAndRecordsItsBytes) {
    const std::string trash = data / "Trash";
    // A name as long as the file system allows: its record would not fit, so its entry in the
    // trash is shortened; the record keeps the whole path.
    const std::string longName = std::string(251, 'n') + ".jpg";
    writeFile(c / longName, "long");
    EXPECT_EQ(run(FO_DELETE, list({"C:\\" + longName}), "",
                  FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI),
              0);
    EXPECT_FALSE(fs::exists(c / longName));
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(trash + "/files"))
        files.push_back(entry.path().filename().string());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readFile(trash + "/files/" + files[0]), "long");
    EXPECT_EQ(files[0].substr(files[0].size() - 4), ".jpg");
    const std::string record = readFile(trash + "/info/" + files[0] + ".trashinfo");
    EXPECT_NE(record.find("/" + longName + "\n"), std::string::npos);

    // An entry left in files/ without its record is passed over, and no record is left behind.
    writeFile(trash + "/files/a.jpg", "left over");
    writeFile(c / "a.jpg", "a");
    EXPECT_EQ(
        run(FO_DELETE, list({"C:\\a.jpg"}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI),
        0);
    EXPECT_EQ(readFile(trash + "/files/a.jpg"), "left over");
    EXPECT_FALSE(fs::exists(trash + "/info/a.jpg.trashinfo"));
    EXPECT_EQ(readFile(trash + "/files/a.jpg.2"), "a");
    EXPECT_TRUE(fs::exists(trash + "/info/a.jpg.2.trashinfo"));

    // A name that is not UTF-8 is recorded byte for byte.
    writeFile(c / "caf\xE9.jpg", "latin");
    EXPECT_EQ(run(FO_DELETE, list({"C:\\caf\xE9.jpg"}), "",
                  FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI),
              0);
    EXPECT_EQ(readFile(trash + "/files/caf\xE9.jpg"), "latin");
    EXPECT_NE(readFile(trash + "/info/caf\xE9.jpg.trashinfo").find("/caf%E9.jpg\n"),
              std::string::npos);
}

TEST_F(ShellTest, RenameInPlaceAndErrorsInBoxes) {
    fs::create_directories(c / "Folder");
    writeFile(c / "other", "keep");
    EXPECT_EQ(run(FO_RENAME, list({"C:\\Folder"}), list({"C:\\FOLDER"}), FOF_ALLOWUNDO), 0);
    EXPECT_TRUE(fs::exists(c / "FOLDER"));
    EXPECT_FALSE(fs::exists(c / "Folder"));
    EXPECT_EQ(run(FO_RENAME, list({"C:\\FOLDER"}), list({"Renamed"}), FOF_ALLOWUNDO), 0);
    EXPECT_TRUE(fs::exists(c / "Renamed"));

    answer(IDOK);
    EXPECT_EQ(run(FO_RENAME, list({"C:\\Renamed"}), list({"C:\\OTHER"}), FOF_ALLOWUNDO),
              int(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(readFile(c / "other"), "keep");
    EXPECT_TRUE(fs::exists(c / "Renamed"));
    ASSERT_EQ(recordedMessageBoxes().size(), 1u);
    EXPECT_EQ(recordedMessageBoxes()[0].flags, MB_OK | MB_ICONERROR);

    EXPECT_EQ(run(FO_COPY, list({"C:\\missing"}), list({"C:\\x"}), FOF_NOERRORUI),
              int(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(recordedMessageBoxes().size(), 1u);
    EXPECT_EQ(run(FO_COPY, list({"D:\\a"}), list({"C:\\x"}), FOF_NOERRORUI), int(ERROR_NOT_READY));
}

TEST_F(ShellTest, ARenameStaysInItsFolder) {
    fs::create_directories(c / "d/sub");
    writeFile(c / "d/a.jpg", "a");
    fs::create_directory_symlink(c / "d", c / "alias");
    const auto entriesOf = [](const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> top = entriesOf(c.path());
    // Names that lead out of the folder, up, down or to another drive.
    for (const char* name : {"C:\\d\\..\\..\\escaped.jpg", "C:\\d\\..\\escaped.jpg",
                             "C:\\d\\sub\\a.jpg", "E:\\a.jpg", "..", "."}) {
        EXPECT_EQ(run(FO_RENAME, list({"C:\\d\\a.jpg"}), list({name}), FOF_NOERRORUI),
                  int(ERROR_INVALID_NAME))
            << name;
    }
    EXPECT_EQ(entriesOf(c.path()), top);
    EXPECT_EQ(entriesOf(c / "d"), (std::vector<std::string>{"a.jpg", "sub"}));
    EXPECT_TRUE(fs::is_empty(c / "d/sub"));

    // A name that only passes through other folders on its way back, or reaches the same folder
    // through a link, stays in the folder.
    EXPECT_EQ(
        run(FO_RENAME, list({"C:\\d\\a.jpg"}), list({"C:\\d\\sub\\..\\b.jpg"}), FOF_NOERRORUI), 0);
    EXPECT_EQ(
        run(FO_RENAME, list({"C:\\d\\sub\\..\\b.jpg"}), list({"C:\\alias\\c.jpg"}), FOF_NOERRORUI),
        0);
    EXPECT_EQ(entriesOf(c / "d"), (std::vector<std::string>{"c.jpg", "sub"}));
    EXPECT_EQ(readFile(c / "d/c.jpg"), "a");
}

TEST_F(ShellTest, VerbsPickerAndPropertiesSheet) {
    writeFile(c / "a.jpg", "12345");
    std::vector<ShellExecuteCall> launches;
    setShellExecuteAnswerer([&](const ShellExecuteCall& call) {
        launches.push_back(call);
        return intptr_t(42);
    });
    EXPECT_EQ(shellExecute(nullptr, "find", "C:\\", "", "C:\\", SW_SHOWNORMAL), 42);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].verb, "find");
    EXPECT_EQ(launches[0].file, "C:\\");
    setShellExecuteAnswerer(nullptr);
    EXPECT_EQ(shellExecute(nullptr, "open", "C:\\missing.chm", "", "", SW_SHOW), 2);
    EXPECT_EQ(shellExecute(nullptr, "open", "C:\\nodir\\missing.chm", "", "", SW_SHOW), 3);

    setFolderPickerAnswerer([](const QString& title) {
        return title == "Pick" ? std::optional<std::string>("D:\\") : std::nullopt;
    });
    EXPECT_EQ(browseForFolder(nullptr, "Pick", CSIDL_NETWORK, false), "D:\\");
    EXPECT_EQ(browseForFolder(nullptr, "Other", -1, false), std::nullopt);
    setFolderPickerAnswerer(nullptr);

    EXPECT_FALSE(showPropertiesSheet(nullptr, "C:\\missing.jpg"));
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(showPropertiesSheet(nullptr, "C:\\nodir\\missing.jpg"));
    EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
    ASSERT_TRUE(showPropertiesSheet(nullptr, "C:\\a.jpg"));
    QDialog* sheet = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "PropertiesSheet" && widget->isVisible())
            sheet = qobject_cast<QDialog*>(widget);
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->isModal());
    EXPECT_EQ(sheet->findChild<QLabel*>("name")->text(), "a.jpg");
    EXPECT_EQ(sheet->findChild<QLabel*>("type")->text(), "JPEG Image");
    EXPECT_EQ(sheet->findChild<QLabel*>("location")->text(), "C:\\");
    EXPECT_TRUE(sheet->findChild<QLabel*>("size")->text().contains("5 bytes"));
    EXPECT_FALSE(sheet->findChild<QCheckBox*>("readOnly")->isChecked());
    sheet->close();
}

TEST(ShellFolders, XdgFoldersAsProgramPaths) {
    setDriveMap({});
    TempDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    EXPECT_EQ(shellFolderValue("StartUp"), std::nullopt);
    fs::create_directories(config / "autostart");
    EXPECT_EQ(shellFolderValue("StartUp"), fromHostPath(config / "autostart"));
    EXPECT_EQ(shellFolderValue("Favorites"), std::nullopt);
    EXPECT_EQ(shellFolderValue("Nonsense"), std::nullopt);
    if (const auto programs = shellFolderValue("Programs")) {
        EXPECT_TRUE(directoryExists(*programs));
        EXPECT_EQ(shellFolderValue("Start Menu"), programs);
    }
    EXPECT_EQ(windowsDirectory(), "C:\\etc");
    EXPECT_EQ(systemDirectory(), "C:\\usr\\lib");
    qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
