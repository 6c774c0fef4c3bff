// Files and folders in the program's namespace: find-file enumeration with Windows semantics,
// attributes, existence, size, copy, move, delete and folder creation. Standard C++ only.
//
// Every call takes program paths (see drives.h). A failing call returns false (or the invalid
// value) and sets the thread's lastError() to a Windows code.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace detail {
class CopyObserver;
}

enum : uint32_t {
    FILE_ATTRIBUTE_READONLY = 0x01,
    FILE_ATTRIBUTE_HIDDEN = 0x02,
    FILE_ATTRIBUTE_SYSTEM = 0x04,
    FILE_ATTRIBUTE_VOLUMEID = 0x08,
    FILE_ATTRIBUTE_DIRECTORY = 0x10,
    FILE_ATTRIBUTE_ARCHIVE = 0x20,
    FILE_ATTRIBUTE_NORMAL = 0x80,
    INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF,
};

// Host facts behind the attribute bits: a name starting with a dot (other than "." and "..") or a
// user.DOSATTRIB extended attribute with bit 0x02 makes an entry hidden; DOSATTRIB also carries
// system and archive; no write permission makes it read-only; folders carry DIRECTORY; a plain
// file carries ARCHIVE unless DOSATTRIB says otherwise; NORMAL stands alone when no other bit is
// set.
struct FindData {
    std::string name;        // the entry's name as the file system returns it
    uint32_t attributes = 0; // FILE_ATTRIBUTE_* bits
    uint64_t size = 0;       // 64-bit size in bytes (0 for folders)
    int64_t writeTime = 0;   // last write, seconds since 1970-01-01 UTC
};

// FindFirstFile / FindNextFile / FindClose over a pattern such as "C:\Photos\*.jpg".
// Wildcards * and ? in the last component match without regard to case ("*.*" matches every
// name, also one without a dot; no 8.3 short-name matching, so "*.jpg" does not match "c.jpeg").
// "." and ".." are reported (when the pattern matches them) except at a drive's root.
// Entries come in name order without regard to case, so two enumerations of one folder agree.
// The search is closed when the object dies.
//
// FindScope::SubFolders reports only the folders among the matches, without "." and "..", as
// FindFirstFileEx's limit to directories would, and spares looking at each file: a tree of folders
// lists a folder of ten thousand pictures as quickly as an empty one.
enum class FindScope { AllEntries, SubFolders };

class FindFile {
public:
    explicit FindFile(std::string_view pattern, FindScope scope = FindScope::AllEntries);
    ~FindFile();
    FindFile(const FindFile&) = delete;
    FindFile& operator=(const FindFile&) = delete;

    // The next entry; the first call gives the first one. False at the end or when the folder
    // cannot be read (lastError() tells which: ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND / ...).
    bool next(FindData& out);
    // The names that match the pattern but are left out because a backslash in them would make
    // their path name another item (a name the host's file system allows), in the order next()
    // would have given them. Known from the start of the search.
    const std::vector<std::string>& unnamableNames() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

uint32_t getFileAttributes(std::string_view path); // INVALID_FILE_ATTRIBUTES when missing
// Sets READONLY (write permission), HIDDEN, SYSTEM and ARCHIVE (through user.DOSATTRIB).
// False when the extended attribute cannot be written; the caller may ignore that.
bool setFileAttributes(std::string_view path, uint32_t attributes);

bool fileExists(std::string_view path); // a file; a folder does not count
// True when path names a symbolic link whose target is gone (or a loop of links). The calls here
// take such a link for a file of its own: find-file lists it, fileExists finds it, deleteFile
// removes the link itself.
bool isBrokenLink(std::string_view path);
bool directoryExists(std::string_view path);             // a folder (a drive root counts)
std::optional<uint64_t> fileSize(std::string_view path); // nullopt when it cannot be read

// CopyFile with failIfExists: fails with ERROR_FILE_EXISTS and leaves the destination untouched
// when it exists. The copy is written under a temporary name in the destination folder and then
// renamed, so a failure leaves no half-written file behind. observer, when given, follows the
// copy and may stop it (copy_observer.h).
bool copyFile(std::string_view source, std::string_view destination,
              detail::CopyObserver* observer = nullptr);
// MoveFile: never replaces an existing destination (ERROR_ALREADY_EXISTS). Works for files and
// folders; across file systems it copies, then removes the source only when the copy is complete,
// so a failure never loses the source, and never removes a file another program has open for
// writing (ERROR_SHARING_VIOLATION, the source stays), as DeleteFile refuses such a file. observer
// as for copyFile.
bool moveFile(std::string_view source, std::string_view destination,
              detail::CopyObserver* observer = nullptr);
// Permanent, files only; a read-only one stays. observer, when given, is asked just before the
// file goes, and a stop requested leaves it (ERROR_CANCELLED).
bool deleteFile(std::string_view path, const detail::CopyObserver* observer = nullptr);
bool createDirectory(std::string_view path); // fails with ERROR_ALREADY_EXISTS when present
bool removeDirectory(std::string_view path); // an empty folder only

} // namespace platform
