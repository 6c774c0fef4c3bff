// A file operation on a worker thread while the window thread keeps the events going, asks the
// operation's questions and shows its progress.
#include "platform/qt/file_op_worker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include "platform/core/network_wait.h"
#include "platform/core/winerror.h"
#include "platform/qt/file_op_progress.h"
#include "platform/qt/shell.h"
#include "platform/qt/shell_internal.h"
#include "platform/qt/ui.h"

namespace platform::detail {

namespace {

struct Question {
    QString text;
    QString caption;
    unsigned type = 0;
};

struct Notice {
    unsigned event = 0;
    std::string path;
    std::string newPath;
};

std::atomic<int> gWorkersRunning{0};

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Ends the window thread's wait for another look at the work: posted to by the worker.
class Waker : public QObject {
public:
    explicit Waker(QEventLoop& loop) : loop_(loop) {}

protected:
    bool event(QEvent* event) override {
        if (event->type() != kWakeEvent)
            return QObject::event(event);
        loop_.quit();
        return true;
    }

private:
    QEventLoop& loop_;
};

// What the worker and the window thread share. Both hold it: the worker may outlive the call
// that started it.
struct SharedWork {
    std::mutex mutex;
    std::condition_variable answered;
    std::atomic<bool> cancel{false};
    FileOpCounts counts;
    std::vector<CopyTotals> items;
    std::optional<Question> question; // asked by the worker, not yet taken by the window thread
    std::optional<int> answer;
    std::vector<Notice> notices;
    bool done = false;
    bool leftBehind = false;
    uint32_t lastError = ERROR_SUCCESS;
    Waker* waker = nullptr; // while the window thread waits

    // Under mutex.
    void wake() {
        if (waker != nullptr)
            QCoreApplication::postEvent(waker, new QEvent(kWakeEvent));
    }
};

class WorkerSession : public FileOpSession {
public:
    WorkerSession(std::shared_ptr<SharedWork> shared, bool showsProgress)
        : shared_(std::move(shared)), showsProgress_(showsProgress) {}

    bool bytesCopied(uint64_t bytes) override {
        std::lock_guard lock(shared_->mutex);
        shared_->counts.bytesDone += bytes;
        return !shared_->cancel;
    }
    bool entryCopied() override {
        std::lock_guard lock(shared_->mutex);
        ++shared_->counts.entriesDone;
        return !shared_->cancel;
    }
    bool stopRequested() const override { return shared_->cancel; }
    bool showsProgress() const override { return showsProgress_; }
    bool addItem(const CopyTotals& totals) override {
        std::lock_guard lock(shared_->mutex);
        shared_->items.push_back(totals);
        shared_->counts.bytesTotal += totals.bytes;
        shared_->counts.entriesTotal += totals.entries;
        return !shared_->cancel;
    }
    bool startItem(size_t index) override {
        std::lock_guard lock(shared_->mutex);
        FileOpCounts& counts = shared_->counts;
        counts.bytesDone = 0;
        counts.entriesDone = 0;
        for (size_t i = 0; i < index && i < shared_->items.size(); ++i) {
            counts.bytesDone += shared_->items[i].bytes;
            counts.entriesDone += shared_->items[i].entries;
        }
        return !shared_->cancel;
    }
    int ask(const QString& text, const QString& caption, unsigned type) override {
        std::unique_lock lock(shared_->mutex);
        if (shared_->cancel || shared_->leftBehind)
            return IDCANCEL;
        shared_->question = Question{text, caption, type};
        shared_->answer.reset();
        shared_->wake();
        shared_->answered.wait(lock, [this] { return shared_->answer || shared_->leftBehind; });
        return shared_->answer.value_or(IDCANCEL);
    }
    void announce(unsigned event, const std::string& path, const std::string& newPath) override {
        std::lock_guard lock(shared_->mutex);
        shared_->notices.push_back({event, path, newPath});
    }

private:
    std::shared_ptr<SharedWork> shared_;
    bool showsProgress_;
};

// The operation on the window thread itself, where nobody can show its progress.
class DirectSession : public FileOpSession {
public:
    explicit DirectSession(QWidget* owner) : owner_(owner) {}

    bool bytesCopied(uint64_t) override { return true; }
    bool entryCopied() override { return true; }
    bool showsProgress() const override { return false; }
    bool addItem(const CopyTotals&) override { return true; }
    bool startItem(size_t) override { return true; }
    int ask(const QString& text, const QString& caption, unsigned type) override {
        return messageBox(owner_, text, caption, type);
    }
    void announce(unsigned event, const std::string& path, const std::string& newPath) override {
        shellChangeNotify(event, path, newPath);
    }

private:
    QWidget* owner_;
};

// Threads for the workers. A thread that has finished an operation waits a while for the next
// one: a new thread for every small copy would cost more than the copy. Every operation gets a
// thread to itself, so one stuck on a share never holds up the next.
class WorkerThreads {
public:
    static WorkerThreads& instance() {
        static auto* threads = new WorkerThreads; // waiting threads may outlive static destruction
        return *threads;
    }

    // Throws std::system_error when no thread can be made.
    void run(std::function<void()> job) {
        std::unique_lock lock(mutex_);
        jobs_.push_back(std::move(job));
        if (idle_ > 0) {
            --idle_; // that waiting thread is this job's
            lock.unlock();
            available_.notify_one();
            return;
        }
        try {
            std::thread([this] { serve(); }).detach();
        } catch (const std::system_error&) {
            jobs_.pop_back();
            throw;
        }
    }

private:
    void serve() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (jobs_.empty()) {
                --idle_; // took too long: this thread goes
                return;
            }
            std::function<void()> job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
            ++idle_;
            available_.wait_for(lock, kIdleWait, [this] { return !jobs_.empty(); });
        }
    }

    static constexpr std::chrono::seconds kIdleWait{30};
    std::mutex mutex_;
    std::condition_variable available_;
    std::deque<std::function<void()>> jobs_;
    int idle_ = 0; // threads waiting for a job that no job has been given to
};

bool runHere(QWidget* owner, const FileWork& work) {
    DirectSession session(owner);
    work(session);
    return true;
}

} // namespace

bool runFileWork(QWidget* owner, unsigned func, bool silent, FileWork work) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return runHere(owner, work);

    auto shared = std::make_shared<SharedWork>();
    auto job = std::make_shared<FileWork>(std::move(work));
    FileOpProgress progress(owner, func);
    QEventLoop loop;
    Waker waker(loop);
    {
        std::lock_guard lock(shared->mutex);
        shared->waker = &waker;
    }
    ++gWorkersRunning;
    try {
        WorkerThreads::instance().run([shared, job, showsProgress = !silent] {
            {
                // Cancel is the limit of its waits for a share.
                const UnboundedWaits unbounded;
                WorkerSession session(shared, showsProgress);
                (*job)(session);
                std::lock_guard lock(shared->mutex);
                shared->lastError = lastError();
                shared->done = true;
                shared->wake();
            }
            --gWorkersRunning;
        });
    } catch (const std::system_error&) {
        --gWorkersRunning;
        // No thread to spare: the operation runs here, as it would without windows.
        return runHere(owner, *job);
    }

    QElapsedTimer sinceCancel;
    progress.setOnCancel([&] {
        shared->cancel = true;
        sinceCancel.start();
        loop.quit();
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(FileOpProgress::refreshInterval());
    for (;;) {
        std::optional<Question> question;
        std::vector<Notice> notices;
        FileOpCounts counts;
        bool done = false;
        {
            std::lock_guard lock(shared->mutex);
            done = shared->done;
            question.swap(shared->question);
            notices.swap(shared->notices);
            counts = shared->counts;
        }
        for (const Notice& notice : notices)
            shellChangeNotify(notice.event, notice.path, notice.newPath);
        if (done)
            break;
        if (question) {
            const int answer = progress.cancelled() ? IDCANCEL
                                                    : messageBox(owner, question->text,
                                                                 question->caption, question->type);
            {
                std::lock_guard lock(shared->mutex);
                shared->answer = answer;
            }
            shared->answered.notify_all();
            progress.restartClock(); // the second before the window counts from the answer
            continue;
        }
        if (sinceCancel.isValid() && sinceCancel.elapsed() >= kCancelWait.count())
            break;
        if (!silent)
            progress.refresh(counts);
        // Until the window is up, which keeps the user's input from the other windows, the input
        // waits: a click must not start something new inside the handler that runs the operation.
        loop.exec(progress.window() != nullptr ? QEventLoop::AllEvents
                                               : QEventLoop::ExcludeUserInputEvents);
    }

    bool done = false;
    uint32_t error = ERROR_SUCCESS;
    {
        std::lock_guard lock(shared->mutex);
        shared->waker = nullptr;
        done = shared->done;
        shared->leftBehind = !done;
        error = shared->lastError;
    }
    if (!done) {
        shared->answered.notify_all();
        setLastError(ERROR_CANCELLED);
        return false;
    }
    setLastError(error);
    return true;
}

int fileWorkersRunning() {
    return gWorkersRunning;
}

} // namespace platform::detail
