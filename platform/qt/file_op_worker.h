// Long file operations off the window thread (internal to platform/). The operation runs on a
// worker thread of its own (a thread that finished one waits a while for the next, so that small
// copies cost no more than on the window thread) and owns all it touches; the window thread
// meanwhile keeps the program's events going, asks the operation's questions for it, shows the
// progress window after about a second (file_op_progress.h) and passes on Cancel.
//
// What Cancel guarantees: the operation stops at its next piece; what was complete stays, the
// item under way is taken back. A worker that does not come back within a second is stuck in a
// call on a share that stopped answering: it is left behind and the call returns as cancelled.
// When its call comes back, the worker sees the cancel and does nothing more (no temporary is put
// in place, no source of a move is removed, no further entry is deleted); only the one call that
// was under way in the kernel may still take effect.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include <QString>

#include "platform/core/copy_observer.h"

class QWidget;

namespace platform::detail {

// What an operation tells and asks of whoever runs it, called on the operation's thread. As a
// CopyObserver it follows the bytes and entries done and stops the copy on Cancel.
class FileOpSession : public CopyObserver {
public:
    // Whether anyone shows the progress: only then is it worth measuring the items first.
    virtual bool showsProgress() const = 0;
    // One more item of the operation, with what it holds (measureCopy). False once cancelled.
    virtual bool addItem(const CopyTotals& totals) = 0;
    // Work starts on item index: the items before it are complete. False once cancelled.
    virtual bool startItem(size_t index) = 0;
    // Asks the user as messageBox does (type: MB_YESNO | MB_ICONQUESTION, ...) and returns the
    // button (IDYES, ...); IDCANCEL once the operation is cancelled.
    virtual int ask(const QString& text, const QString& caption, unsigned type) = 0;
    // The operation changed path (a program path; a rename also names the new one):
    // shellChangeNotify(event, path, newPath).
    virtual void announce(unsigned event, const std::string& path,
                          const std::string& newPath = {}) = 0;
};

using FileWork = std::function<void(FileOpSession& session)>;

// How long a cancelled worker is waited for before it is left behind.
inline constexpr std::chrono::milliseconds kCancelWait{1000};

// Runs work on a worker thread and returns when it has returned: true, with the worker's
// lastError() as the caller's. The progress window (func names it: FO_COPY, FO_MOVE, ...)
// appears unless silent; Cancel in it stops the work, and a worker that has not returned
// kCancelWait after Cancel is left behind: false, with lastError() ERROR_CANCELLED. Without an
// application that shows windows, work runs on the calling thread with nobody to cancel it.
// User-interface thread only.
bool runFileWork(QWidget* owner, unsigned func, bool silent, FileWork work);

// The operations of runFileWork whose worker has not returned yet, those left behind included.
int fileWorkersRunning();

} // namespace platform::detail
