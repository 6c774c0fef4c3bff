// Change notifications: drives and media coming and going, found by comparing the drive map with
// the one seen last.
#include <algorithm>

#include "platform/qt/shell_notify_service.h"

namespace platform::notify {

namespace {

// The coalescing key of drive and media events.
const std::string kDrivesKey = "\x01drives";

} // namespace

void NotifyService::compareDrives() {
    std::vector<DriveInfo> now = drives();
    const auto tell = [this](unsigned event, char letter) {
        queue(event, kDrivesKey, nullptr, About{{}, std::string{letter, ':', '\\'}, {}});
    };
    for (const DriveInfo& drive : now) {
        const auto before = std::find_if(drives_.begin(), drives_.end(), [&](const DriveInfo& d) {
            return d.letter == drive.letter;
        });
        if (before == drives_.end())
            tell(SHCNE_DRIVEADD, drive.letter);
        else if (before->hostRoot != drive.hostRoot) {
            tell(SHCNE_DRIVEREMOVED, drive.letter);
            tell(SHCNE_DRIVEADD, drive.letter);
        } else if (!before->ready && drive.ready)
            tell(SHCNE_MEDIAINSERTED, drive.letter);
        else if (before->ready && !drive.ready)
            tell(SHCNE_MEDIAREMOVED, drive.letter);
    }
    for (const DriveInfo& drive : drives_) {
        if (std::none_of(now.begin(), now.end(),
                         [&](const DriveInfo& d) { return d.letter == drive.letter; }))
            tell(SHCNE_DRIVEREMOVED, drive.letter);
    }
    drives_ = std::move(now);
}

} // namespace platform::notify
