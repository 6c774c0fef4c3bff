// Windows-style error codes and the calling thread's last error, as the program's code expects
// them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The subset of system error codes the program and its tree component look at.
enum : uint32_t {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_INVALID_DRIVE = 15,
    ERROR_NOT_SAME_DEVICE = 17,
    ERROR_NO_MORE_FILES = 18,
    ERROR_NOT_READY = 21,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_HANDLE_EOF = 38,
    ERROR_NOT_SUPPORTED = 50,
    ERROR_BAD_NETPATH = 53,
    ERROR_FILE_EXISTS = 80,
    ERROR_ALREADY_ASSIGNED = 85,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_DISK_FULL = 112,
    ERROR_INVALID_NAME = 123,
    ERROR_DIR_NOT_EMPTY = 145,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_NO_ASSOCIATION = 1155,
    ERROR_DDE_FAIL = 1156,
    ERROR_DLL_NOT_FOUND = 1157,
    ERROR_BAD_DEVICE = 1200,
    ERROR_CANCELLED = 1223,
    ERROR_NOT_CONNECTED = 2250,
};

// GetLastError / SetLastError: thread-local, set by every failing platform call.
uint32_t lastError();
void setLastError(uint32_t code);

// Maps a host errno to the closest Windows code (ENOENT -> 2, EACCES -> 5, EEXIST -> 80, ...).
uint32_t errorFromErrno(int err);

// FormatMessage: the system's English text for a code ("The system cannot find the file
// specified."); an unknown code gives a generic text that includes the number.
std::string systemMessage(uint32_t code);

} // namespace platform
