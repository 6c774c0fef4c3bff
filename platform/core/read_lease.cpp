// Read leases whose break is read off the lease rather than delivered as a signal.
#include "platform/core/read_lease.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/core/drive_scan.h"
#include "platform/core/mount_table.h"

namespace platform::detail {

namespace {

// A network file system speaks for this machine at most: a writer on another machine holds no
// lease here, and some grant a lease only where the server delegated the file.
bool onNetworkFileSystem(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && isNetworkFileSystem(fileSystemOfDevice(st.st_dev));
}

} // namespace

ReadLease::ReadLease(int fd) : fd_(fd), outcome_(Outcome::NotOffered) {
    if (onNetworkFileSystem(fd))
        return;
    // The kernel tells a lease break to the process that took the lease by a signal, SIGIO unless
    // another is set, and SIGIO ends a program that does not handle it. So the signal is SIGURG,
    // which the program leaves ignored, for the moment between taking the lease and clearing the
    // file's owner, after which no signal is sent at all.
    ::fcntl(fd, F_SETSIG, SIGURG);
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) != 0) {
        if (errno == EAGAIN)
            outcome_ = Outcome::Writer;
        else if (errno == EACCES || errno == EPERM)
            outcome_ = Outcome::NotOwner;
        return;
    }
    ::fcntl(fd, F_SETOWN, 0);
    outcome_ = Outcome::Held;
}

ReadLease::~ReadLease() {
    if (outcome_ == Outcome::Held)
        ::fcntl(fd_, F_SETLEASE, F_UNLCK);
}

int ReadLease::refusal() const {
    switch (outcome_) {
    case Outcome::Writer:
        return ETXTBSY;
    case Outcome::NotOwner:
        return EACCES;
    case Outcome::Held:
    case Outcome::NotOffered:
        break;
    }
    return 0;
}

bool ReadLease::broken() const {
    // A lease being broken reads as the type the writer needs (none); one the kernel took back
    // after the lease-break time reads as none as well.
    return outcome_ == Outcome::Held && ::fcntl(fd_, F_GETLEASE) != F_RDLCK;
}

} // namespace platform::detail
