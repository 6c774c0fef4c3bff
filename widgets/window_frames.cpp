#include "widgets/window_frames.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

void MakeFixedDialogFrame(QWidget* window) {
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

namespace {

// A dialog that sizes itself to its contents knows its size only once its layout has run.
void SettleSize(QWidget* window) {
    if (window->layout() && window->layout()->sizeConstraint() == QLayout::SetFixedSize)
        window->adjustSize();
}

} // namespace

void CentreOnDesktop(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    SettleSize(window);
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void CentreOver(QWidget* window, const QWidget* over) {
    if (!over || !over->isVisible()) {
        CentreOnDesktop(window);
        return;
    }
    SettleSize(window);
    QRect frame = window->frameGeometry();
    frame.moveCenter(over->frameGeometry().center());
    window->move(frame.topLeft());
}

void ShowAndRaise(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
