// Calls on a real share that stops answering: opening and reading a file through the file source
// gives up in time and names why, a second call gives up at once, the share is asked again once
// it answers; a link into the share leads to it without touching it; a file larger than one
// bounded read comes whole.
#include <chrono>
#include <future>
#include <thread>

#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/core/file_source.h"
#include "platform/core/host_path.h"
#include "platform/core/winerror.h"
#include "tests/support/frozen_share.h"
#include "tests/support/guard_skip.h"
#include "tests/support/temp_dir.h"

using namespace lumo::test;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

class NetworkShare : public ::testing::Test {
protected:
    void SetUp() override {
        share_ = std::make_unique<FrozenShare>(place_ / "nas");
        if (!share_->available())
            LUMO_GUARD_SKIP(share_->reason());
        platform::detail::invalidateHostDriveMap(); // the mount is new
        writeFile(share_->served() + "/a.jpg", "picture");
    }
    void TearDown() override { share_.reset(); }

    // The first bytes of a host file through the file source; the text of its error otherwise.
    static std::string FirstBytes(const std::string& hostPath) {
        try {
            platform::FileSource file;
            if (!file.openHost(hostPath))
                return "missing";
            std::string bytes(static_cast<size_t>(file.size()), '\0');
            bytes.resize(file.readAt(0, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()));
            return bytes;
        } catch (const EInOutError& error) {
            return error.what();
        }
    }

    TempDir place_;
    std::unique_ptr<FrozenShare> share_;
};

TEST_F(NetworkShare, AFileOnAFrozenShareIsGivenUpOnUntilTheShareAnswers) {
    const std::string picture = share_->mountPoint() + "/a.jpg";
    ASSERT_EQ(FirstBytes(picture), "picture");

    share_->freeze();
    auto started = Clock::now();
    EXPECT_NE(FirstBytes(picture).find("the network location does not answer"), std::string::npos);
    EXPECT_EQ(platform::lastError(), platform::ERROR_BAD_NETPATH);
    EXPECT_LT(Clock::now() - started, 2500ms);
    // Known to be stuck: the next call does not wait again.
    started = Clock::now();
    EXPECT_NE(FirstBytes(picture).find("does not answer"), std::string::npos);
    EXPECT_LT(Clock::now() - started, 500ms);

    share_->thaw();
    const auto deadline = Clock::now() + 30s;
    std::string read;
    while ((read = FirstBytes(picture)) != "picture" && Clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(read, "picture");
}

TEST_F(NetworkShare, AnOpenFileWhoseShareStopsAnsweringFailsItsReads) {
    platform::FileSource file;
    ASSERT_TRUE(file.openHost(share_->mountPoint() + "/a.jpg"));
    share_->freeze();
    uint8_t byte = 0;
    const auto started = Clock::now();
    // A fresh read goes to the share (sshfs keeps no pages of a file opened anew).
    EXPECT_THROW(file.readAt(3, &byte, 1), EInOutError);
    EXPECT_LT(Clock::now() - started, 2500ms);
}

TEST_F(NetworkShare, AFileLargerThanOneBoundedReadComesWhole) {
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + i / 4096);
    writeFile(share_->served() + "/big.jpg", big);
    EXPECT_TRUE(FirstBytes(share_->mountPoint() + "/big.jpg") == big);
}

TEST_F(NetworkShare, ALinkIntoTheShareLeadsToItWithoutTouchingIt) {
    ASSERT_EQ(::symlink((share_->mountPoint() + "/sub").c_str(), (place_ / "direct").c_str()), 0);
    ASSERT_EQ(::symlink("nas", (place_ / "relative").c_str()), 0);
    ASSERT_EQ(::symlink("relative/../relative", (place_ / "chain").c_str()), 0);
    ASSERT_EQ(::symlink((place_ / "local").c_str(), (place_ / "elsewhere").c_str()), 0);
    ASSERT_EQ(::symlink((share_->mountPoint() + "/a.jpg").c_str(), (place_ / "file.jpg").c_str()),
              0);
    ::mkdir((place_ / "local").c_str(), 0700);
    share_->freeze();
    // Asked on a thread of its own: a look at the frozen share would hang it.
    auto roots = std::async(std::launch::async, [this] {
        using platform::detail::networkRootOf;
        return std::vector{
            networkRootOf(place_ / "direct/a.jpg"),    networkRootOf(place_ / "relative/x/y.jpg"),
            networkRootOf(place_ / "chain"),           networkRootOf(place_ / "nas/a.jpg"),
            networkRootOf(place_ / "elsewhere/a.jpg"), networkRootOf(place_ / "local/../nas/a.jpg"),
            networkRootOf(place_ / "file.jpg"),        networkRootOf(place_ / "local")};
    });
    ASSERT_EQ(roots.wait_for(10s), std::future_status::ready);
    const std::optional<std::string> nas = share_->mountPoint();
    EXPECT_EQ(roots.get(), (std::vector<std::optional<std::string>>{
                               nas, nas, nas, nas, std::nullopt, nas, nas, std::nullopt}));
    share_->thaw();
}

} // namespace
