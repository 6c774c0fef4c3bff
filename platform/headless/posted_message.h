// Posted window messages with numbers, as workers and windows send them: a message is queued to
// the target object's thread and delivered in posting order. Needs the event loop of Qt Core only.
#pragma once

#include <QEvent>

class QObject;

namespace platform {

// A posted window message. Windows override QObject::event() and dispatch on msg.
class MessageEvent : public QEvent {
public:
    MessageEvent(unsigned msg, quintptr wParam, qintptr lParam);
    static QEvent::Type eventType();
    unsigned msg;
    quintptr wParam;
    qintptr lParam;
};

// PostMessage: queued to target's thread and delivered in posting order. Callable from any thread.
void postMessage(QObject* target, unsigned msg, quintptr wParam, qintptr lParam);

} // namespace platform
