// The desktop's colours by their system index (GetSysColor).
#pragma once

namespace platform {

enum : int {
    COLOR_WINDOW = 5,   // the background of windows and lists
    COLOR_BTNFACE = 15, // the face of buttons and dialogs
};

} // namespace platform
