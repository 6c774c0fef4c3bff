// A network share that a test can make stop answering: a folder served over sshfs by a private
// sshd on 127.0.0.1, mounted where the test asks. freeze() stops the sshfs process (SIGSTOP), so
// every call on the share that needs it hangs in the kernel, as on a NAS that went to sleep;
// thaw() lets it go on (SIGCONT), and the calls still waiting come back.
//
//   lumo::test::FrozenShare share(mountPoint);
//   if (!share.available()) LUMO_GUARD_SKIP(share.reason());   // or LUMO_QT_GUARD_SKIP
//   writeFile(share.served() + "/a.jpg", ...);  // laid behind the share, never hangs
//   share.freeze(); ... share.thaw();
//
// Needs /usr/sbin/sshd, ssh-keygen, sshfs and /dev/fuse (fusermount3 when not the administrator);
// without them available() is false and reason() says what is missing. Standard C++ and POSIX
// only; no thread of its own. Use it in a test program that keeps the machine's mount namespace
// (tests/support/own_mounts.h would hide the mount from the rest of the machine, fusermount3
// included). The share lists folders afresh on every call (no directory cache of sshfs's own),
// so a frozen share hangs every listing.
#pragma once

#include <string>

#include <sys/types.h>

namespace lumo::test {

class FrozenShare {
public:
    // Starts the sshd (own keys and config in a temporary folder, a free port on 127.0.0.1) and
    // mounts its served folder on mountPoint (made when missing; it should be empty). Waits up to
    // about 10 s for the mount. sshd and sshfs end with the thread that made the object (where
    // setpriv is there), so a test program that dies leaves no server behind: make it on the
    // test's main thread.
    explicit FrozenShare(const std::string& mountPoint);
    // Thaws, unmounts lazily (fusermount3 -u -z, else umount -l), stops sshfs and sshd and removes
    // the temporary folder with the served files. Safe while calls on the share are still stuck:
    // they come back with the thaw.
    ~FrozenShare();
    FrozenShare(const FrozenShare&) = delete;
    FrozenShare& operator=(const FrozenShare&) = delete;

    // True when the share is mounted; otherwise reason() tells why, and the test skips.
    bool available() const { return mounted_; }
    const std::string& reason() const { return reason_; }

    // Where the share is mounted (the host path given to the constructor).
    const std::string& mountPoint() const { return mountPoint_; }
    // The local folder the share serves: files laid here appear on the share, and reading them
    // here never hangs, frozen or not.
    const std::string& served() const { return served_; }

    // The share stops answering (SIGSTOP to sshfs) / answers again (SIGCONT). Idempotent.
    void freeze();
    void thaw();
    bool frozen() const { return frozen_; }

private:
    bool start();
    void stop();

    std::string mountPoint_;
    std::string work_;   // temporary folder: keys, configs, logs and the served folder
    std::string served_; // work_/served
    std::string reason_;
    pid_t sshd_ = -1;
    pid_t sshfs_ = -1;
    bool mounted_ = false;
    bool frozen_ = false;
};

} // namespace lumo::test
