// Copy and move never replace an existing destination, never leave a half-written file, and never
// lose the source, on one file system and across two; a move removes only what it copied
// unchanged, and no walk crosses into another mounted file system. The second file system and the
// volumes inside the tree are RAM disks in the test's own mount namespace.
#include <ctime>
#include <filesystem>

#include <sys/stat.h>
#include <utime.h>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/file_tree.h"
#include "platform/core/files.h"
#include "platform/core/winerror.h"
#include "tests/platform/interference.h"
#include "tests/support/guard_skip.h"
#include "tests/support/own_mounts.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

class CopyMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true},
                     {'E', other.path(), DRIVE_REMOVABLE, "", true}});
    }
    void TearDown() override { setDriveMap({}); }

    TempDir c;
    TempDir other;
    // E: is a file system of its own where the test may mount one, else a folder beside C:.
    ScopedMount otherVolume{other.path()};
};

constexpr const char* kNeedsMounts = "needs a mount namespace of its own (unshare)";

TEST_F(CopyMoveTest, CopyKeepsContentModeAndTimeAndLeavesNoTemporaryFile) {
    writeFile(c / "a.jpg", "picture bytes");
    ::chmod((c / "a.jpg").c_str(), 0640);
    const struct utimbuf times { 1'500'000'000, 1'400'000'000 };
    ::utime((c / "a.jpg").c_str(), &times);
    fs::create_directories(c / "dest");

    ASSERT_TRUE(copyFile("C:\\a.jpg", "C:\\dest\\b.jpg"));
    EXPECT_EQ(readFile(c / "dest/b.jpg"), "picture bytes");
    struct stat st;
    ::stat((c / "dest/b.jpg").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1'400'000'000);
    EXPECT_EQ(entries(c / "dest"), (Names{"b.jpg"}));
    EXPECT_EQ(readFile(c / "a.jpg"), "picture bytes");

    ASSERT_TRUE(copyFile("C:\\a.jpg", "E:\\a.jpg"));
    EXPECT_EQ(readFile(other / "a.jpg"), "picture bytes");
}

TEST_F(CopyMoveTest, CopyNeverReplacesAndCleansUpOnFailure) {
    writeFile(c / "a.jpg", "new");
    writeFile(c / "b.jpg", "precious");
    EXPECT_FALSE(copyFile("C:\\a.jpg", "C:\\b.jpg"));
    EXPECT_EQ(lastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(readFile(c / "b.jpg"), "precious");
    EXPECT_FALSE(copyFile("C:\\a.jpg", "C:\\B.JPG")); // the same file, named in another case
    EXPECT_EQ(readFile(c / "b.jpg"), "precious");

    EXPECT_FALSE(copyFile("C:\\missing.jpg", "C:\\c.jpg"));
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(copyFile("C:\\a.jpg", "C:\\nowhere\\c.jpg"));
    EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
    fs::create_directories(c / "dir");
    EXPECT_FALSE(copyFile("C:\\dir", "C:\\dir2"));
    EXPECT_EQ(lastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(entries(c.path()), (Names{"a.jpg", "b.jpg", "dir"}));
}

TEST_F(CopyMoveTest, LongNamesCopyAndMoveLikeShortOnes) {
    // 250 bytes: within the limit for one name, but not with a temporary prefix added to it.
    const std::string name = std::string(246, 'n') + ".jpg";
    writeFile(c / name, "long");
    ASSERT_TRUE(copyFile("C:\\" + name, "E:\\" + name)) << lastError();
    EXPECT_EQ(readFile(other / name), "long");
    fs::remove(other / name);
    ASSERT_TRUE(moveFile("C:\\" + name, "E:\\" + name)) << lastError();
    EXPECT_EQ(readFile(other / name), "long");
    EXPECT_EQ(entries(other.path()), (Names{name}));
}

TEST_F(CopyMoveTest, MoveToAnotherCaseRenamesTheEntry) {
    writeFile(c / "photo.jpg", "p");
    ASSERT_TRUE(moveFile("C:\\photo.jpg", "C:\\Photo.JPG")) << lastError();
    EXPECT_EQ(entries(c.path()), (Names{"Photo.JPG"}));
    fs::create_directories(c / "album");
    ASSERT_TRUE(moveFile("C:\\album", "C:\\ALBUM\\")) << lastError();
    EXPECT_EQ(entries(c.path()), (Names{"ALBUM", "Photo.JPG"}));
    EXPECT_EQ(readFile(c / "Photo.JPG"), "p");
}

TEST_F(CopyMoveTest, MoveOnOneFileSystemNeverReplaces) {
    writeFile(c / "a.jpg", "a");
    writeFile(c / "b.jpg", "b");
    EXPECT_FALSE(moveFile("C:\\a.jpg", "C:\\b.jpg"));
    EXPECT_EQ(lastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(readFile(c / "a.jpg"), "a");
    EXPECT_EQ(readFile(c / "b.jpg"), "b");

    fs::create_directories(c / "album/sub");
    writeFile(c / "album/sub/x.jpg", "x");
    fs::create_directories(c / "target");
    EXPECT_FALSE(moveFile("C:\\album", "C:\\target")); // an empty folder is not replaced either
    EXPECT_EQ(lastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(moveFile("C:\\album", "C:\\album\\sub\\inner"));
    EXPECT_TRUE(fs::exists(c / "album/sub/x.jpg"));

    ASSERT_TRUE(moveFile("C:\\album", "C:\\target\\album"));
    EXPECT_EQ(readFile(c / "target/album/sub/x.jpg"), "x");
    EXPECT_FALSE(fs::exists(c / "album"));
    ASSERT_TRUE(moveFile("C:\\a.jpg", "C:\\renamed.jpg"));
    EXPECT_FALSE(moveFile("C:\\a.jpg", "C:\\again.jpg"));
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(moveFile("C:\\", "C:\\x"));
}

TEST_F(CopyMoveTest, MoveAcrossFileSystemsCopiesThenRemovesTheSource) {
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    fs::create_directories(c / "album/sub");
    writeFile(c / "album/a.jpg", "a");
    writeFile(c / "album/sub/b.jpg", std::string(300000, 'b'));
    fs::create_symlink("a.jpg", c / "album/link.jpg");

    ASSERT_TRUE(moveFile("C:\\album", "E:\\album")) << lastError();
    EXPECT_FALSE(fs::exists(c / "album"));
    EXPECT_EQ(readFile(other / "album/a.jpg"), "a");
    EXPECT_EQ(readFile(other / "album/sub/b.jpg").size(), 300000u);
    EXPECT_EQ(fs::read_symlink(other / "album/link.jpg"), "a.jpg");
    EXPECT_EQ(entries(other.path()), (Names{"album"}));

    writeFile(c / "single.jpg", "one");
    writeFile(other / "single.jpg", "other");
    EXPECT_FALSE(moveFile("C:\\single.jpg", "E:\\single.jpg"));
    EXPECT_EQ(lastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(readFile(c / "single.jpg"), "one");
    EXPECT_EQ(readFile(other / "single.jpg"), "other");
    ASSERT_TRUE(moveFile("C:\\single.jpg", "E:\\moved.jpg"));
    EXPECT_EQ(readFile(other / "moved.jpg"), "one");
    EXPECT_FALSE(fs::exists(c / "single.jpg"));
}

TEST_F(CopyMoveTest, FailedMoveAcrossFileSystemsKeepsEverySourceFile) {
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    fs::create_directories(c / "album");
    writeFile(c / "album/a.jpg", "a");
    // A named pipe cannot be copied, so the copy fails after the first file.
    ASSERT_EQ(::mkfifo((c / "album/pipe").c_str(), 0600), 0);
    writeFile(c / "album/z.jpg", "z");

    EXPECT_FALSE(moveFile("C:\\album", "E:\\album"));
    EXPECT_NE(lastError(), ERROR_SUCCESS);
    EXPECT_EQ(entries(c / "album"), (Names{"a.jpg", "pipe", "z.jpg"}));
    EXPECT_EQ(readFile(c / "album/z.jpg"), "z");
    EXPECT_TRUE(entries(other.path()).empty()); // no half copy, no temporary folder
}

// A picture large enough that copying it takes many reads.
std::string bigPicture(char fill) {
    return std::string(1 << 20, fill);
}

// Compares a file with what it should hold without printing a megabyte when it differs.
::testing::AssertionResult holds(const std::string& path, const std::string& expected) {
    const std::string content = readFile(path);
    if (content == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << path << " holds " << content.size() << " bytes (" << content.substr(0, 16)
           << "...), not the " << expected.size() << " expected";
}

// The moves below change their source through the copy observer while the copy is under way.
TEST_F(CopyMoveTest, MoveAcrossFileSystemsKeepsAFileReplacedWhileItWasCopied) {
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    writeFile(c / "a.jpg", bigPicture('o'));
    writeFile(c / "newer.jpg", "the new version");
    DuringCopy replace([&] { fs::rename(c / "newer.jpg", c / "a.jpg"); });

    EXPECT_EQ(detail::moveTree(c / "a.jpg", other / "a.jpg", &replace), ERROR_SHARING_VIOLATION);
    ASSERT_TRUE(replace.acted());
    EXPECT_EQ(readFile(c / "a.jpg"), "the new version");
    EXPECT_TRUE(holds(other / "a.jpg", bigPicture('o'))) << "the complete copy of the old one";
}

TEST_F(CopyMoveTest, MoveAcrossFileSystemsKeepsWhatAFolderGainedWhileItWasCopied) {
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    fs::create_directories(c / "album/sub");
    writeFile(c / "album/a.jpg", bigPicture('a'));
    writeFile(c / "album/sub/b.jpg", "b");
    DuringCopy arrive([&] { writeFile(c / "album/new.jpg", "arrived"); });

    EXPECT_EQ(detail::moveTree(c / "album", other / "album", &arrive), ERROR_DIR_NOT_EMPTY);
    ASSERT_TRUE(arrive.acted());
    EXPECT_EQ(entries(c / "album"), (Names{"new.jpg"})) << "only what was copied went";
    EXPECT_EQ(readFile(c / "album/new.jpg"), "arrived");
    EXPECT_TRUE(holds(other / "album/a.jpg", bigPicture('a')));
    EXPECT_EQ(readFile(other / "album/sub/b.jpg"), "b");
}

// Every entry below a folder by its path from there ("album", "album/a.jpg"), in name order.
Names treeOf(const std::string& folder) {
    Names paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        paths.push_back(fs::relative(entry.path(), folder).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

void emptyFolder(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove_all(entry.path());
}

// A program still writing a file keeps it: a move across file systems never removes a source
// that is open for writing, whether the writer had it open before the move, opened it while it
// was copied or after its copy, and what the writer writes afterwards is in the file that stayed.
// A rename on one file system takes the open file along.
TEST_F(CopyMoveTest, AMoveNeverRemovesAFileAnotherProgramWrites) {
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    enum class Opens { Before, WhileCopied, AfterItsCopy };
    enum class Item { File, Folder, FileRenamed };
    struct Case {
        const char* what;
        Item item;   // a.jpg or album (a.jpg, b.jpg) moved to E:, or a.jpg renamed to C:\moved.jpg
        Opens opens; // when the writer opens a.jpg
        uint32_t code;
        Names leftOnC;
        Names onE;
    };
    const Names wholeAlbum{"album", "album/a.jpg", "album/b.jpg"};
    const Case cases[] = {
        {"a file open before the move",
         Item::File,
         Opens::Before,
         ERROR_SHARING_VIOLATION,
         {"a.jpg"},
         {}},
        {"a file opened while it is copied",
         Item::File,
         Opens::WhileCopied,
         ERROR_SHARING_VIOLATION,
         {"a.jpg"},
         {}},
        {"a file opened after its copy",
         Item::File,
         Opens::AfterItsCopy,
         ERROR_SHARING_VIOLATION,
         {"a.jpg"},
         {"a.jpg"}},
        {"a folder's file open before the move",
         Item::Folder,
         Opens::Before,
         ERROR_SHARING_VIOLATION,
         wholeAlbum,
         {}},
        {"a folder's file opened while it is copied",
         Item::Folder,
         Opens::WhileCopied,
         ERROR_SHARING_VIOLATION,
         wholeAlbum,
         {}},
        {"a folder's file opened after the folder's copy",
         Item::Folder,
         Opens::AfterItsCopy,
         ERROR_DIR_NOT_EMPTY,
         {"album", "album/a.jpg"},
         wholeAlbum},
        {"a rename on one file system",
         Item::FileRenamed,
         Opens::Before,
         ERROR_SUCCESS,
         {"moved.jpg"},
         {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        emptyFolder(c.path());
        emptyFolder(other.path());
        const bool folder = k.item == Item::Folder;
        const bool rename = k.item == Item::FileRenamed;
        const std::string item = folder ? "album" : "a.jpg";
        const std::string written = folder ? "album/a.jpg" : "a.jpg";
        if (folder) {
            fs::create_directories(c / "album");
            writeFile(c / "album/b.jpg", "b");
        }
        writeFile(c / written, bigPicture('w'));
        LateWriter writer(c / written);
        if (k.opens == Opens::Before)
            writer.open();
        // After its copy: once the file is complete, or a.jpg, b.jpg and the folder itself.
        DuringCopy during([&] { writer.open(); },
                          k.opens == Opens::AfterItsCopy ? (folder ? 3 : 1) : 0);

        const std::string destination = rename ? c / "moved.jpg" : other / item;
        const bool late = k.opens != Opens::Before;
        EXPECT_EQ(detail::moveTree(c / item, destination, late ? &during : nullptr), k.code);
        EXPECT_EQ(during.acted(), late);
        ASSERT_TRUE(writer.append("+late"));
        EXPECT_TRUE(holds(c / (rename ? "moved.jpg" : written), bigPicture('w') + "+late"));
        EXPECT_EQ(treeOf(c.path()), k.leftOnC);
        EXPECT_EQ(treeOf(other.path()), k.onE);
        if (!k.onE.empty()) {
            EXPECT_TRUE(holds(other / written, bigPicture('w'))) << "the complete copy";
        }
    }
}

// A move that replaces a file on another file system keeps a source that changed while it was
// copied, and says so: a source replaced by a newer file, or opened and written by another
// program. Nothing of the move is left beside the target.
TEST_F(CopyMoveTest, AReplacingMoveKeepsASourceThatChangedWhileItWasCopied) {
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    struct Case {
        const char* what;
        bool replaced; // else written
        std::string sourceAfter;
        std::string targetAfter;
    };
    const Case cases[] = {
        {"replaced", true, "the new version", bigPicture('o')},
        {"written", false, bigPicture('o') + "+late", "the old target"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        writeFile(c / "a.jpg", bigPicture('o'));
        writeFile(c / "newer.jpg", "the new version");
        writeFile(other / "a.jpg", "the old target");
        LateWriter writer(c / "a.jpg");
        DuringCopy change([&] {
            if (k.replaced)
                fs::rename(c / "newer.jpg", c / "a.jpg");
            else
                writer.open();
        });

        EXPECT_EQ(detail::moveOnto(c / "a.jpg", other / "a.jpg", &change), ERROR_SHARING_VIOLATION);
        ASSERT_TRUE(change.acted());
        if (!k.replaced) {
            ASSERT_TRUE(writer.append("+late"));
        }
        EXPECT_TRUE(holds(c / "a.jpg", k.sourceAfter));
        EXPECT_TRUE(holds(other / "a.jpg", k.targetAfter));
        EXPECT_EQ(entries(other.path()), (Names{"a.jpg"}));
        emptyFolder(c.path());
    }
}

TEST_F(CopyMoveTest, CopyOfALinkedPictureCopiesThePicture) {
    fs::create_directories(c / "pictures");
    writeFile(c / "pictures/p.jpg", "picture bytes");
    fs::create_symlink("p.jpg", c / "pictures/link.jpg");
    for (const char* destination : {"C:\\copy.jpg", "E:\\copy.jpg"}) {
        ASSERT_TRUE(copyFile("C:\\pictures\\link.jpg", destination)) << lastError();
    }
    for (const std::string& copy : {c / "copy.jpg", other / "copy.jpg"}) {
        EXPECT_FALSE(fs::is_symlink(copy)) << copy;
        EXPECT_EQ(readFile(copy), "picture bytes") << copy;
    }
    // A move keeps a link a link.
    ASSERT_TRUE(moveFile("C:\\pictures\\link.jpg", "C:\\moved.jpg"));
    EXPECT_TRUE(fs::is_symlink(c / "moved.jpg"));
}

TEST_F(CopyMoveTest, ACopyKilledHalfWayLeavesNoName) {
    writeFile(c / "a.jpg", bigPicture('k'));
    for (const char* destination : {"C:\\dest\\a.jpg", "E:\\a.jpg"}) {
        fs::create_directories(c / "dest");
        ASSERT_TRUE(KilledWhenWritingPast(64 * 1024, [&] { copyFile("C:\\a.jpg", destination); }))
            << destination;
    }
    EXPECT_TRUE(entries(c / "dest").empty());
    EXPECT_TRUE(entries(other.path()).empty());
}

TEST_F(CopyMoveTest, ACopyIntoAFolderRemovesThisProgramsLeftoversOlderThanADay) {
    fs::create_directories(c / "album/sub");
    writeFile(c / "album/sub/x.jpg", "x");
    fs::create_directories(c / "dest/.lumo-tmp-album-Ab12Cd/inner");
    writeFile(c / "dest/.lumo-tmp-a.jpg-Xy34Zw", "old leftover");
    writeFile(c / "dest/.lumo-tmp-b.jpg-Qr56St", "a copy still running");
    writeFile(c / "dest/.lumo-notes", "the user's own");
    writeFile(c / "dest/.lumo-tmp-mine", "the user's own too");
    const time_t twoDaysAgo = std::time(nullptr) - 2 * 24 * 60 * 60;
    const struct utimbuf old { twoDaysAgo, twoDaysAgo };
    for (const char* name :
         {".lumo-tmp-album-Ab12Cd", ".lumo-tmp-a.jpg-Xy34Zw", ".lumo-notes", ".lumo-tmp-mine"})
        ::utime((c / "dest/" + name).c_str(), &old);

    ASSERT_EQ(detail::copyTree(c / "album", c / "dest/album", false), ERROR_SUCCESS);
    EXPECT_EQ(entries(c / "dest"),
              (Names{".lumo-notes", ".lumo-tmp-b.jpg-Qr56St", ".lumo-tmp-mine", "album"}));
    EXPECT_EQ(readFile(c / "dest/album/sub/x.jpg"), "x");
}

// Asks for a stop from the given question on (each question counts), as a Cancel that comes
// while the work is held in a call on a share: copying goes on, what comes after stops.
class StopFromQuestion : public detail::CopyObserver {
public:
    explicit StopFromQuestion(int question) : question_(question) {}
    bool bytesCopied(uint64_t) override { return true; }
    bool entryCopied() override { return true; }
    bool stopRequested() const override { return ++asked_ >= question_; }

private:
    int question_;
    mutable int asked_ = 0;
};

TEST_F(CopyMoveTest, AStopAfterAMovesCopyKeepsTheSourceAndAStoppedDeleteWhatItHadNotReached) {
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    fs::create_directories(c / "album/sub");
    writeFile(c / "album/a.jpg", "a");
    writeFile(c / "album/sub/b.jpg", "b");
    StopFromQuestion atOnce(1);
    EXPECT_EQ(detail::moveTree(c / "album", other / "album", &atOnce), ERROR_CANCELLED);
    EXPECT_EQ(readFile(c / "album/sub/b.jpg"), "b");
    EXPECT_EQ(readFile(other / "album/sub/b.jpg"), "b"); // the copy was complete

    // A stop before the copy takes the place of the file it replaces leaves both as they were.
    writeFile(c / "new.jpg", "new");
    writeFile(other / "old.jpg", "old");
    StopFromQuestion beforeReplacing(1);
    EXPECT_EQ(detail::moveOnto(c / "new.jpg", other / "old.jpg", &beforeReplacing),
              ERROR_CANCELLED);
    EXPECT_EQ(readFile(c / "new.jpg"), "new");
    EXPECT_EQ(readFile(other / "old.jpg"), "old");
    EXPECT_EQ(entries(other.path()), (Names{"album", "old.jpg"}));

    // The folder and its first file are asked about and the file goes; from the third question
    // on, nothing more.
    fs::create_directories(c / "flat");
    for (const char* name : {"x.jpg", "y.jpg", "z.jpg"})
        writeFile(c / "flat" + "/" + name, name);
    StopFromQuestion third(3);
    EXPECT_EQ(detail::removeTree(c / "flat", &third), ERROR_CANCELLED);
    ASSERT_TRUE(fs::exists(c / "flat"));
    EXPECT_EQ(entries(c / "flat").size(), 2u);
    StopFromQuestion beforeDeleting(1);
    EXPECT_FALSE(deleteFile("C:\\flat\\" + entries(c / "flat")[0], &beforeDeleting));
    EXPECT_EQ(lastError(), ERROR_CANCELLED);
    EXPECT_EQ(entries(c / "flat").size(), 2u);
}

TEST_F(CopyMoveTest, RemovingATreeNeverEntersAnotherFileSystem) {
    fs::create_directories(c / "tree/volume");
    writeFile(c / "tree/a.jpg", "a");
    const ScopedMount volume(c / "tree/volume");
    if (!volume.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    writeFile(c / "tree/volume/data.jpg", "on the volume");
    EXPECT_EQ(detail::removeTree(c / "tree"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(readFile(c / "tree/volume/data.jpg"), "on the volume");
    EXPECT_EQ(readFile(c / "tree/a.jpg"), "a");
}

TEST_F(CopyMoveTest, AFolderIsNeverCopiedIntoABindMountOfItself) {
    fs::create_directories(c / "album");
    fs::create_directories(c / "alias");
    writeFile(c / "album/x.jpg", "x");
    const ScopedMount alias(c / "alias", c / "album");
    if (!alias.mounted())
        LUMO_GUARD_SKIP(kNeedsMounts);
    EXPECT_EQ(detail::copyTree(c / "album", c / "alias/copy", false), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(entries(c / "album"), (Names{"x.jpg"}));
}

} // namespace
