// The test fixture of a share that stops answering: a frozen share hangs a listing until it is
// thawed, and then the listing comes back with what the share serves.
#include "tests/support/frozen_share.h"

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <dirent.h>

#include <gtest/gtest.h>

#include "tests/support/guard_skip.h"
#include "tests/support/temp_dir.h"

using namespace lumo::test;
using namespace std::chrono_literals;

namespace {

// The names in a host folder, listed on a thread of its own that owns all it touches, so that a
// listing stuck on a frozen share leaves the test free.
std::future<std::vector<std::string>> ListLater(const std::string& folder) {
    auto promise = std::make_shared<std::promise<std::vector<std::string>>>();
    auto listed = promise->get_future();
    std::thread([promise, folder] {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                if (entry->d_name[0] != '.')
                    names.emplace_back(entry->d_name);
            }
            ::closedir(dir);
        }
        promise->set_value(std::move(names));
    }).detach();
    return listed;
}

TEST(FrozenShare, AFrozenShareHangsAListingUntilItIsThawed) {
    TempDir place;
    const std::string mountPoint = place / "nas";
    {
        FrozenShare share(mountPoint);
        if (!share.available())
            LUMO_GUARD_SKIP(share.reason());
        EXPECT_EQ(share.mountPoint(), mountPoint);
        writeFile(share.served() + "/a.jpg", "picture");

        auto healthy = ListLater(mountPoint);
        ASSERT_EQ(healthy.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(healthy.get(), std::vector<std::string>{"a.jpg"});

        share.freeze();
        EXPECT_TRUE(share.frozen());
        auto stuck = ListLater(mountPoint);
        EXPECT_EQ(stuck.wait_for(1s), std::future_status::timeout);
        share.thaw();
        EXPECT_FALSE(share.frozen());
        ASSERT_EQ(stuck.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(stuck.get(), std::vector<std::string>{"a.jpg"});
    }
    // Torn down: nothing is mounted on the folder any more and it is empty again.
    auto after = ListLater(mountPoint);
    ASSERT_EQ(after.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(after.get().empty());
}

TEST(FrozenShare, TearingDownAFrozenShareReleasesItsStuckCalls) {
    TempDir place;
    std::future<std::vector<std::string>> stuck;
    {
        FrozenShare share(place / "nas");
        if (!share.available())
            LUMO_GUARD_SKIP(share.reason());
        share.freeze();
        stuck = ListLater(share.mountPoint());
        EXPECT_EQ(stuck.wait_for(500ms), std::future_status::timeout);
    }
    EXPECT_EQ(stuck.wait_for(10s), std::future_status::ready);
}

} // namespace
