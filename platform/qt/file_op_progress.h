// The progress window of a long shell file operation (internal to platform/): it appears when the
// operation has run for about a second, moves with the bytes and items done, and its Cancel stops
// the operation at the next piece. While the operation runs, the program's events go on (the
// window draws, Cancel answers), but posted window messages wait until it is over: the window
// that started the operation is still inside its handler and must not be rebuilt under it.
// User-interface thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "platform/core/copy_observer.h"

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

class FileOpProgress : public CopyObserver {
public:
    // func: FO_MOVE, FO_COPY or FO_DELETE, which names the window.
    FileOpProgress(QWidget* owner, unsigned func);
    ~FileOpProgress() override;
    FileOpProgress(const FileOpProgress&) = delete;
    FileOpProgress& operator=(const FileOpProgress&) = delete;

    // Adds one item of the operation; measure counts what is in it (a copy), otherwise it counts
    // as one entry (a rename, a delete). False when the user cancelled meanwhile.
    bool addItem(const std::string& hostPath, bool measure);
    // The operation starts on item index: the items before it are complete. False when the user
    // cancelled.
    bool startItem(size_t index);
    bool bytesCopied(uint64_t bytes) override;
    bool entryCopied() override;

    bool cancelled() const;
    const FileOpCounts& counts() const;
    // The window once it has appeared, else nullptr.
    QWidget* window() const;

    // Tests shorten the second before the window appears and the time between two refreshes.
    static void setTiming(std::chrono::milliseconds showAfter, std::chrono::milliseconds refresh);

private:
    bool tick();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::detail
