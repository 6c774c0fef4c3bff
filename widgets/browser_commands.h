// The commands both browser windows carry out alike: the shell's search of the current folder,
// the help file beside the program and the confirmed permanent delete of one picture.
#pragma once

#include <string>

#include <QString>

class QWidget;

// Search: the shell's "find" verb on the folder (the address box text, ending in a backslash),
// started in that folder and owned by the application; the result is not examined.
void SearchFolder(const QString& folder);
// "Help Contain": the shell's default action on "lumograph help.chm" beside the program, owned by
// the window; a missing help file gives no message.
void OpenHelpFile(QWidget* owner);
// Delete: asks "Confirm" with Yes and No and on Yes deletes the file permanently, off the window
// thread with the progress window of a long operation. Returns whether the user said Yes; the
// deletion's own result is not examined, so the window lists its folder again either way.
bool DeleteAfterConfirming(QWidget* owner, const std::string& path);
