#include "thumbs/thumbnail_window_list.h"

#include <QLineEdit>

#include "thumbs/tmainform.h"

namespace {

// Reads the window through its global instance at each call; without the window the list is
// empty.
class ThumbnailWindow final : public TViewerList {
public:
    int ItemCount() const override { return MainForm ? MainForm->ItemCount() : 0; }
    int ItemIndex() const override { return MainForm ? MainForm->ItemIndex() : -1; }
    void SelectItem(int index) override { MainForm->SelectItem(index); }
    QString ItemCaption(int index) const override { return MainForm->ItemCaption(index); }
    QString Folder() const override { return MainForm->EdSelFolder->text(); }
    TImage* Preview() const override { return MainForm ? MainForm->Image1 : nullptr; }
    TImage* PreviewCopy() const override { return MainForm ? MainForm->Image2 : nullptr; }
};

} // namespace

std::unique_ptr<TViewerList> ThumbnailWindowList() {
    return std::make_unique<ThumbnailWindow>();
}
