// Test helpers that let something happen in the middle of a file operation, or watch what it
// does, without sleeps and without rights beyond the user's: DuringCopy acts from inside a copy
// through its observer, LateWriter opens a file for writing from there as another program would,
// FolderOpens counts the listings of a folder, and KilledWhenWritingPast kills a copy half-way.
#pragma once

#include <cerrno>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/copy_observer.h"

namespace lumo::test {

// A copy observer that runs action once, as soon as the copy has written the first piece of a
// file's content: the file is open and being read, and nothing of the move's removal has begun.
// Given a number of entries, it acts once that many files, links and folders are complete instead.
class DuringCopy : public platform::detail::CopyObserver {
public:
    explicit DuringCopy(std::function<void()> action, int afterEntries = 0)
        : action_(std::move(action)), entriesLeft_(afterEntries) {}
    bool bytesCopied(uint64_t) override {
        if (entriesLeft_ == 0)
            act();
        return true;
    }
    bool entryCopied() override {
        if (entriesLeft_ > 0 && --entriesLeft_ == 0)
            act();
        return true;
    }
    bool acted() const { return acted_; }

private:
    void act() {
        if (!acted_) {
            acted_ = true;
            action_();
        }
    }
    std::function<void()> action_;
    int entriesLeft_;
    bool acted_ = false;
};

// Another program that opens a file for writing, to write to it later. Where a lease on the file
// makes the open wait (the lease break is asked for at once, with a non-blocking try), the open
// waits on a thread of its own, so that the operation under way goes on and can let it in.
class LateWriter {
public:
    explicit LateWriter(std::string path) : path_(std::move(path)) {}
    ~LateWriter() { close(); }
    LateWriter(const LateWriter&) = delete;
    LateWriter& operator=(const LateWriter&) = delete;

    void open() {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0 && errno == EWOULDBLOCK)
            waiting_ = std::thread(
                [this] { fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC); });
    }
    // Writes text at the end once the open went through, and closes the file.
    bool append(const std::string& text) {
        if (waiting_.joinable())
            waiting_.join();
        const bool written =
            fd_ >= 0 && ::write(fd_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        close();
        return written;
    }

private:
    void close() {
        if (waiting_.joinable())
            waiting_.join();
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    std::string path_;
    int fd_ = -1;
    std::thread waiting_;
};

// Counts how often a folder is opened (each listing of its entries opens it once) through inotify,
// which any user may use. Every open and every close of the folder is an event of its own, so two
// listings never fold into one event.
class FolderOpens {
public:
    explicit FolderOpens(const std::string& folder)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0)
            watch_ =
                ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_CLOSE_NOWRITE | IN_ONLYDIR);
    }
    ~FolderOpens() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderOpens(const FolderOpens&) = delete;
    FolderOpens& operator=(const FolderOpens&) = delete;

    bool available() const { return watch_ >= 0; }
    // The opens of the folder itself since the object was made or last asked.
    int count() {
        int opens = 0;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                // An event about an entry of the folder carries the entry's name.
                if ((event->mask & IN_OPEN) != 0 && event->len == 0)
                    ++opens;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return opens;
    }

private:
    int fd_;
    int watch_ = -1;
};

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
