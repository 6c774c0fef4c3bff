// Runs the thumbnail extraction tests under an offscreen QApplication: the worker posts to
// objects of this thread and shows its error boxes through it, as the program's desktop does.
#include <QApplication>

#include <gtest/gtest.h>

#include "platform/qt/desktop_for_workers.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Lumograph"));
    platform::installDesktopForWorkers();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
