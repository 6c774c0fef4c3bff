// Reading folders for the tree and following a copy: the look-ahead stops at the first sub-folder
// it takes, folder identities see through links, and a copy tells its bytes and entries and stops
// when told to, leaving nothing half-written and its source untouched.
#include "platform/core/folder_walk.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/file_tree.h"
#include "platform/core/winerror.h"
#include "tests/support/guard_skip.h"
#include "tests/support/own_mounts.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;
namespace fs = std::filesystem;

namespace {

class FolderWalkTest : public ::testing::Test {
protected:
    void SetUp() override { setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true}}); }
    void TearDown() override { setDriveMap({}); }
    TempDir c;
};

TEST_F(FolderWalkTest, LookAheadStopsAtTheFirstSubFolderItTakes) {
    fs::create_directories(c / "pictures");
    writeFile(c / "pictures/a.jpg", "x");
    fs::create_directories(c / "hiddenOnly/.cache");
    fs::create_directories(c / "many");
    for (int i = 0; i < 50; ++i)
        fs::create_directory(c / ("many/sub" + std::to_string(i)));
    fs::create_directories(c / "linked");
    fs::create_directory_symlink(c / "many", c / "linked/to many");

    const auto visible = [](const FindData& entry) {
        return (entry.attributes & FILE_ATTRIBUTE_HIDDEN) == 0;
    };
    EXPECT_FALSE(hasSubFolder("C:\\pictures", visible));
    EXPECT_FALSE(hasSubFolder("C:\\hiddenOnly", visible));
    EXPECT_TRUE(hasSubFolder("C:\\hiddenOnly", [](const FindData&) { return true; }));
    EXPECT_TRUE(hasSubFolder("C:\\linked", visible));
    EXPECT_TRUE(hasSubFolder("c:\\MANY", visible)); // names matched without regard to case
    EXPECT_FALSE(hasSubFolder("C:\\missing", visible));
    EXPECT_FALSE(hasSubFolder("Q:\\", visible));

    int asked = 0;
    EXPECT_TRUE(hasSubFolder("C:\\many", [&asked](const FindData& entry) {
        ++asked;
        return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }));
    EXPECT_EQ(asked, 1);
}

TEST_F(FolderWalkTest, IdentitiesSeeThroughLinks) {
    fs::create_directories(c / "loop/inner");
    fs::create_directory_symlink(c / "loop", c / "loop/inner/back");
    const auto loop = folderIdentity("C:\\loop");
    ASSERT_TRUE(loop);
    EXPECT_EQ(folderIdentity("C:\\loop\\inner\\back"), loop);
    EXPECT_EQ(folderIdentity("C:\\LOOP\\"), loop);
    EXPECT_NE(folderIdentity("C:\\loop\\inner"), loop);
    writeFile(c / "file", "x");
    EXPECT_EQ(folderIdentity("C:\\file"), std::nullopt);
    EXPECT_EQ(folderIdentity("C:\\missing"), std::nullopt);
}

// Counts what a copy tells and stops it after a number of entries.
class CountingObserver : public detail::CopyObserver {
public:
    explicit CountingObserver(uint64_t stopAfterEntries = UINT64_MAX)
        : stopAfter(stopAfterEntries) {}
    bool bytesCopied(uint64_t count) override {
        bytes += count;
        return true;
    }
    bool entryCopied() override { return ++entries < stopAfter; }
    uint64_t bytes = 0;
    uint64_t entries = 0;
    uint64_t stopAfter;
};

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FolderWalkTest, ACopyTellsWhatTheMeasureCountedAndStopsCleanly) {
    fs::create_directories(c / "src/inner");
    writeFile(c / "src/a.jpg", std::string(100000, 'a'));
    writeFile(c / "src/inner/b.jpg", std::string(2000, 'b'));
    fs::create_symlink("a.jpg", c / "src/link");
    fs::create_directories(c / "dest");

    const detail::CopyTotals totals = detail::measureCopy(c / "src", [] { return true; });
    EXPECT_EQ(totals.entries, 5u); // src, inner, a.jpg, b.jpg, link
    EXPECT_EQ(totals.bytes, 102000u);

    CountingObserver all;
    ASSERT_EQ(detail::copyTree(c / "src", c / "dest/copy", false, &all), ERROR_SUCCESS);
    EXPECT_EQ(all.entries, totals.entries);
    EXPECT_EQ(all.bytes, totals.bytes);

    // Stopped part-way: nothing of the item under way is left, temporary names included.
    CountingObserver stopping(2);
    EXPECT_EQ(detail::copyTree(c / "src", c / "dest/stopped", false, &stopping), ERROR_CANCELLED);
    EXPECT_EQ(NamesIn(c / "dest"), std::vector<std::string>{"copy"});
    CountingObserver stopFile(1);
    EXPECT_EQ(detail::copyTree(c / "src/a.jpg", c / "dest/a.jpg", false, &stopFile),
              ERROR_CANCELLED);
    EXPECT_EQ(NamesIn(c / "dest"), std::vector<std::string>{"copy"});

    // A move that has to copy keeps its source when stopped.
    TempDir other;
    const ScopedMount otherVolume(other.path());
    if (!otherVolume.mounted())
        LUMO_GUARD_SKIP("needs a mount namespace of its own (unshare)");
    CountingObserver stopMove(3);
    EXPECT_EQ(detail::moveTree(c / "src", other / "moved", &stopMove), ERROR_CANCELLED);
    EXPECT_TRUE(NamesIn(other.path()).empty());
    EXPECT_EQ(NamesIn(c / "src"), (std::vector<std::string>{"a.jpg", "inner", "link"}));
}

} // namespace
