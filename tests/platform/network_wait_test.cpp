// Calls on network locations with a bounded wait: a share that does not answer makes the caller
// give up in time and then at once, until the stuck call returns; what the helper thread found,
// lastError() included, reaches the caller; a network folder lists as a local one does.
#include "platform/core/network_wait.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/core/winerror.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace platform::detail;
using namespace lumo::test;
using namespace std::chrono_literals;

namespace {

TEST(NetworkWait, AShareThatDoesNotAnswerIsGivenUpOn) {
    const std::string share = "/test/share/that/hangs";
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();

    const auto started = std::chrono::steady_clock::now();
    setLastError(ERROR_SUCCESS);
    EXPECT_FALSE(runOnHelper(
        share,
        [released, finished] {
            released.wait(); // a call stuck in the kernel
            finished->set_value();
        },
        100ms));
    EXPECT_EQ(lastError(), ERROR_BAD_NETPATH);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);

    // The share now counts as not answering: the next call gives up without trying.
    std::atomic<int> tried{0};
    EXPECT_FALSE(runOnHelper(
        share, [&tried] { ++tried; }, 5s));
    EXPECT_EQ(tried.load(), 0);
    // Another share is not held back by it.
    EXPECT_TRUE(runOnHelper(
        "/test/other/share", [&tried] { ++tried; }, 5s));
    EXPECT_EQ(tried.load(), 1);

    // Once the stuck call returns, the share is asked again.
    release->set_value();
    ASSERT_EQ(done.wait_for(5s), std::future_status::ready);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    bool answered = false;
    while (!answered && std::chrono::steady_clock::now() < deadline) {
        answered = runOnHelper(
            share, [&tried] { ++tried; }, 5s);
        std::this_thread::yield();
    }
    EXPECT_TRUE(answered);
    EXPECT_EQ(tried.load(), 2);
}

TEST(NetworkWait, TheHelpersResultAndErrorReachTheCaller) {
    const auto value = boundedCall<int>("/", [] {
        setLastError(ERROR_ACCESS_DENIED);
        return 42;
    });
    EXPECT_EQ(value, 42);
    EXPECT_EQ(lastError(), ERROR_ACCESS_DENIED);

    // On a helper thread already, a bounded call runs inline.
    bool inline_ = false;
    EXPECT_TRUE(runOnHelper("/test/share", [&inline_] {
        EXPECT_TRUE(onHelperThread());
        const auto outer = std::this_thread::get_id();
        runOnHelper("/test/share", [&] { inline_ = std::this_thread::get_id() == outer; });
    }));
    EXPECT_TRUE(inline_);
    EXPECT_FALSE(onHelperThread());
}

TEST(NetworkWait, ANetworkFolderListsAsALocalOne) {
    TempDir local, share;
    std::filesystem::create_directory(share / "b");
    std::filesystem::create_directory(share / "A");
    writeFile(share / "c.jpg", "x");
    writeFile(share / ".hidden", "x");
    setDriveMap(
        {{'C', local.path(), DRIVE_FIXED, "", true}, {'N', share.path(), DRIVE_REMOTE, "", true}});
    std::vector<std::string> names;
    FindFile find("N:\\*.*");
    FindData entry;
    while (find.next(entry))
        names.push_back(entry.name + (entry.attributes & FILE_ATTRIBUTE_HIDDEN ? "(h)" : ""));
    EXPECT_EQ(lastError(), ERROR_NO_MORE_FILES);
    EXPECT_EQ(names, (std::vector<std::string>{".hidden(h)", "A", "b", "c.jpg"}));

    FindFile folders("N:\\*", FindScope::SubFolders);
    names.clear();
    while (folders.next(entry))
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b"}));

    FindFile missing("N:\\nowhere\\*.*");
    EXPECT_FALSE(missing.next(entry));
    EXPECT_EQ(lastError(), ERROR_PATH_NOT_FOUND);
    FindFile none("N:\\*.png");
    EXPECT_FALSE(none.next(entry));
    EXPECT_EQ(lastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(directoryExists("n:\\a"));
    setDriveMap({});
}

} // namespace
