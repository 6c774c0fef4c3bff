// What a long copy tells whoever shows its progress, and how that one stops it (internal to
// platform/). The copy calls the observer on its own thread, between writes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform::detail {

class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    // bytes more of a file's content are written. Returning false stops the copy: it removes
    // what it had written of the item it was copying and fails with ERROR_CANCELLED; items copied
    // before stay.
    virtual bool bytesCopied(uint64_t bytes) = 0;
    // One more file, link or folder is complete; false stops the copy as above.
    virtual bool entryCopied() = 0;
    // True once the copy was asked to stop. A move asks before it removes any of its source, a
    // delete before each entry: work left behind in a call on a share that stopped answering
    // does nothing more when that call comes back.
    virtual bool stopRequested() const { return false; }
};

// What a copy of an item will do, counted the way the observer hears it: every file, link and
// folder is one entry (the item itself included), and the bytes are the files' sizes.
struct CopyTotals {
    uint64_t bytes = 0;
    uint64_t entries = 0;
};
// Walks hostPath without following links. keepGoing is asked now and then; when it says no the
// walk stops and what was counted so far is returned.
CopyTotals measureCopy(const std::string& hostPath, const std::function<bool()>& keepGoing);

} // namespace platform::detail
