// Find-file enumeration and attributes with Windows semantics over an injected drive map.
#include "platform/core/files.h"

#include <filesystem>
#include <vector>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <utime.h>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/winerror.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveMap(
            {{'C', c.path(), DRIVE_FIXED, "", true}, {'D', d.path(), DRIVE_REMOVABLE, "", false}});
    }
    void TearDown() override { setDriveMap({}); }

    static std::vector<FindData> find(const std::string& pattern) {
        std::vector<FindData> found;
        FindFile search(pattern);
        FindData data;
        while (search.next(data))
            found.push_back(data);
        return found;
    }
    static std::vector<std::string> names(const std::string& pattern) {
        std::vector<std::string> result;
        for (const FindData& data : find(pattern))
            result.push_back(data.name);
        return result;
    }
    // True when this file system keeps user extended attributes.
    bool userXattrsWork() {
        writeFile(c / "probe", "");
        return ::setxattr((c / "probe").c_str(), "user.probe", "1", 1, 0) == 0;
    }

    TempDir c, d;
};

using Names = std::vector<std::string>;

TEST_F(FilesTest, PatternsMatchWithoutRegardToCaseAndInNameOrder) {
    std::filesystem::create_directories(c / "Photos/Folder.jpg");
    for (const char* name :
         {"PHOTO.JPG", "b.jpg", "c.jpeg", ".hidden.jpg", "noext", "a.jpg.txt", "x.JpG"})
        writeFile(c / (std::string("Photos/") + name), "data");

    EXPECT_EQ(names("C:\\Photos\\*.jpg"),
              (Names{".hidden.jpg", "b.jpg", "Folder.jpg", "PHOTO.JPG", "x.JpG"}));
    EXPECT_EQ(names("C:\\Photos\\*.*"),
              (Names{".", "..", ".hidden.jpg", "a.jpg.txt", "b.jpg", "c.jpeg", "Folder.jpg",
                     "noext", "PHOTO.JPG", "x.JpG"}));
    EXPECT_EQ(names("C:\\Photos\\*"), names("C:\\Photos\\*.*"));
    EXPECT_EQ(names("C:\\Photos\\?.jpg"), (Names{"b.jpg", "x.JpG"}));
    EXPECT_EQ(names("c:/photos/photo.jpg"), (Names{"PHOTO.JPG"}));
    EXPECT_EQ(names("C:\\Photos\\*ext"), (Names{"noext"}));
    // Two enumerations agree.
    EXPECT_EQ(names("C:\\Photos\\*"), names("C:\\Photos\\*"));
}

TEST_F(FilesTest, DotEntriesAreReportedExceptAtADriveRoot) {
    std::filesystem::create_directories(c / "sub");
    EXPECT_EQ(names("C:\\*"), (Names{"sub"}));
    EXPECT_EQ(names("C:\\sub\\*"), (Names{".", ".."}));
    EXPECT_EQ(names("C:\\sub\\*.jpg"), Names{});
    const auto dots = find("C:\\sub\\*");
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0].attributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(dots[1].attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(FilesTest, NamesWithABackslashAreNotListed) {
    // "a\b" would read as the file b in the folder a, which is another item altogether.
    std::filesystem::create_directories(c / "a");
    writeFile(c / "a/b", "other item");
    writeFile(c / "a\\b", "odd name");
    EXPECT_EQ(names("C:\\*"), (Names{"a"}));
    EXPECT_EQ(names("C:\\a*"), (Names{"a"}));
    // The search tells which matching names it left out.
    writeFile(c / "x\\y.jpg", "odd name");
    EXPECT_EQ(FindFile("C:\\*").unnamableNames(), (Names{"a\\b", "x\\y.jpg"}));
    EXPECT_EQ(FindFile("C:\\*.JPG").unnamableNames(), (Names{"x\\y.jpg"}));
}

TEST_F(FilesTest, SubFolderSearchReportsWhatTheFullSearchReportsForFolders) {
    namespace fs = std::filesystem;
    fs::create_directories(c / "Photos/2008");
    fs::create_directories(c / "Photos/.thumbs");
    fs::create_directories(c / "Photos/Album.jpg");
    for (const char* name : {"a.jpg", "Z.JPG", "noext"})
        writeFile(c / (std::string("Photos/") + name), "x");
    fs::create_directory_symlink(c / "Photos/2008", c / "Photos/linked");
    fs::create_symlink(c / "Photos/a.jpg", c / "Photos/file link");
    fs::create_symlink(c / "Photos/gone", c / "Photos/dangling");

    std::vector<FindData> folders;
    FindFile search("c:\\PHOTOS\\*.*", FindScope::SubFolders); // spelled in another case
    for (FindData data; search.next(data);)
        folders.push_back(data);
    std::vector<FindData> expected;
    for (const FindData& data : find("C:\\Photos\\*.*")) {
        if ((data.attributes & FILE_ATTRIBUTE_DIRECTORY) && data.name != "." && data.name != "..")
            expected.push_back(data);
    }
    ASSERT_EQ(folders.size(), 4u);
    ASSERT_EQ(folders.size(), expected.size());
    for (size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(folders[i].name, expected[i].name);
        EXPECT_EQ(folders[i].attributes, expected[i].attributes) << folders[i].name;
    }
    EXPECT_EQ(folders[0].name, ".thumbs");
    EXPECT_EQ(folders[3].name, "linked");
    EXPECT_EQ(lastError(), ERROR_NO_MORE_FILES);

    // The pattern still applies, and a folder without sub-folders gives nothing.
    FindFile jpg("C:\\Photos\\*.jpg", FindScope::SubFolders);
    FindData data;
    ASSERT_TRUE(jpg.next(data));
    EXPECT_EQ(data.name, "Album.jpg");
    EXPECT_FALSE(jpg.next(data));
    FindFile empty("C:\\Photos\\2008\\*.*", FindScope::SubFolders);
    EXPECT_FALSE(empty.next(data));
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    FindFile missing("C:\\Photos\\none\\*.*", FindScope::SubFolders);
    EXPECT_FALSE(missing.next(data));
    EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
    FindFile notReady("D:\\*.*", FindScope::SubFolders);
    EXPECT_FALSE(notReady.next(data));
    EXPECT_EQ(lastError(), ERROR_NOT_READY);
}

TEST_F(FilesTest, FailuresSetTheLastError) {
    std::filesystem::create_directories(c / "empty");
    FindData data;
    {
        FindFile search("C:\\missing\\*.jpg");
        EXPECT_FALSE(search.next(data));
        EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
    }
    {
        FindFile search("C:\\empty\\*.jpg");
        EXPECT_FALSE(search.next(data));
        EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    }
    {
        FindFile search("D:\\*.*");
        EXPECT_FALSE(search.next(data));
        EXPECT_EQ(lastError(), ERROR_NOT_READY);
    }
    {
        FindFile search("Q:\\*.*");
        EXPECT_FALSE(search.next(data));
        EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
    }
    {
        writeFile(c / "one.jpg", "1");
        FindFile search("C:\\*.jpg");
        EXPECT_TRUE(search.next(data));
        EXPECT_FALSE(search.next(data));
        EXPECT_EQ(lastError(), ERROR_NO_MORE_FILES);
    }
}

TEST_F(FilesTest, AttributesSizeAndTimeFromTheHost) {
    std::filesystem::create_directories(c / "dir");
    writeFile(c / "dir/plain.jpg", std::string(12345, 'x'));
    writeFile(c / "dir/.dotted", "");
    writeFile(c / "dir/locked.jpg", "1");
    ::chmod((c / "dir/locked.jpg").c_str(), 0444);
    std::filesystem::create_directories(c / "dir/folder");
    const struct utimbuf times { 1'000'000'000, 1'234'567'890 };
    ::utime((c / "dir/plain.jpg").c_str(), &times);

    const auto found = find("C:\\dir\\*");
    ASSERT_EQ(found.size(), 6u);
    const auto byName = [&](const std::string& name) {
        for (const FindData& f : found)
            if (f.name == name)
                return f;
        ADD_FAILURE() << name;
        return FindData{};
    };
    EXPECT_EQ(byName("plain.jpg").attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(byName("plain.jpg").size, 12345u);
    EXPECT_EQ(byName("plain.jpg").writeTime, 1'234'567'890);
    EXPECT_EQ(byName(".dotted").attributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(byName("locked.jpg").attributes, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(byName("folder").attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(byName("folder").size, 0u);

    EXPECT_EQ(getFileAttributes("C:\\dir\\locked.jpg"),
              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(getFileAttributes("C:\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(getFileAttributes("C:\\DIR\\FOLDER\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(getFileAttributes("C:\\dir\\nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(getFileAttributes("C:\\nodir\\nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, ReadOnlyAttributeFollowsWritePermission) {
    writeFile(c / "a.jpg", "1");
    ASSERT_TRUE(setFileAttributes("C:\\a.jpg", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    struct stat st;
    ::stat((c / "a.jpg").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_EQ(getFileAttributes("C:\\a.jpg"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(setFileAttributes("C:\\a.jpg", FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(getFileAttributes("C:\\a.jpg"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(setFileAttributes("C:\\none.jpg", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FilesTest, DosAttributeCarriesHiddenSystemAndArchive) {
    if (!userXattrsWork())
        GTEST_SKIP() << "this file system refuses user extended attributes";
    writeFile(c / "samba.jpg", "1");
    ASSERT_EQ(::setxattr((c / "samba.jpg").c_str(), "user.DOSATTRIB", "0x22", 4, 0), 0);
    EXPECT_EQ(getFileAttributes("C:\\samba.jpg"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(find("C:\\samba.jpg")[0].attributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    // A value without the archive bit leaves a file without it.
    ASSERT_EQ(::setxattr((c / "samba.jpg").c_str(), "user.DOSATTRIB", "0x4", 3, 0), 0);
    EXPECT_EQ(getFileAttributes("C:\\samba.jpg"), FILE_ATTRIBUTE_SYSTEM);
    // A file server's value: the text, its NUL, then a binary record far longer than the text.
    std::string record("0x22", 5);
    record += std::string(120, '\x01');
    ASSERT_EQ(
        ::setxattr((c / "samba.jpg").c_str(), "user.DOSATTRIB", record.data(), record.size(), 0),
        0);
    EXPECT_EQ(getFileAttributes("C:\\samba.jpg"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

    writeFile(c / "mine.jpg", "1");
    ASSERT_TRUE(setFileAttributes("C:\\mine.jpg", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    char value[16] = {};
    ASSERT_GT(::getxattr((c / "mine.jpg").c_str(), "user.DOSATTRIB", value, sizeof value - 1), 0);
    EXPECT_STREQ(value, "0x22");
    EXPECT_EQ(getFileAttributes("C:\\mine.jpg"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(setFileAttributes("C:\\mine.jpg", FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(getFileAttributes("C:\\mine.jpg"), FILE_ATTRIBUTE_ARCHIVE);

    std::filesystem::create_directories(c / "secret");
    ASSERT_TRUE(setFileAttributes("C:\\secret", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(getFileAttributes("C:\\secret"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FilesTest, ExistenceSizeAndFolders) {
    writeFile(c / "a.jpg", "12345");
    std::filesystem::create_directories(c / "dir");
    EXPECT_TRUE(fileExists("C:\\a.jpg"));
    EXPECT_TRUE(fileExists("C:\\A.JPG"));
    EXPECT_FALSE(fileExists("C:\\dir"));
    EXPECT_FALSE(fileExists("C:\\b.jpg"));
    // A link that leads nowhere counts as a file, and is told apart.
    std::filesystem::create_symlink("gone.jpg", c / "broken.jpg");
    std::filesystem::create_symlink("a.jpg", c / "link.jpg");
    EXPECT_TRUE(fileExists("C:\\broken.jpg"));
    EXPECT_TRUE(isBrokenLink("C:\\broken.jpg"));
    for (const char* other : {"C:\\link.jpg", "C:\\a.jpg", "C:\\dir", "C:\\b.jpg"})
        EXPECT_FALSE(isBrokenLink(other)) << other;
    EXPECT_TRUE(directoryExists("C:\\dir\\"));
    EXPECT_TRUE(directoryExists("C:\\"));
    EXPECT_TRUE(directoryExists("C:"));
    EXPECT_FALSE(directoryExists("C:\\a.jpg"));
    EXPECT_FALSE(directoryExists("D:\\"));
    EXPECT_EQ(lastError(), ERROR_NOT_READY);
    EXPECT_EQ(fileSize("C:\\a.jpg"), 5u);
    EXPECT_FALSE(fileSize("C:\\b.jpg"));
    EXPECT_FALSE(fileSize("C:\\dir"));

    EXPECT_TRUE(createDirectory("C:\\dir\\new"));
    EXPECT_FALSE(createDirectory("C:\\dir\\new"));
    EXPECT_EQ(lastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(createDirectory("C:\\nowhere\\new"));
    EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(removeDirectory("C:\\dir"));
    EXPECT_EQ(lastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(removeDirectory("C:\\dir\\new"));
    EXPECT_FALSE(removeDirectory("C:\\"));
    EXPECT_TRUE(std::filesystem::exists(c.path()));

    EXPECT_FALSE(deleteFile("C:\\dir"));
    EXPECT_EQ(lastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(std::filesystem::exists(c / "dir"));
    EXPECT_TRUE(deleteFile("C:\\a.jpg"));
    EXPECT_FALSE(deleteFile("C:\\a.jpg"));
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    // A read-only file stays, as DeleteFile leaves it.
    writeFile(c / "kept.jpg", "12345");
    ASSERT_TRUE(setFileAttributes("C:\\kept.jpg", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(deleteFile("C:\\kept.jpg"));
    EXPECT_EQ(lastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(std::filesystem::exists(c / "kept.jpg"));
}

} // namespace
