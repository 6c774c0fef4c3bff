// TFolderNavigation: how both browser windows move through folders with their tree — the Back
// history of presses on the tree's nodes, Back, Up one level and Refresh — on the controls and the
// history each window hands it. Every route ends in the window's own folder-change handler
// (explorDirChange), which is where the windows differ. User-interface thread only.
#pragma once

#include <functional>

#include <QString>

#include "dirtree/mav_dir_tree.h"
#include "widgets/handler_guard.h"
#include "widgets/navigation.h"

class QToolButton;

class TFolderNavigation {
public:
    // tree: the window's explor; back: its BtnBack; history: its BackFwdList and BackFwdIndex;
    // applyFolder: its explorDirChange for the tree's current folder. All outlive the helper.
    TFolderNavigation(TMavDirTree21* tree, QToolButton* back, TBackHistory& history,
                      std::function<void()> applyFolder);

    // The window's creation: an empty history and Back disabled.
    void Start();
    // explorMouseDown: a press on a node's icon or label records the folder being left (the tree
    // has not yet selected the pressed node); anywhere else nothing.
    void MouseDown(int x, int y);
    // BackFwdLstUpdate.
    void RecordFolderLeft();
    // BtnBackClick: opens the newest folder Back can visit, shows the tree's folder again (also
    // when the tree refused that one) and steps the history back.
    void Back();
    // BtnPrevLevelClick: opens the parent folder; nothing at a drive root.
    void UpOneLevel();
    // Refresh: rebuilds the tree and selects its folder again.
    void Refresh();

private:
    TMavDirTree21* tree_;
    QToolButton* back_;
    TBackHistory& history_;
    std::function<void()> applyFolder_;
};

// Binds the tree's OnDirChange and OnMouseDown to the window's explorDirChange and
// explorMouseDown, guarded so that an exception leaving them reaches the standard error box.
template <typename Window> void BindFolderTree(Window* window, TMavDirTree21* tree) {
    tree->OnDirChange = Guarded(
        [window](QObject* sender, const QString& path) { window->explorDirChange(sender, path); });
    tree->OnMouseDown =
        Guarded([window](QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                         int x, int y) { window->explorMouseDown(sender, button, shift, x, y); });
}
