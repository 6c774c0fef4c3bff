// The shell's file operation as a plain function (internal to platform/): the request in, the
// outcome out. What it needs of the window (questions, change notices, progress, Cancel) it asks
// of a FileOpSession (file_op_worker.h); shFileOperation runs it on a worker thread.
#pragma once

#include <string>

#include <QString>

namespace platform::detail {

class FileOpSession;

// What ShFileOpStruct asks, as values that a worker can own.
struct FileOpRequest {
    unsigned func = 0;
    std::string from; // NUL-separated lists, as in ShFileOpStruct
    std::string to;
    unsigned flags = 0;
};

struct FileOpOutcome {
    int code = 0;         // what shFileOperation returns: 0 or a Windows code
    bool aborted = false; // anyOperationsAborted: the user said no or cancelled
    bool failed = false;  // a failure the error box tells of
    std::string failedItem;
    std::string copyAt; // where a move that kept (part of) its source left its complete copy
};

// Runs the operation on the calling thread; lastError() is set as for shFileOperation.
FileOpOutcome runFileOperation(const FileOpRequest& request, FileOpSession& session);

// The text of the error box of a failed operation (func: FO_MOVE, ...) and its caption.
QString fileOpFailureText(unsigned func, const FileOpOutcome& outcome);
QString fileOpFailureCaption(unsigned func);

} // namespace platform::detail
