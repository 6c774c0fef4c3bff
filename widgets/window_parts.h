// Parts the program's windows share: the folder tree as every window sets it up, and the
// address bar that shows the current folder.
#pragma once

class QBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;
class TMavDirTree21;

// A directory tree set up as the windows use it: read-only, directory, archive and normal folders
// shown (hidden and system folders left out), English texts, no drag-and-drop, selection kept
// visible when the tree loses the focus.
TMavDirTree21* CreateFolderTree(QWidget* parent);

struct TAddressBar {
    QLabel* Panel9;         // "Address :"
    QLineEdit* EdSelFolder; // read-only, stretches with the window
};
TAddressBar CreateAddressBar(QWidget* parent, QBoxLayout* into);
