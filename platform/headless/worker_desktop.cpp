// The desktop answers of workers, and the plain ones of a program without a desktop.
#include "platform/headless/worker_desktop.h"

#include <cstdio>
#include <map>
#include <mutex>

#include "platform/core/files.h"
#include "platform/headless/jpeg_support.h"

namespace platform {

namespace {

void plainErrorBox(QObject*, const QString& text, const QString& caption, std::stop_token) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
}

// Without a desktop's icons, files share an icon when they share their extension.
int plainIconIndex(const std::string& path) {
    static std::mutex mutex;
    static std::map<std::string, int> indexByKey;
    std::string key;
    if (directoryExists(path))
        key = "folder";
    else if (fileExists(path))
        key = "file:" + lowerExtension(path);
    else
        return -1;
    std::lock_guard lock(mutex);
    return indexByKey.emplace(key, int(indexByKey.size())).first->second;
}

Rgb plainSysColor(int index) {
    return index == COLOR_WINDOW ? rgbOf(255, 255, 255) : rgbOf(240, 240, 240);
}

std::mutex gMutex;

WorkerDesktop& installed() {
    static WorkerDesktop desktop{plainErrorBox, plainIconIndex, [](int) { return Bitmap(); },
                                 plainSysColor};
    return desktop;
}

} // namespace

void setWorkerDesktop(WorkerDesktop desktop) {
    std::lock_guard lock(gMutex);
    WorkerDesktop& current = installed();
    if (desktop.errorBox)
        current.errorBox = std::move(desktop.errorBox);
    if (desktop.iconIndex)
        current.iconIndex = std::move(desktop.iconIndex);
    if (desktop.iconPicture)
        current.iconPicture = std::move(desktop.iconPicture);
    if (desktop.sysColor)
        current.sysColor = std::move(desktop.sysColor);
}

WorkerDesktop workerDesktop() {
    std::lock_guard lock(gMutex);
    return installed();
}

} // namespace platform
