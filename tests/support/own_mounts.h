// Mounts a test makes inside its own temporary folders, without root and without touching the
// machine's mounts: the test program enters a mount namespace of its own at its start (through a
// user namespace of its own when it is not the administrator), where a RAM disk or a bind mount
// can be put on any folder of the test's. Every mount vanishes with the program.
#pragma once

#include <string>

namespace lumo::test {

// Called first thing in main, while the program has one thread. Afterwards the program has no
// rights beyond its user's, except that ScopedMount may mount. False when the kernel offers no
// such namespace; ScopedMount then mounts nothing.
bool EnterOwnMountNamespace();

// A file system mounted on an existing folder for the life of the object: a RAM disk of its own
// (tmpfs) when bindSource is empty, otherwise the folder bindSource seen a second time.
class ScopedMount {
public:
    explicit ScopedMount(const std::string& target, const std::string& bindSource = {});
    ~ScopedMount();
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

    bool mounted() const { return mounted_; }

private:
    std::string target_;
    bool mounted_ = false;
};

} // namespace lumo::test
