#include "app/window_set.h"

#include "browser/destination_dialogs.h"
#include "browser/tform1.h"
#include "browser/tform5.h"
#include "browser/tform6.h"
#include "thumbs/thumbnail_window_list.h"
#include "thumbs/tmainform.h"
#include "viewer/tform4.h"

void CreateWindowSet() {
    Form1 = new TForm1;
    MainForm = new TMainForm;
    moveform = new Tmoveform;
    copyform = new Tcopyform;
    Form4 = new TForm4(ThumbnailWindowList());
    Form5 = new TForm5;
    Form6 = new TForm6;
}

void DestroyWindowSet() {
    delete Form6;
    delete Form5;
    delete Form4;
    delete copyform;
    delete moveform;
    delete MainForm;
    delete Form1;
}
