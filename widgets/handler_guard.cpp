#include "widgets/handler_guard.h"

#include <QApplication>
#include <QString>

#include "platform/qt/ui.h"

void HandleException(const std::exception& e) {
    platform::messageBox(nullptr, QString::fromUtf8(e.what()),
                         QApplication::applicationDisplayName(),
                         platform::MB_OK | platform::MB_ICONERROR);
}

void HandleUnknownException() {
    platform::messageBox(nullptr, QStringLiteral("An unknown error occurred."),
                         QApplication::applicationDisplayName(),
                         platform::MB_OK | platform::MB_ICONERROR);
}
