// Opening the viewer from the thumbnail window.
#include "thumbs/viewer_opening.h"

#include <QLineEdit>

#include "viewer/tform4.h"
#include "widgets/timage.h"

void ShowPictureInViewer(const QString& folder, const QString& fileName) {
    Form4->show();
    Form4->Edit1->setText(folder);
    Form4->Edit2->setText(fileName);
    Form4->Image1->LoadFromFile((Form4->Edit1->text() + Form4->Edit2->text()).toStdString());
}
