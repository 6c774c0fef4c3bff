// TViewerList: what the viewer reads and moves in the list it walks. The program's viewer walks
// the thumbnail window's item list and loads its preview and the preview's hidden copy
// (ThumbnailWindowList); a test can hand the viewer a list of its own.
#pragma once

#include <memory>

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

// The thumbnail window's list, folder box, preview Image1 and hidden copy Image2.
std::unique_ptr<TViewerList> ThumbnailWindowList();
