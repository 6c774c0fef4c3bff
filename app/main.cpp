// Lumograph: names the application, creates the window set, shows the main window and runs the
// event loop until the program is told to end. Takes no arguments.
#include "app/application.h"
#include "app/window_set.h"
#include "browser/tform1.h"
#include "platform/qt/network.h"
#include "widgets/window_frames.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    platform::restorePersistentConnections();
    CreateWindowSet();
    CentreOnDesktop(Form1);
    Form1->show();
    const int result = application.exec();
    DestroyWindowSet();
    return result;
}
