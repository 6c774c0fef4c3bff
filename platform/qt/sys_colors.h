// GetSysColor: the desktop's colours by their system index, from the application's palette on
// the user-interface thread; workers take the colours they need when they are created.
#pragma once

#include <QColor>

namespace platform {

enum : int {
    COLOR_WINDOW = 5,   // the background of windows and lists
    COLOR_BTNFACE = 15, // the face of buttons and dialogs
};

// The colour of a system index. Without a desktop application (command-line tools) the classic
// colours: white windows, light grey button faces.
QColor getSysColor(int index);

} // namespace platform
