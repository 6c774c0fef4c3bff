// The progress window of a long file operation (internal to platform/): it appears when the
// operation has run for about a second, follows the bytes and items done, and its Cancel asks the
// operation to stop. While it lives, posted window messages wait until it is gone: the window
// that started the operation is still inside its handler and must not be rebuilt under it.
// User-interface thread only; the operation itself runs elsewhere (file_op_worker.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include <QString>

class QWidget;

namespace platform::detail {

// What a running operation has done and has to do.
struct FileOpCounts {
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
    uint64_t entriesDone = 0;
    uint64_t entriesTotal = 0;
};
// The bar's position, 0 to 1000. Bytes and entries both move it, so that a folder of many empty
// files moves as well as one big file.
int progressPermille(const FileOpCounts& counts);
// "12 of 60000 items (1.5 MB of 120 MB)"; without sizes when there are no bytes to copy.
QString progressText(const FileOpCounts& counts);

class FileOpProgress {
public:
    // func: the operation (FO_MOVE, FO_COPY, FO_DELETE, FO_RENAME), which names the window. The
    // second before the window appears counts from now.
    FileOpProgress(QWidget* owner, unsigned func);
    ~FileOpProgress(); // the held messages go out
    FileOpProgress(const FileOpProgress&) = delete;
    FileOpProgress& operator=(const FileOpProgress&) = delete;

    // Shows counts, and the window once the operation has run long enough.
    void refresh(const FileOpCounts& counts);
    // The operation waited for an answer of the user: the second before the window appears
    // counts anew from now.
    void restartClock();
    // Called once when the user cancels (Cancel, Escape or closing the window).
    void setOnCancel(std::function<void()> onCancel);

    bool cancelled() const;
    // The window once it has appeared, else nullptr.
    QWidget* window() const;

    // How often the operation's runner refreshes the window.
    static std::chrono::milliseconds refreshInterval();
    // Tests shorten the second before the window appears and the time between two refreshes.
    static void setTiming(std::chrono::milliseconds showAfter, std::chrono::milliseconds refresh);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::detail
