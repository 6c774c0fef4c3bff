// TViewerList: what the viewer reads and moves in the list it walks. The program hands the viewer
// the thumbnail window's list when the windows are made; a test or a benchmark hands it one of
// its own. The viewer knows the list only through this interface.
#pragma once

#include <QString>

class TImage;

class TViewerList {
public:
    virtual ~TViewerList() = default;
    virtual int ItemCount() const = 0;
    virtual int ItemIndex() const = 0; // the selected item, -1 when none
    virtual void SelectItem(int index) = 0;
    virtual QString ItemCaption(int index) const = 0;
    virtual QString Folder() const = 0;      // the items' folder, ending in a backslash
    virtual TImage* Preview() const = 0;     // shows the picture the viewer steps to
    virtual TImage* PreviewCopy() const = 0; // keeps the same picture with its own size
};
