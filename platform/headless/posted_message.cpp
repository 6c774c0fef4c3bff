// Posted window messages as Qt events.
#include "platform/headless/posted_message.h"

#include <QCoreApplication>

namespace platform {

MessageEvent::MessageEvent(unsigned msg_, quintptr wParam_, qintptr lParam_)
    : QEvent(eventType()), msg(msg_), wParam(wParam_), lParam(lParam_) {}

QEvent::Type MessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void postMessage(QObject* target, unsigned msg, quintptr wParam, qintptr lParam) {
    if (target != nullptr)
        QCoreApplication::postEvent(target, new MessageEvent(msg, wParam, lParam));
}

} // namespace platform
