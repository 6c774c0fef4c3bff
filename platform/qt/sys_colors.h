// GetSysColor: the desktop's colours by their system index, from the application's palette on
// the user-interface thread; workers take the colours they need when they are created.
#pragma once

#include <QColor>

#include "platform/headless/sys_color_index.h"

namespace platform {

// The colour of a system index. Without a desktop application (command-line tools) the classic
// colours: white windows, light grey button faces.
QColor getSysColor(int index);

} // namespace platform
