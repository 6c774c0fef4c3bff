// Calls on paths that may lie on a network file system, with a bounded wait (internal to
// platform/). A share that stops answering leaves a call stuck in the kernel for minutes; the
// window that asked must not wait with it. Such a call runs on a helper thread and the caller
// waits a bounded time. After a call that did not come back in time, the share counts as not
// answering: further calls on it give up at once until the stuck call returns or a while has
// passed. A call that gives up sets lastError() to ERROR_BAD_NETPATH.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform::detail {

// How long a window waits for a network file system before it gives up on it.
inline constexpr std::chrono::milliseconds kNetworkWait{1500};
// How long a share that did not answer is left alone before it is tried again.
inline constexpr std::chrono::seconds kNetworkRetryAfter{30};

// Runs work on a helper thread and waits at most limit for it; location names the share for the
// memory of shares that do not answer. On a helper thread already, work runs inline. True when
// work finished; its lastError() is then the caller's. The work must own everything it touches:
// after a timeout it goes on running alone.
bool runOnHelper(const std::string& location, std::function<void()> work,
                 std::chrono::milliseconds limit = kNetworkWait);

// True on a helper thread of runOnHelper.
bool onHelperThread();

// While it lives, the thread that made it waits for shares as long as they take: bounded calls on
// it run inline, as on a helper thread. For work on a thread of its own that the user stops
// instead (a long file operation, a tree-size count): a slow share must not fail it half-way.
class UnboundedWaits {
public:
    UnboundedWaits();
    ~UnboundedWaits();
    UnboundedWaits(const UnboundedWaits&) = delete;
    UnboundedWaits& operator=(const UnboundedWaits&) = delete;

private:
    bool saved_;
};

// runOnHelper when hostPath lies on a network location (networkRootOf), inline otherwise.
bool runBounded(const std::string& hostPath, std::function<void()> work,
                std::chrono::milliseconds limit = kNetworkWait);

// The value of work, computed as runBounded does; nullopt when it gave up.
template <class T>
std::optional<T> boundedCall(const std::string& hostPath, std::function<T()> work) {
    auto result = std::make_shared<std::optional<T>>();
    if (!runBounded(hostPath, [result, work = std::move(work)] { *result = work(); }))
        return std::nullopt;
    return std::move(*result);
}

} // namespace platform::detail
