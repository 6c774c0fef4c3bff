// Change notifications, the shell's public side: registrations, the folders they follow, their
// notices and the program's own announced changes, served by one service for the application.
#include "platform/qt/shell.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/qt/shell_notify_service.h"

namespace platform {

namespace notify {

NotifyService::NotifyService() {
    inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd_ >= 0) {
        auto* notifier = new QSocketNotifier(inotifyFd_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { readEvents(); });
    }
    mountsFd_ = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
    if (mountsFd_ >= 0) {
        // The kernel flags the mount table as exceptional whenever it changes.
        auto* notifier = new QSocketNotifier(mountsFd_, QSocketNotifier::Exception, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            detail::invalidateHostDriveMap();
            compareDrives();
        });
    } else {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            detail::invalidateHostDriveMap();
            compareDrives();
        });
        timer->start(2000);
    }
    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, [this] { flush(); });
    drives_ = drives();
    detail::setDriveMapObserver([this] {
        if (QThread::currentThread() == thread())
            compareDrives();
        else
            QMetaObject::invokeMethod(
                this, [this] { compareDrives(); }, Qt::QueuedConnection);
    });
}

NotifyService::~NotifyService() {
    detail::setDriveMapObserver(nullptr);
    if (mountsFd_ >= 0)
        ::close(mountsFd_);
    if (inotifyFd_ >= 0)
        ::close(inotifyFd_);
}

} // namespace notify

namespace {

using notify::NotifyService;
using notify::watchCapacity;

NotifyService* service(bool create) {
    static QPointer<NotifyService> instance;
    if (!instance && create && QCoreApplication::instance() != nullptr) {
        instance = new NotifyService;
        // The service lives as long as the application object.
        instance->setParent(QCoreApplication::instance());
    }
    return instance.data();
}

} // namespace

unsigned long changeNotifyRegister(QObject* target, unsigned eventMask, unsigned msg) {
    NotifyService* s = service(true);
    if (s == nullptr || target == nullptr)
        return 0;
    return s->add(target, eventMask, msg);
}

bool changeNotifyDeregister(unsigned long registration) {
    NotifyService* s = service(false);
    return s != nullptr && s->remove(registration);
}

void changeNotifyWatch(unsigned long registration, const std::vector<std::string>& folders) {
    if (NotifyService* s = service(false))
        s->watch(registration, folders);
}

void changeNotifyWatchMore(unsigned long registration, const std::vector<std::string>& folders) {
    if (NotifyService* s = service(false))
        s->watchMore(registration, folders);
}

std::vector<ChangeNotice> changeNotifyTake(unsigned long registration) {
    NotifyService* s = service(false);
    return s != nullptr ? s->take(registration) : std::vector<ChangeNotice>{};
}

size_t changeNotifyWatchCapacity() {
    return watchCapacity();
}

void shellChangeNotify(unsigned event, std::string_view path, std::string_view newPath) {
    NotifyService* s = service(false);
    if (s == nullptr)
        return;
    s->announce(event, path);
    if (!newPath.empty())
        s->announce(event, newPath);
}

} // namespace platform
