// Entering a mount namespace of the test program's own, and mounting there.
#include "tests/support/own_mounts.h"

#include <cstdint>

#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace lumo::test {

namespace {

bool gOwnNamespace = false;
// Outside the administrator's account the right to mount is kept but switched off, so that the
// tests meet the file system as an ordinary user does; each mount switches it on for itself.
bool gSwitchRightToMount = false;

bool WriteWholeFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0)
        ::close(fd);
    return written;
}

// The calling thread's capabilities; the first 32 hold every one used here.
bool SetCapabilities(uint32_t permitted, uint32_t effective) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    data[0].permitted = permitted;
    data[0].effective = effective;
    return ::syscall(SYS_capset, &header, data) == 0;
}

constexpr uint32_t kRightToMount = 1u << CAP_SYS_ADMIN;

void SwitchRightToMount(bool on) {
    if (gSwitchRightToMount)
        SetCapabilities(kRightToMount, on ? kRightToMount : 0);
}

// A user namespace in which this user is who they are outside, with every right in the new mount
// namespace that comes with it.
bool EnterOwnUserNamespace() {
    const std::string uid = std::to_string(::getuid());
    const std::string gid = std::to_string(::getgid());
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           WriteWholeFile("/proc/self/setgroups", "deny") &&
           WriteWholeFile("/proc/self/uid_map", uid + " " + uid + " 1") &&
           WriteWholeFile("/proc/self/gid_map", gid + " " + gid + " 1");
}

} // namespace

bool EnterOwnMountNamespace() {
    const bool administrator = ::unshare(CLONE_NEWNS) == 0;
    if (!administrator && !EnterOwnUserNamespace())
        return false;
    // Mounts made here never reach the machine's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    if (!administrator) {
        if (!SetCapabilities(kRightToMount, 0))
            return false;
        gSwitchRightToMount = true;
    }
    gOwnNamespace = true;
    return true;
}

ScopedMount::ScopedMount(const std::string& target, const std::string& bindSource)
    : target_(target) {
    if (!gOwnNamespace)
        return;
    SwitchRightToMount(true);
    mounted_ = bindSource.empty()
                   ? ::mount("lumo-test", target.c_str(), "tmpfs", 0, "size=64m") == 0
                   : ::mount(bindSource.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
    SwitchRightToMount(false);
}

ScopedMount::~ScopedMount() {
    if (!mounted_)
        return;
    SwitchRightToMount(true);
    ::umount2(target_.c_str(), MNT_DETACH);
    SwitchRightToMount(false);
}

} // namespace lumo::test
