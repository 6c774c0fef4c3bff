// The desktop shell as the program knows it: display names and system icons of files, folders and
// drives; file operations with the shell's own confirmations, progress and trash; the folder
// picker; verbs on paths; the properties sheet; the user's special folders; change notifications.
// User-interface thread only, except where a function says otherwise.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

class QObject;
class QWidget;

namespace platform {

class ImageList;
struct FindData;

// The path the shell uses for the "My Computer" folder (CSIDL_DRIVES) in the calls below.
inline constexpr std::string_view kMyComputerPath = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// ---- Display names and icons (SHGetFileInfo) ----------------------------------------------
// Display name: a file's or folder's name (readable also when it is not UTF-8, see
// displayText); a drive root's driveDisplayName(); "My Computer" for kMyComputerPath. Empty when
// the item does not exist.
QString shellDisplayName(std::string_view path);
// Type name: "JPEG Image", "File Folder", "Local Disk", ...
QString shellTypeName(std::string_view path);

enum class IconSize { Small /* 16 px */, Large /* 32 px */ };
// The process-wide system image lists; never destroyed. Their indexes are stable and every file
// of one type shares one index: the icon of a type is made once, not once per file.
ImageList& systemImageList(IconSize size);
// Index in systemImageList(size) of the item's icon (open = the open-folder icon of a folder).
// Distinct icons for folders, open folders, each drive type, the computer and file types;
// -1 when the item does not exist.
int shellIconIndex(std::string_view path, IconSize size, bool open = false);
// The icon of an entry an enumeration just returned, from its name and attributes alone: a
// listing asks nothing more of the file system for it, also when the entry has gone since.
int shellIconIndexOfEntry(const FindData& entry, IconSize size);

// ---- File operations (SHFileOperation) ---------------------------------------------------
enum : unsigned { FO_MOVE = 1, FO_COPY = 2, FO_DELETE = 3, FO_RENAME = 4 };
enum : unsigned {
    FOF_SILENT = 0x4,
    FOF_RENAMEONCOLLISION = 0x8,
    FOF_NOCONFIRMATION = 0x10,
    FOF_ALLOWUNDO = 0x40,
    FOF_NOERRORUI = 0x400,
};
struct ShFileOpStruct {
    QWidget* owner = nullptr;
    unsigned func = 0;
    std::string from; // one or more paths, each NUL-terminated, the list ended by another NUL
    std::string to;   // destination in the same form; may be empty (delete)
    unsigned flags = 0;
    bool anyOperationsAborted = false; // out
};
// Move / copy put a source inside an existing destination folder, or give it the destination's
// name otherwise; rename renames in place; delete with FOF_ALLOWUNDO sends to the desktop's trash
// (the freedesktop trash folder, restorable from the file manager), permanently otherwise.
// Unless flagged otherwise the shell asks its own confirmations (delete, replace) through
// messageBox(), shows a progress window for operations that take long, and reports failures in
// error boxes. Returns 0 on success, otherwise a Windows error code.
int shFileOperation(ShFileOpStruct& op);

// ---- Folder picker (SHBrowseForFolder) ---------------------------------------------------
enum : int {
    CSIDL_DESKTOP = 0x00,
    CSIDL_PRINTERS = 0x04,
    CSIDL_PERSONAL = 0x05,
    CSIDL_DRIVES = 0x11,
    CSIDL_NETWORK = 0x12,
    CSIDL_COMMON_STARTMENU = 0x16,
    CSIDL_COMMON_PROGRAMS = 0x17
};
// Shows a modal folder picker whose top is rootCsidl's shell folder (-1: whole namespace).
// Returns the chosen item's program path (a drive root keeps its backslash, "D:\"), or nullopt
// when cancelled or when the item has no file-system path.
std::optional<std::string> browseForFolder(QWidget* owner, const QString& title, int rootCsidl,
                                           bool includeFiles);
// Tests answer the picker instead of showing it.
using FolderPickerAnswerer = std::function<std::optional<std::string>(const QString& title)>;
void setFolderPickerAnswerer(FolderPickerAnswerer answerer);

// ---- Verbs (ShellExecute) ----------------------------------------------------------------
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5 };
// Performs a verb on a path without waiting: "" or "open" through the desktop's opener, "find"
// opens the desktop's file search (or its file manager) at the folder, "explore" the file manager.
// Returns a value above 32 on success; 32 or less is an error (2 file not found, 3 path not found,
// 5 access denied, 31 no association).
intptr_t shellExecute(QWidget* owner, const QString& verb, std::string_view file,
                      const QString& parameters, std::string_view directory, int showCmd);
struct ShellExecuteCall {
    QString verb;
    std::string file;
    QString parameters;
    std::string directory;
    int showCmd = 0;
};
// Tests record launches instead of starting programs; the answerer gives the result.
using ShellExecuteAnswerer = std::function<intptr_t(const ShellExecuteCall&)>;
void setShellExecuteAnswerer(ShellExecuteAnswerer answerer);

// ShellExecuteEx with the "properties" verb: the program's own properties sheet of a file or
// folder (name, type, location, size, dates, attributes), shown without blocking. False with
// lastError() set (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ...) when the item is missing.
bool showPropertiesSheet(QWidget* owner, std::string_view path);

// ---- Special folders ("Shell Folders" registry key) ---------------------------------------
// Reads a value of the current user's Shell Folders key ("DeskTop", "Favorites", "NetHood",
// "Personal", "Programs", "SendTo", "Start Menu", "StartUp") from the XDG user folders, as a
// program path; nullopt for a value the desktop does not have.
std::optional<std::string> shellFolderValue(std::string_view valueName);
std::string windowsDirectory(); // GetWindowsDirectory stand-in, a program path
std::string systemDirectory();  // GetSystemDirectory stand-in, a program path

// ---- Change notifications (SHChangeNotifyRegister) ----------------------------------------
enum : unsigned {
    SHCNE_RENAMEITEM = 0x1,
    SHCNE_CREATE = 0x2,
    SHCNE_DELETE = 0x4,
    SHCNE_MKDIR = 0x8,
    SHCNE_RMDIR = 0x10,
    SHCNE_MEDIAINSERTED = 0x20,
    SHCNE_MEDIAREMOVED = 0x40,
    SHCNE_DRIVEREMOVED = 0x80,
    SHCNE_DRIVEADD = 0x100,
    SHCNE_RENAMEFOLDER = 0x20000,
};
// Registers target to receive postMessage(target, msg, 1, event) for the events of the mask:
// folders made, removed or renamed inside the folders given to changeNotifyWatch, and drives or
// media added or removed anywhere. A burst of events about one folder, or about the drives, is
// one message carrying its first event; what the burst was about waits for changeNotifyTake
// (wParam 1 says so). Returns 0 when the service cannot be set up.
unsigned long changeNotifyRegister(QObject* target, unsigned eventMask, unsigned msg);
bool changeNotifyDeregister(unsigned long registration);
// What one change was about (the item lists of SHChangeNotification_Lock).
struct ChangeNotice {
    unsigned event = 0; // SHCNE_*
    // The folder it happened in, spelled as it was given to changeNotifyWatch (the program's own
    // changes: as the program named it); for a drive or medium event its root ("G:\"). Empty
    // when events were lost: anything may have changed.
    std::string folder;
    // The folder made, removed or renamed (old or new name) in it; empty when the folder itself
    // is to be looked at again (it was removed, or too much happened in it to tell).
    std::string name;
    bool operator==(const ChangeNotice&) const = default;
};
// The notices of the messages posted to a registration so far, oldest first, each handed out
// once. Several messages may be answered by one call; a message whose notices an earlier call
// took has none left.
std::vector<ChangeNotice> changeNotifyTake(unsigned long registration);
// The program folders whose sub-folders this registration follows (replaces the previous set),
// the most important first: only the first changeNotifyWatchCapacity() are followed, a share of
// the user's inotify watches that leaves other programs theirs. Events that follow one another
// within a short pause come as one message per folder (or one for the drives).
void changeNotifyWatch(unsigned long registration, const std::vector<std::string>& folders);
// Adds folders to those the registration follows while the share of watches has room, keeping the
// others: cheaper than the whole set again when a few folders have come.
void changeNotifyWatchMore(unsigned long registration, const std::vector<std::string>& folders);
size_t changeNotifyWatchCapacity();
// SHChangeNotify: the program announces a change it made itself; delivered to every registration
// whose mask has the event. A rename gives the new path too.
void shellChangeNotify(unsigned event, std::string_view path, std::string_view newPath = {});

} // namespace platform
