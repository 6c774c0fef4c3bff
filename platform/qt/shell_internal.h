// Pieces shared by the shell units (internal to platform/).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace platform::detail {

class CopyObserver;

// The drive letter of a drive-root path ("C:", "c:\", "C:/"), or 0 for any other path.
char driveRootLetter(std::string_view path);
// The extension of a name including its dot, lower-cased ("IMG.JPG" -> ".jpg"); empty if none.
std::string lowerExtension(std::string_view name);
// The last component of a program path, as the file system spells it when the entry exists.
std::string entryName(std::string_view programPath);
bool isPictureExtension(const std::string& lowerExt);

// Sends a file or folder to the desktop's trash (the freedesktop trash standard): the item goes
// to Trash/files under a unique name with its Trash/info record. Returns 0 or a Windows code.
// observer follows and may stop what has to be copied (an item of a share goes to the home trash).
uint32_t moveToTrash(const std::string& hostPath, CopyObserver* observer = nullptr);

// The trash folder used for items of the home file system ($XDG_DATA_HOME/Trash).
std::string homeTrashFolder();

} // namespace platform::detail
