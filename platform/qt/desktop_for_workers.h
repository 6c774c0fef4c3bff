// Connects workers to this desktop (platform/headless/worker_desktop.h): their error boxes go
// through messageBox() and can be answered by tests, their icons come from the shell's large
// system image list and their colours from the application's palette.
#pragma once

namespace platform {

// Called once by the application object before any worker starts.
void installDesktopForWorkers();

} // namespace platform
