// TMavDirTree21PopUp: the directory tree's context menu of eleven folder commands, with captions
// in the tree's language and a glyph per item. A thin layer: the enabled states come from
// MenuItemStates and every item runs one of the tree's commands. Owned by its tree; user-interface
// thread only.
#pragma once

#include <array>

#include <QMenu>

#include "dirtree/folder_commands.h"
#include "dirtree/languages.h"

class TMavDirTree21;

class TMavDirTree21PopUp : public QMenu {
    Q_OBJECT
public:
    // Item names and bitmap names, in menu order (tag - 1).
    static const std::array<const char*, MenuItemCount> ItemNames;
    static const std::array<const char*, MenuItemCount> BitmapNames;
    // The pixels right of and below the requested point at which the menu opens.
    static constexpr int PopupOffset = 10;

    TMavDirTree21PopUp(TMavDirTree21* tree, TLanguage language);

    // Creates the eleven items and the separators after items 3, 6, 8 and 10 with the captions of
    // the language.
    void BuildMenu(TLanguage language);
    // Sets each item's enabled state for the tree's selection as it is now.
    void UpdateEnabledStates();
    // Opens the menu PopupOffset pixels right of and below a point on the screen.
    void Popup(const QPoint& globalPoint);
    QAction* Item(int tag) const;
    // The shared handler of the items: ignores a sender without a name or with tag 0, otherwise
    // runs the command of the sender's tag.
    void MenuItemClick(QObject* sender);

private:
    void RunCommand(int tag);

    TMavDirTree21* Tree;
    std::array<QIcon, MenuItemCount> Bitmaps;
};
