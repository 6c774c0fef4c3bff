// Helper threads with a bounded wait for calls on network file systems.
#include "platform/core/network_wait.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/core/host_path.h"
#include "platform/core/winerror.h"

namespace platform::detail {

namespace {

// Set on helper threads: what they call runs inline, so a bounded call inside another one
// neither waits twice nor starts a thread of its own.
thread_local bool tOnHelper = false;

struct Job {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false; // the caller stopped waiting
    uint32_t error = ERROR_SUCCESS;
};

struct Stalls {
    struct Share {
        int stuck = 0; // calls that did not come back yet
        std::chrono::steady_clock::time_point retryAt{};
    };
    std::mutex mutex;
    std::map<std::string, Share> shares;
};

Stalls& stalls() {
    static auto* instance = new Stalls; // helper threads may outlive static destruction
    return *instance;
}

bool giveUp() {
    setLastError(ERROR_BAD_NETPATH);
    return false;
}

// Helper threads are kept a while after their work: a listing makes a few bounded calls per file,
// and handing work to a waiting thread costs far less than starting one. A helper stuck on a
// share is simply not waiting; the next call gets another.
constexpr auto kHelperKept = std::chrono::seconds(5);

struct Helpers {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> queue;
    size_t waiting = 0;
};

Helpers& helpers() {
    static auto* instance = new Helpers; // helper threads may outlive static destruction
    return *instance;
}

void helperLoop() {
    tOnHelper = true;
    Helpers& h = helpers();
    std::unique_lock lock(h.mutex);
    for (;;) {
        ++h.waiting;
        const bool work = h.wake.wait_for(lock, kHelperKept, [&h] { return !h.queue.empty(); });
        --h.waiting;
        if (!work)
            return;
        std::function<void()> task = std::move(h.queue.front());
        h.queue.pop_front();
        lock.unlock();
        task();
        task = nullptr; // what the work holds goes before the thread waits again
        lock.lock();
    }
}

// Hands task to a waiting helper, or to a new one. False when no thread can be had.
bool startOnHelper(std::function<void()> task) {
    Helpers& h = helpers();
    {
        std::lock_guard lock(h.mutex);
        h.queue.push_back(std::move(task));
        if (h.waiting >= h.queue.size()) {
            h.wake.notify_one();
            return true;
        }
    }
    try {
        std::thread(helperLoop).detach();
        return true;
    } catch (const std::system_error&) {
        // The task stays queued for a helper that comes free; its caller does not wait for it.
        return false;
    }
}

} // namespace

bool onHelperThread() {
    return tOnHelper;
}

UnboundedWaits::UnboundedWaits() : saved_(tOnHelper) {
    tOnHelper = true;
}

UnboundedWaits::~UnboundedWaits() {
    tOnHelper = saved_;
}

bool runOnHelper(const std::string& location, std::function<void()> work,
                 std::chrono::milliseconds limit) {
    if (tOnHelper) {
        work();
        return true;
    }
    {
        Stalls& s = stalls();
        std::lock_guard lock(s.mutex);
        const auto it = s.shares.find(location);
        if (it != s.shares.end() && it->second.stuck > 0 &&
            std::chrono::steady_clock::now() < it->second.retryAt)
            return giveUp();
    }
    auto job = std::make_shared<Job>();
    const bool started = startOnHelper([job, location, work = std::move(work)] {
        setLastError(ERROR_SUCCESS); // what the helper's last work left is not this work's
        work();
        bool late = false;
        {
            std::lock_guard lock(job->mutex);
            job->done = true;
            job->error = lastError();
            late = job->abandoned;
        }
        job->finished.notify_one();
        if (late) {
            // The share answered after all.
            Stalls& s = stalls();
            std::lock_guard lock(s.mutex);
            if (const auto it = s.shares.find(location);
                it != s.shares.end() && --it->second.stuck <= 0)
                s.shares.erase(it);
        }
    });
    if (!started)
        return giveUp(); // no thread to spare: better no answer than a frozen window
    std::unique_lock lock(job->mutex);
    if (!job->finished.wait_for(lock, limit, [&] { return job->done; })) {
        job->abandoned = true;
        lock.unlock();
        Stalls& s = stalls();
        std::lock_guard stallLock(s.mutex);
        Stalls::Share& share = s.shares[location];
        ++share.stuck;
        share.retryAt = std::chrono::steady_clock::now() + kNetworkRetryAfter;
        return giveUp();
    }
    setLastError(job->error);
    return true;
}

bool runBounded(const std::string& hostPath, std::function<void()> work,
                std::chrono::milliseconds limit) {
    if (tOnHelper) {
        work();
        return true;
    }
    const auto root = networkRootOf(hostPath);
    if (!root) {
        work();
        return true;
    }
    return runOnHelper(*root, std::move(work), limit);
}

} // namespace platform::detail
