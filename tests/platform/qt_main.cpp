// Runs the platform's Qt-side tests under an offscreen QApplication, in a mount namespace of their
// own where they may mount file systems inside their temporary folders.
#include <QApplication>

#include <gtest/gtest.h>

#include "tests/support/own_mounts.h"

int main(int argc, char** argv) {
    lumo::test::EnterOwnMountNamespace(); // first, while the program has one thread
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Lumograph"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
