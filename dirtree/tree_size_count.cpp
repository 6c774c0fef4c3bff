// The tree-size count: a worker thread for the walk, a bounded wait, then a modal progress window
// fed from the walk's shared counters. Cancel returns at once: the walk, which owns all it
// touches, stops by itself, also when it comes back from a share that had stopped answering.
#include "dirtree/tree_size_count.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QTimer>

#include "dirtree/folder_commands.h"
#include "platform/qt/path_text.h"

namespace {

// What the worker and the window share; the worker fills result and sets done last.
struct TCountState {
    platform::TreeSizeProgress progress;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    platform::TreeSize result;
};

QString ProgressText(const QString& path, const platform::TreeSizeProgress& progress) {
    const QLocale locale = ReportLocale();
    return QStringLiteral("Counting the files of %1 ...\n%2 files, %3")
        .arg(path, locale.toString(qulonglong(progress.files.load())),
             TreeSizeByteText(double(progress.bytes.load()), locale));
}

} // namespace

std::optional<double> CountFolderTreeSize(const QString& path, QWidget* owner,
                                          std::chrono::milliseconds patience,
                                          const TTreeSizeWalk& walk) {
    if (path.isEmpty())
        return 0.0;
    auto state = std::make_shared<TCountState>();
    std::thread([state, walk, hostPath = platform::pathBytes(path)] {
        platform::TreeSize result = walk(hostPath, &state->progress);
        {
            std::lock_guard lock(state->mutex);
            state->result = result;
            state->done = true;
        }
        state->finished.notify_all();
    }).detach();

    bool stopped = false;
    {
        std::unique_lock lock(state->mutex);
        state->finished.wait_for(lock, patience, [&] { return state->done; });
    }
    bool done = false;
    {
        std::lock_guard lock(state->mutex);
        done = state->done;
    }
    if (!done) {
        // The count takes long: the program keeps drawing while a modal window shows it works.
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
        QProgressDialog dialog(owner);
        dialog.setObjectName(QStringLiteral("TreeSizeProgress"));
        dialog.setWindowTitle(QStringLiteral("Tree Size"));
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setRange(0, 0);
        dialog.setMinimumDuration(0);
        dialog.setCancelButtonText(QStringLiteral("Cancel"));
        dialog.setLabelText(ProgressText(path, state->progress));
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            std::lock_guard lock(state->mutex);
            if (state->done)
                loop.quit();
            else
                dialog.setLabelText(ProgressText(path, state->progress));
        });
        // Cancel, Escape and closing the window all stop the count.
        const auto stop = [&] {
            stopped = true;
            state->progress.stop = true;
            loop.quit();
        };
        QObject::connect(&dialog, &QProgressDialog::canceled, &loop, stop);
        QObject::connect(&dialog, &QDialog::finished, &loop, stop);
        dialog.show();
        poll.start(100);
        loop.exec();
        QGuiApplication::restoreOverrideCursor();
    }
    // A stopped walk ends by itself; nothing of it is needed any more.
    if (stopped)
        return std::nullopt;
    std::lock_guard lock(state->mutex);
    if (state->result.stopped)
        return std::nullopt;
    return double(state->result.bytes);
}
