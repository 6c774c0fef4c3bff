// Message boxes asked for by a worker thread. The box is shown by the user-interface thread and
// the worker waits for the answer, but only until it is told to stop: a window that ends its
// worker releases it from the wait first, so the worker never waits on the window's thread while
// that thread waits for the worker to end.
#pragma once

#include <stop_token>

#include <QString>

class QObject;

namespace platform {

// messageBox (ui.h) from a worker: owner is the window the box belongs to (a QWidget, or another
// object that lives on the user-interface thread). Returns the answer, or the answer a box gives
// when nobody can answer it (IDOK, IDNO or IDCANCEL) once stop is requested; a box not shown yet
// then never appears. Called on the user-interface thread it is messageBox itself.
int workerMessageBox(QObject* owner, const QString& text, const QString& caption, unsigned flags,
                     std::stop_token stop);

} // namespace platform
