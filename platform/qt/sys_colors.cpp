// System colours from the application's palette.
#include "platform/qt/sys_colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <QThread>

namespace platform {

QColor getSysColor(int index) {
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const bool palette =
        application != nullptr && QThread::currentThread() == application->thread();
    switch (index) {
    case COLOR_WINDOW:
        return palette ? QGuiApplication::palette().color(QPalette::Base) : QColor(Qt::white);
    case COLOR_BTNFACE:
        return palette ? QGuiApplication::palette().color(QPalette::Button) : QColor(240, 240, 240);
    default:
        return palette ? QGuiApplication::palette().color(QPalette::Window) : QColor(240, 240, 240);
    }
}

} // namespace platform
