// What a worker thread asks of the desktop it runs under: the box it shows an error in, the
// system icons of files and the colours of windows. The desktop's side installs its answers once
// at start (installDesktopForWorkers, platform/qt/desktop_for_workers.h); a program without a
// desktop (the command-line tools) gets plain ones or sets its own: errors written to standard
// error, files grouped by their extension without icon pictures, the classic colours.
#pragma once

#include <functional>
#include <stop_token>
#include <string>

#include <QString>

#include "platform/headless/bitmap.h"
#include "platform/headless/sys_color_index.h"

class QObject;

namespace platform {

struct WorkerDesktop {
    // An error box owned by owner (an object of the user-interface thread) with text and caption;
    // returns once it is answered, or at once when stop is requested.
    std::function<void(QObject* owner, const QString& text, const QString& caption,
                       std::stop_token stop)>
        errorBox;
    // The index of a file's large system icon; -1 when the file is gone. Any thread.
    std::function<int(const std::string& path)> iconIndex;
    // The icon of an index as a premultiplied bitmap; null when there is none. Any thread.
    std::function<Bitmap(int index)> iconPicture;
    // The colour of a system index; called on the user-interface thread only.
    std::function<Rgb(int index)> sysColor;
};

// Installs desktop (a missing answer keeps the plain one). Before any worker starts.
void setWorkerDesktop(WorkerDesktop desktop);
// The answers in force, every one of them set.
WorkerDesktop workerDesktop();

} // namespace platform
