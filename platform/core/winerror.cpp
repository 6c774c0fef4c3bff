// The thread's last error and the mapping of host errno values onto Windows codes and texts.
#include "platform/core/winerror.h"

#include <cerrno>
#include <cstdio>

namespace platform {

namespace {
thread_local uint32_t tLastError = ERROR_SUCCESS;
constexpr uint32_t kGenFailure = 31; // ERROR_GEN_FAILURE
} // namespace

uint32_t lastError() {
    return tLastError;
}

void setLastError(uint32_t code) {
    tLastError = code;
}

uint32_t errorFromErrno(int err) {
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        return ERROR_NOT_READY;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
    case ELOOP:
    case EILSEQ:
        return ERROR_INVALID_NAME;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
        return ERROR_BAD_NETPATH;
    case ECANCELED:
        return ERROR_CANCELLED;
    default:
        return kGenFailure;
    }
}

std::string systemMessage(uint32_t code) {
    switch (code) {
    case ERROR_SUCCESS:
        return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND:
        return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND:
        return "The system cannot find the path specified.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough storage is available to process this command.";
    case ERROR_INVALID_DRIVE:
        return "The system cannot find the drive specified.";
    case ERROR_NOT_SAME_DEVICE:
        return "The system cannot move the file to a different disk drive.";
    case ERROR_NO_MORE_FILES:
        return "There are no more files.";
    case ERROR_NOT_READY:
        return "The device is not ready.";
    case kGenFailure:
        return "A device attached to the system is not functioning.";
    case ERROR_SHARING_VIOLATION:
        return "The process cannot access the file because it is being used by another process.";
    case ERROR_HANDLE_EOF:
        return "Reached the end of the file.";
    case ERROR_NOT_SUPPORTED:
        return "The request is not supported.";
    case ERROR_BAD_NETPATH:
        return "The network path was not found.";
    case ERROR_FILE_EXISTS:
        return "The file exists.";
    case ERROR_ALREADY_ASSIGNED:
        return "The local device name is already in use.";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect.";
    case ERROR_DISK_FULL:
        return "There is not enough space on the disk.";
    case ERROR_INVALID_NAME:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case ERROR_DIR_NOT_EMPTY:
        return "The directory is not empty.";
    case ERROR_ALREADY_EXISTS:
        return "Cannot create a file when that file already exists.";
    case ERROR_NO_ASSOCIATION:
        return "No application is associated with this file for this operation.";
    case ERROR_DDE_FAIL:
        return "An error occurred in sending the command to the application.";
    case ERROR_DLL_NOT_FOUND:
        return "One of the library files needed to run this application cannot be found.";
    case ERROR_BAD_DEVICE:
        return "The device name is not valid.";
    case ERROR_CANCELLED:
        return "The operation was canceled by the user.";
    case ERROR_NOT_CONNECTED:
        return "This network connection does not exist.";
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Unknown error (%u).", static_cast<unsigned>(code));
        return text;
    }
    }
}

} // namespace platform
