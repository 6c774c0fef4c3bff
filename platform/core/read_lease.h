// A read lease on a file that a move across file systems copies and then removes (internal to
// platform/core). The kernel grants it only while nobody has the file open for writing, and
// breaks it when somebody opens the file for writing later: a move that holds it while it copies
// a file, and again while it removes it, never removes a file another program still writes.
//
// A writer that opens a leased file waits until the lease is given back, and never longer than
// the system's lease-break time (/proc/sys/fs/lease-break-time), after which the kernel takes
// the lease back itself. The holder looks at its lease between two pieces of its work and gives
// it back as soon as it broke. No signal reaches the program for a lease: the break is only read
// off the lease.
#pragma once

namespace platform::detail {

class ReadLease {
public:
    enum class Outcome {
        Held,       // nobody writes the file; a writer that opens it breaks the lease
        Writer,     // somebody has the file open for writing
        NotOwner,   // the file is another user's, and the kernel leases a file to its owner only
        NotOffered, // the file system keeps no leases, or cannot speak for writers elsewhere (a
                    // network file system)
    };

    // fd: a regular file opened read-only; the object does not own it.
    explicit ReadLease(int fd);
    // Gives a held lease back.
    ~ReadLease();
    ReadLease(const ReadLease&) = delete;
    ReadLease& operator=(const ReadLease&) = delete;

    Outcome outcome() const { return outcome_; }
    // 0 when a move may copy or remove the file: the lease is held, or the file system offers
    // none (where the move relies on the file being unchanged). ETXTBSY when somebody writes the
    // file; EACCES for another user's file, of whose writers nothing can be known.
    int refusal() const;
    // Somebody opened the file for writing since the lease was taken (or the kernel took it back
    // after the lease-break time). False when no lease is held.
    bool broken() const;

private:
    int fd_;
    Outcome outcome_;
};

} // namespace platform::detail
