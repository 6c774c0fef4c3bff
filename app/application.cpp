#include "app/application.h"

#include <exception>

#include <QIcon>

#include "platform/qt/desktop_for_workers.h"
#include "widgets/handler_guard.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The title is the application name. No display name is set: the desktop would append one to
    // every window title ("Confirm — Lumograph"), and the windows' titles are their own.
    setApplicationName(QStringLiteral("Lumograph"));
    // Every window shows the program's icon; the desktop matches the windows to its entry.
    setWindowIcon(QIcon(QStringLiteral(":/lumograph.svg")));
    setDesktopFileName(QStringLiteral("lumograph"));
    // The program ends only through its main or thumbnail window, never because the last
    // visible window was hidden.
    setQuitOnLastWindowClosed(false);
    // The thumbnail worker's error boxes, icons and colours are this desktop's.
    platform::installDesktopForWorkers();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleUnknownException();
    }
    return false;
}
