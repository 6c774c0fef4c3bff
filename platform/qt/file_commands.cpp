// One file copied, moved or deleted by a worker while the window shows the progress.
#include "platform/qt/file_commands.h"

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/core/files.h"
#include "platform/core/winerror.h"
#include "platform/qt/file_op_worker.h"
#include "platform/qt/shell.h"

namespace platform {

namespace {

// The progress counts one entry, with the file's size when its content is copied.
bool runOnFile(QWidget* owner, unsigned func, const std::string& path,
               std::function<bool(detail::FileOpSession&)> call) {
    auto succeeded = std::make_shared<bool>(false);
    const bool finished = detail::runFileWork(
        owner, func, false, [func, succeeded, path, call](detail::FileOpSession& session) {
            const uint64_t bytes = func == FO_DELETE ? 0 : fileSize(path).value_or(0);
            // Cancel may have come while the share held that look: nothing starts then.
            if (!session.addItem({bytes, 1})) {
                setLastError(ERROR_CANCELLED);
                return;
            }
            *succeeded = call(session);
        });
    return finished && *succeeded;
}

} // namespace

bool copyFileShowingProgress(QWidget* owner, const std::string& source,
                             const std::string& destination) {
    return runOnFile(owner, FO_COPY, source, [source, destination](detail::FileOpSession& session) {
        return copyFile(source, destination, &session);
    });
}

bool moveFileShowingProgress(QWidget* owner, const std::string& source,
                             const std::string& destination) {
    return runOnFile(owner, FO_MOVE, source, [source, destination](detail::FileOpSession& session) {
        return moveFile(source, destination, &session);
    });
}

bool deleteFileShowingProgress(QWidget* owner, const std::string& path) {
    return runOnFile(owner, FO_DELETE, path,
                     [path](detail::FileOpSession& session) { return deleteFile(path, &session); });
}

} // namespace platform
