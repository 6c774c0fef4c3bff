// The desktop's answers to workers.
#include "platform/qt/desktop_for_workers.h"

#include "platform/headless/worker_desktop.h"
#include "platform/qt/bitmap_image.h"
#include "platform/qt/image_list.h"
#include "platform/qt/shell.h"
#include "platform/qt/sys_colors.h"
#include "platform/qt/ui.h"
#include "platform/qt/worker_message_box.h"

namespace platform {

void installDesktopForWorkers() {
    WorkerDesktop desktop;
    desktop.errorBox = [](QObject* owner, const QString& text, const QString& caption,
                          std::stop_token stop) {
        workerMessageBox(owner, text, caption, MB_ICONERROR, stop);
    };
    desktop.iconIndex = [](const std::string& path) {
        return shellIconIndex(path, IconSize::Large);
    };
    desktop.iconPicture = [](int index) {
        return toBitmap(systemImageList(IconSize::Large).image(index));
    };
    desktop.sysColor = [](int index) {
        return getSysColor(index).rgb();
    };
    setWorkerDesktop(std::move(desktop));
}

} // namespace platform
