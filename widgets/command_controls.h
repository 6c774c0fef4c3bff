// The toolbar buttons and menu items of the browser windows: each named as in the window's
// layout, bound to one handler of its window, and guarded so that an exception leaving the
// handler reaches the standard error box.
#pragma once

#include <QAction>
#include <QMenu>
#include <QSize>
#include <QString>
#include <QToolBar>
#include <QToolButton>

#include "widgets/handler_guard.h"
#include "widgets/toolbar_icons.h"

template <typename Window> using THandler = void (Window::*)();

// Adds a flat image button with a tool-tip to the toolbar; minimum is its least size in pixels.
template <typename Window>
QToolButton* AddToolButton(Window* window, QToolBar* bar, const char* name, ToolGlyph glyph,
                           const char* hint, THandler<Window> handler, QSize minimum) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(ToolIcon(glyph));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoRaise(true);
    button->setMinimumSize(minimum);
    QObject::connect(button, &QToolButton::clicked, window,
                     Guarded([window, handler] { (window->*handler)(); }));
    bar->addWidget(button);
    return button;
}

// Adds an item to a menu; an item without a handler does nothing when chosen.
template <typename Window>
QAction* AddMenuItem(Window* window, QMenu* menu, const char* name, const char* caption,
                     THandler<Window> handler) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (handler)
        QObject::connect(action, &QAction::triggered, window,
                         Guarded([window, handler] { (window->*handler)(); }));
    return action;
}
