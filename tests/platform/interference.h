// Test helpers that let something happen in the middle of a file operation, without sleeps:
// DuringRead runs an action while the kernel holds a reader of a file (fanotify permission
// events), and InMountNamespace runs a body in a child process with a mount namespace of its
// own, where a test may mount file systems inside its temporary folders. Both need rights a
// test run may not have; a test skips cleanly when available() says so.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/fanotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lumo::test {

// Watches reads of a file, or of the files in a folder. On the nth read of a file the reader
// waits until action has run; every other read goes ahead at once. Reads of the folder itself
// (listing its entries) are counted apart. Reading stops being watched when the object dies.
class DuringRead {
public:
    DuringRead(const std::string& path, int nthRead, std::function<void()> action)
        : nth_(nthRead), action_(std::move(action)) {
        fan_ = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_LARGEFILE);
        if (fan_ < 0 || ::pipe2(stop_, O_CLOEXEC) != 0)
            return;
        if (::fanotify_mark(fan_, FAN_MARK_ADD, FAN_ACCESS_PERM | FAN_EVENT_ON_CHILD | FAN_ONDIR,
                            AT_FDCWD, path.c_str()) != 0)
            return;
        available_ = true;
        thread_ = std::thread([this] { listen(); });
    }
    ~DuringRead() {
        if (thread_.joinable()) {
            [[maybe_unused]] const ssize_t n = ::write(stop_[1], "x", 1);
            thread_.join();
        }
        for (int fd : {fan_, stop_[0], stop_[1]}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    DuringRead(const DuringRead&) = delete;
    DuringRead& operator=(const DuringRead&) = delete;

    bool available() const { return available_; }
    bool acted() const { return acted_; }
    // Reads of the folder's entries so far; one listing of a folder reads them at least once.
    int folderReads() const { return folderReads_; }

private:
    void listen() {
        int reads = 0;
        for (;;) {
            pollfd fds[2] = {{fan_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0)
                return;
            alignas(fanotify_event_metadata) char buffer[4096];
            const ssize_t length = ::read(fan_, buffer, sizeof buffer);
            if (length <= 0)
                return;
            auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
            for (ssize_t left = length; FAN_EVENT_OK(event, left);
                 event = FAN_EVENT_NEXT(event, left)) {
                struct stat st {};
                if (::fstat(event->fd, &st) == 0 && S_ISDIR(st.st_mode)) {
                    ++folderReads_;
                } else if (++reads == nth_) {
                    action_();
                    acted_ = true;
                }
                const fanotify_response allow{event->fd, FAN_ALLOW};
                [[maybe_unused]] const ssize_t n = ::write(fan_, &allow, sizeof allow);
                if (event->fd >= 0)
                    ::close(event->fd);
            }
        }
    }

    int fan_ = -1;
    int stop_[2] = {-1, -1};
    int nth_;
    std::function<void()> action_;
    std::atomic<bool> acted_{false};
    std::atomic<int> folderReads_{0};
    bool available_ = false;
    std::thread thread_;
};

// Runs body in a child process that has a mount namespace of its own (mounts made there vanish
// with it) and gives back the text body returns, or available false when the machine allows no
// such namespace. The child is killed after 30 seconds.
struct NamespaceRun {
    bool available = false;
    std::string result;
};

inline bool WriteWholeFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0)
        ::close(fd);
    return written;
}

// The administrator gets a mount namespace directly; anyone else through a user namespace of
// their own, in which they are its administrator.
inline bool EnterOwnMountNamespace() {
    if (::unshare(CLONE_NEWNS) == 0)
        return true;
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           WriteWholeFile("/proc/self/setgroups", "deny") &&
           WriteWholeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
           WriteWholeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
}

inline NamespaceRun InMountNamespace(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return {};
    const pid_t child = ::fork();
    if (child < 0)
        return {};
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(30);
        if (!EnterOwnMountNamespace() ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(77);
        const std::string result = body();
        [[maybe_unused]] const ssize_t n = ::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    NamespaceRun run;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0)
        run.result.append(buffer, static_cast<size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.available = !(WIFEXITED(status) && WEXITSTATUS(status) == 77);
    if (run.available && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        run.result += " (the child ended abnormally)";
    return run;
}

// Runs body in a child process whose files may not grow beyond limit bytes: a write past it kills
// the child, as a copy killed half-way would be. Returns true when the child was killed that way.
inline bool KilledWhenWritingPast(rlim_t limit, const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::alarm(30);
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

} // namespace lumo::test
