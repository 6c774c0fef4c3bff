// What a host path given to a command-line tool names, and the file kept open from that look.
#include "platform/core/host_entry.h"

#include <filesystem>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/core/file_source.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace lumo::test;

namespace {

size_t OpenDescriptors() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}

} // namespace

TEST(HostEntry, OnlyARegularFileStaysOpen) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const size_t before = OpenDescriptors();
    const std::pair<std::string, HostEntryKind> cases[] = {
        {dir / "folder", HostEntryKind::Folder},
        {dir / "pipe", HostEntryKind::Other},
        {dir / "missing", HostEntryKind::Unreadable},
        {"", HostEntryKind::Unreadable},
    };
    for (const auto& [path, kind] : cases) {
        FileSource file;
        const HostEntry entry = openHostEntry(path, file);
        EXPECT_EQ(entry.kind, kind) << path;
        EXPECT_EQ(OpenDescriptors(), before) << path;
    }
    FileSource file;
    EXPECT_EQ(openHostEntry(dir / "folder/..", file).resolved,
              std::filesystem::canonical(dir.path()).string());
}

TEST(HostEntry, ARegularFileIsReadFromTheDescriptorThatWasLookedAt) {
    TempDir dir;
    writeFile(dir / "a.jpg", "first");
    const size_t before = OpenDescriptors();
    {
        FileSource file;
        ASSERT_EQ(openHostEntry(dir / "a.jpg", file).kind, HostEntryKind::RegularFile);
        EXPECT_EQ(OpenDescriptors(), before + 1);
        // Another file under the name since is not what the caller was told about.
        writeFile(dir / "b.jpg", "second, longer");
        std::filesystem::rename(dir / "b.jpg", dir / "a.jpg");
        uint8_t bytes[32];
        ASSERT_EQ(file.size(), 5u);
        ASSERT_EQ(file.readAt(0, bytes, sizeof bytes), 5u);
        EXPECT_EQ(std::string(bytes, bytes + 5), "first");
    }
    EXPECT_EQ(OpenDescriptors(), before);
}
