// Copy, move and delete of one file for the windows' commands: copyFile, moveFile and deleteFile
// of files.h, run off the window thread (file_op_worker.h). The progress window of the shell's
// file operations appears after about a second and its Cancel stops the operation; no question
// and no error box of their own. User-interface thread only.
#pragma once

#include <string>

class QWidget;

namespace platform {

// As copyFile, moveFile and deleteFile: true on success, else false with lastError() set
// (ERROR_CANCELLED when the user cancelled).
bool copyFileShowingProgress(QWidget* owner, const std::string& source,
                             const std::string& destination);
bool moveFileShowingProgress(QWidget* owner, const std::string& source,
                             const std::string& destination);
bool deleteFileShowingProgress(QWidget* owner, const std::string& path);

} // namespace platform
