// A worker's message box, answered on the user-interface thread, abandoned on a stop request.
#include "platform/qt/worker_message_box.h"

#include <condition_variable>
#include <memory>
#include <mutex>

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

#include "platform/qt/ui.h"

namespace platform {

namespace {

struct PendingBox {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    bool abandoned = false;
    int answer = IDOK;
};

int answerWithoutUser(unsigned flags) {
    switch (flags & 0xF) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

} // namespace

int workerMessageBox(QObject* owner, const QString& text, const QString& caption, unsigned flags,
                     std::stop_token stop) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread())
        return messageBox(qobject_cast<QWidget*>(owner), text, caption, flags);

    auto pending = std::make_shared<PendingBox>();
    // Queued to the owner, so a box for a window that is gone is never shown.
    QObject* context = owner != nullptr ? owner : application;
    QMetaObject::invokeMethod(
        context,
        [pending, owner, text, caption, flags] {
            {
                std::lock_guard lock(pending->mutex);
                if (pending->abandoned)
                    return;
            }
            const int answer = messageBox(qobject_cast<QWidget*>(owner), text, caption, flags);
            std::lock_guard lock(pending->mutex);
            pending->answer = answer;
            pending->done = true;
            pending->answered.notify_all();
        },
        Qt::QueuedConnection);

    const std::stop_callback release(stop, [pending] {
        std::lock_guard lock(pending->mutex);
        pending->abandoned = true;
        pending->answered.notify_all();
    });
    std::unique_lock lock(pending->mutex);
    while (!pending->done && !pending->abandoned)
        pending->answered.wait(lock);
    return pending->done ? pending->answer : answerWithoutUser(flags);
}

} // namespace platform
