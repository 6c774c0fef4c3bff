// The tree-size walk counts each file once, follows no link, stays on the folder's own file system
// and stops when asked; the nesting check sees a folder inside another through links.
#include "platform/core/tree_size.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/folder_nesting.h"
#include "tests/support/guard_skip.h"
#include "tests/support/own_mounts.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;
namespace fs = std::filesystem;

namespace {

class TreeSizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true},
                     {'D', other.path(), DRIVE_REMOVABLE, "", true}});
        // 100 + 1000 + 5000 + 7 bytes, the last one in a hidden file.
        fs::create_directories(c / "Photos/2008/deep");
        writeFile(c / "Photos/a.jpg", std::string(100, 'a'));
        writeFile(c / "Photos/2008/b.jpg", std::string(1000, 'b'));
        writeFile(c / "Photos/2008/deep/c.jpg", std::string(5000, 'c'));
        writeFile(c / "Photos/.hidden", std::string(7, 'h'));
    }
    void TearDown() override { setDriveMap({}); }

    TempDir c;
    TempDir other{fs::exists("/dev/shm") ? "/dev/shm" : "/tmp"};
};

TEST_F(TreeSizeTest, CountsEachFileOnceAndFollowsNoLink) {
    // A second name of c.jpg, a link back up the tree, links to a file and to a folder elsewhere.
    fs::create_hard_link(c / "Photos/2008/deep/c.jpg", c / "Photos/c-again.jpg");
    fs::create_directory_symlink(c / "Photos", c / "Photos/2008/deep/loop");
    fs::create_directory_symlink("..", c / "Photos/2008/up");
    writeFile(other / "big.bin", std::string(50000, 'x'));
    fs::create_symlink(other / "big.bin", c / "Photos/big-link");
    fs::create_directory_symlink(other.path(), c / "Photos/elsewhere");

    const TreeSize size = folderTreeSize("C:\\Photos");
    EXPECT_TRUE(size.found);
    EXPECT_FALSE(size.stopped);
    EXPECT_EQ(size.bytes, 6107u);
    EXPECT_EQ(size.files, 4u);
    EXPECT_EQ(size.folders, 2u);
    EXPECT_EQ(size.unreadableFolders, 0u);

    // The folder asked for may itself be a link (the tree lists links to folders as folders).
    fs::create_directory_symlink(c / "Photos/2008", c / "linked");
    EXPECT_EQ(folderTreeSize("C:\\linked\\").bytes, 6000u);
    EXPECT_EQ(folderTreeSize("C:\\").bytes, 6107u);
}

TEST_F(TreeSizeTest, NothingToCountAndStopping) {
    EXPECT_FALSE(folderTreeSize("").found);
    EXPECT_EQ(folderTreeSize("").bytes, 0u);
    EXPECT_FALSE(folderTreeSize("C:\\Missing").found);
    EXPECT_FALSE(folderTreeSize("Q:\\").found);
    fs::create_directory(c / "Empty");
    const TreeSize empty = folderTreeSize("C:\\Empty");
    EXPECT_TRUE(empty.found);
    EXPECT_EQ(empty.bytes, 0u);

    TreeSizeProgress progress;
    progress.stop = true;
    const TreeSize stopped = folderTreeSize("C:\\Photos", &progress);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_LT(stopped.bytes, 6107u);

    TreeSizeProgress watched;
    const TreeSize whole = folderTreeSize("C:\\Photos", &watched);
    EXPECT_EQ(watched.bytes.load(), whole.bytes);
    EXPECT_EQ(watched.files.load(), whole.files);
}

TEST_F(TreeSizeTest, AVolumeMountedInsideIsNotCounted) {
    fs::create_directory(c / "Photos/card");
    const ScopedMount card(c / "Photos/card");
    if (!card.mounted())
        LUMO_GUARD_SKIP("needs a mount namespace of its own (unshare)");
    writeFile(c / "Photos/card/on-the-card.jpg", std::string(3000, 'm'));

    const TreeSize size = folderTreeSize("C:\\Photos");
    EXPECT_EQ(size.bytes, 6107u);
    EXPECT_EQ(size.otherFileSystems, 1u);
    // Asked for itself, the mounted volume is counted on its own.
    EXPECT_EQ(folderTreeSize("C:\\Photos\\card").bytes, 3000u);
}

TEST_F(TreeSizeTest, FolderNestingFollowsTheTargetThroughLinks) {
    fs::create_directory_symlink(c / "Photos", c / "shortcut");
    const struct {
        const char* folder;
        const char* outer;
        bool within;
    } cases[] = {
        {"C:\\Photos", "C:\\Photos", true},
        {"C:\\Photos\\", "C:\\Photos", true},
        {"C:\\Photos\\2008\\deep\\", "C:\\Photos", true},
        {"c:\\photos\\2008", "C:\\Photos", true},
        {"C:\\shortcut\\2008", "C:\\Photos", true},  // reached through a link
        {"C:\\Photos\\2008", "C:\\shortcut", false}, // a link named as the outer is only a link
        {"C:\\", "C:\\Photos", false},
        {"C:\\Photos", "C:\\Photos\\2008", false},
        {"D:\\", "C:\\Photos", false},
        {"C:\\Missing", "C:\\Photos", false},
        {"C:\\Photos", "C:\\Missing", false},
    };
    for (const auto& test : cases)
        EXPECT_EQ(folderLiesWithin(test.folder, test.outer), test.within)
            << test.folder << " in " << test.outer;
}

} // namespace
