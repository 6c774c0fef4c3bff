#include "platform/qt/picture_loader.h"

#include <atomic>
#include <exception>
#include <utility>

namespace platform {

namespace {

// Tickets are unique in the process, so that a window with several loaders tells their results
// apart by ticket alone.
std::atomic<quint64> lastTicket{0};

} // namespace

PictureLoader::PictureLoader(QObject* parent)
    : QObject(parent), worker_([this](std::stop_token stop) { run(stop); }) {}

PictureLoader::~PictureLoader() {
    {
        const std::lock_guard lock(mutex_);
        current_.request_stop();
    }
    worker_.request_stop();
    worker_.join();
}

quint64 PictureLoader::load(PictureRequest request) {
    ticket_ = ++lastTicket;
    {
        const std::lock_guard lock(mutex_);
        current_.request_stop();
        current_ = std::stop_source();
        next_ = Job{ticket_, std::move(request)};
    }
    wake_.notify_one();
    return ticket_;
}

void PictureLoader::cancel() {
    ticket_ = 0;
    const std::lock_guard lock(mutex_);
    current_.request_stop();
    next_.reset();
}

void PictureLoader::run(std::stop_token threadStop) {
    for (;;) {
        Job job;
        std::stop_token stop;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, threadStop, [this] { return next_.has_value(); }))
                return;
            job = std::move(*next_);
            next_.reset();
            stop = current_.get_token();
        }
        try {
            decodePicture(job.request, stop,
                          [this, &job](PictureStage stage) { post(job.ticket, std::move(stage)); });
        } catch (const std::exception& error) {
            if (!stop.stop_requested())
                postFailure(job.ticket, QString::fromUtf8(error.what()));
        }
    }
}

void PictureLoader::post(quint64 ticket, PictureStage stage) {
    QMetaObject::invokeMethod(
        this,
        [this, ticket, stage = std::move(stage)] {
            if (ticket == ticket_)
                Q_EMIT stageReady(ticket, stage);
        },
        Qt::QueuedConnection);
}

void PictureLoader::postFailure(quint64 ticket, QString message) {
    QMetaObject::invokeMethod(
        this,
        [this, ticket, message = std::move(message)] {
            if (ticket == ticket_)
                Q_EMIT failed(ticket, message);
        },
        Qt::QueuedConnection);
}

} // namespace platform
