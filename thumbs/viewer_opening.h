// How the thumbnail window opens the viewer on a picture, by the viewer's opening contract: show
// it, put the folder (ending with a backslash) and the file name into its two hidden fields, and
// load the picture folder + file into its picture box. A picture that cannot be loaded raises the
// loader's error; the viewer is shown by then.
#pragma once

#include <QString>

void ShowPictureInViewer(const QString& folder, const QString& fileName);
