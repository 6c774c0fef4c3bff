// Opening the viewer from the thumbnail window.
#include "thumbs/viewer_opening.h"

#include "viewer/tform4.h"

void ShowPictureInViewer(const QString& folder, const QString& fileName) {
    Form4->OpenPicture(folder, fileName);
}
