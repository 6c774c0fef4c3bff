// Helpers of the Qt-side platform tests: a window-message recorder, bounded waiting and a file
// operation's user played by the test.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>

#include "platform/qt/file_op_worker.h"
#include "platform/qt/ui.h"

struct RecordedMessage {
    unsigned msg;
    quintptr wParam;
    qintptr lParam;
};

// Stands for a window: keeps every posted message it receives, in order.
class MessageRecorder : public QObject {
public:
    std::vector<RecordedMessage> messages;
    bool received(unsigned msg, qintptr lParam) const {
        for (const RecordedMessage& m : messages)
            if (m.msg == msg && m.lParam == lParam)
                return true;
        return false;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == platform::MessageEvent::eventType()) {
            const auto* m = static_cast<platform::MessageEvent*>(e);
            messages.push_back({m->msg, m->wParam, m->lParam});
            return true;
        }
        return QObject::event(e);
    }
};

// Handles events until the condition holds or five seconds have passed.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs a file operation on the test's own thread and plays the user: it answers every question
// with answer, and cancels when cancelWhen() holds at a piece of the work. Records the changes
// the operation announces.
class ScriptedSession : public platform::detail::FileOpSession {
public:
    std::function<bool(const ScriptedSession&)> cancelWhen;
    int answer = platform::IDYES;
    size_t item = 0;          // the item under way
    uint64_t bytesOfItem = 0; // bytes copied of it so far
    std::vector<std::pair<unsigned, std::string>> announced;

    bool bytesCopied(uint64_t bytes) override {
        bytesOfItem += bytes;
        return keepGoing();
    }
    bool entryCopied() override { return keepGoing(); }
    bool stopRequested() const override { return cancelled_; }
    bool showsProgress() const override { return true; }
    bool addItem(const platform::detail::CopyTotals&) override { return keepGoing(); }
    bool startItem(size_t index) override {
        item = index;
        bytesOfItem = 0;
        return keepGoing();
    }
    int ask(const QString&, const QString&, unsigned) override { return answer; }
    void announce(unsigned event, const std::string& path, const std::string&) override {
        announced.emplace_back(event, path);
    }

private:
    bool keepGoing() {
        if (!cancelled_ && cancelWhen && cancelWhen(*this))
            cancelled_ = true;
        return !cancelled_;
    }
    bool cancelled_ = false;
};
