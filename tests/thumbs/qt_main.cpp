// Runs the thumbnail extraction tests under an offscreen QApplication: the worker posts to
// objects of this thread and shows its error boxes through it.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Lumograph"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
