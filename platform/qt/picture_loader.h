// PictureLoader: decodes the pictures of one window on a thread of its own, the newest request
// only. A new request, or cancel(), makes the one in progress stale: its decode stops at its next
// row batch or scan, and none of its stages or failures arrives any more. Results reach the owner
// through the signals, on the thread the loader lives on (the window's); only QImages and value
// structs cross between the threads. The destructor stops the decode in progress and joins the
// thread, so the owner may destroy the loader at any time.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include <QObject>
#include <QString>

#include "platform/qt/picture_decode.h"

namespace platform {

class PictureLoader : public QObject {
    Q_OBJECT
public:
    explicit PictureLoader(QObject* parent = nullptr);
    ~PictureLoader() override;

    // Starts decoding request in place of the one in progress; returns the request's ticket,
    // which its stages and failure carry: never 0, and never the same twice in the process.
    quint64 load(PictureRequest request);
    void cancel();

Q_SIGNALS:
    void stageReady(quint64 ticket, const platform::PictureStage& stage);
    // The decode raised an error; message is its text.
    void failed(quint64 ticket, const QString& message);

private:
    struct Job {
        quint64 ticket = 0;
        PictureRequest request;
    };
    void run(std::stop_token threadStop);
    void post(quint64 ticket, PictureStage stage);
    void postFailure(quint64 ticket, QString message);

    quint64 ticket_ =
        0; // the request whose results are wanted; read and written on the owner's thread
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::optional<Job> next_;  // guarded by mutex_
    std::stop_source current_; // guarded by mutex_: stops the decode of the newest request
    std::jthread worker_;      // last: started when everything above exists
};

} // namespace platform
