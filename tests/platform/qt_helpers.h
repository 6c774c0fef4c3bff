// Helpers of the Qt-side platform tests: a window-message recorder and bounded waiting.
#pragma once

#include <functional>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>

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
