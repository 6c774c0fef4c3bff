// TApplication: the application object. It names the program and shows any exception that
// leaves an event handler in the standard error box, after which the program goes on.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
