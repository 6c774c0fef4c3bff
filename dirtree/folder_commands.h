// The rules of the tree's folder commands as plain functions: which menu items are enabled, the
// operation codes the commands end in, the tree-size report, the folder-contents caption, and the
// checks and texts of a rename. The tree and its menu only put these results on the screen.
#pragma once

#include <array>

#include <QLocale>
#include <QString>

#include "dirtree/languages.h"
#include "platform/qt/shell.h"

// ---- Operation codes ----------------------------------------------------------------------------

// Indexes into OpTable: the shell operation a clipboard, drag or rename command ends in.
enum TOpIndex {
    opCopy = 0,   // paste after Ctrl+C, a drop with Ctrl held at the drag start
    opDelete = 1, // not reached through the table: DeleteFolder asks the shell directly
    opMove = 2,   // paste after Ctrl+X, a drop without Ctrl
    opRename = 3, // not reached through the table: a rename asks the shell directly
};
inline constexpr std::array<unsigned, 4> OpTable = {platform::FO_COPY, platform::FO_DELETE,
                                                    platform::FO_MOVE, platform::FO_RENAME};

// ClipOp: the pending clipboard operation, shared by every tree of the process.
enum TClipOp {
    coNone = -1, // nothing cut or copied yet (or the last cut/copy had no folder to take)
    coCopy = opCopy,
    coCut = opMove,
};
// DragOp: the operation of the drag in progress, fixed when the drag starts.
enum TDragOp {
    doCopy = opCopy, // Ctrl was held when the drag started
    doMove = opMove, // otherwise
};

// Unit-level state shared by all trees (the menu's clipboard operation and the drag's).
extern int ClipOp;
extern int DragOp;

// ---- Context menu
// ---------------------------------------------------------------------------------

// The tags of the eleven menu items, in menu order; 0 is no command.
enum TMenuTag {
    tagNone = 0,
    tagAddNode = 1,
    tagEditNode,
    tagDelNode,
    tagCutNode,
    tagCopyNode,
    tagPasteNode,
    tagGetTreeSize,
    tagShowFolderContents,
    tagConnectNetResource,
    tagDisConnectNetResource,
    tagItemProperty,
};
inline constexpr int MenuItemCount = 11;

// Enabled state of each item (index tag - 1) for the selected node's level (-1: nothing
// selected, 0 the root, 1 a drive, 2 and deeper a folder) and the tree's PasteArmed.
std::array<bool, MenuItemCount> MenuItemStates(int selectedLevel, bool pasteArmed);

// ---- Tree size
// ------------------------------------------------------------------------------------

// The user's locale as the report formats numbers: with thousands separators, also under the "C"
// locale, which would otherwise leave them out.
QLocale ReportLocale();
// "Drive C:\" for a drive (level 1), Folder "name" for a folder, empty for the root.
QString TreeSizeHeading(int level, const QString& path, const TLanguageTexts& texts);
// The total as "%0.0n Bytes": "1,234,567 Bytes" in an English locale.
QString TreeSizeByteText(double total, const QLocale& locale);
// "%.2n KB" of total / 1024 (a total between 0 and 1024 counts as 1 KB), or "%.2n MB" once the
// kilobytes exceed 99999.
QString TreeSizeSizeText(double total, const QLocale& locale);
// The information box's whole text.
QString TreeSizeMessage(const QString& heading, double total, const TLanguageTexts& texts,
                        const QLocale& locale);

// ---- Folder contents window ---------------------------------------------------------------------

// The caption's folder part: " C:\ " for a drive (level 1), " ..\name " for a folder, in double
// quotes; the caption is "Files in " followed by it.
QString FolderContentsTitlePart(int level, const QString& path);
QString FolderContentsCaption(int level, const QString& path);

// ---- Rename
// ---------------------------------------------------------------------------------------

// The last name of a path, trailing backslash ignored: "C:\Photos\2008\" gives "2008".
QString LastName(const QString& path);
// A name a folder may take: not empty and none of InvalidFolderNameChars.
bool IsValidFolderName(const QString& name);
// The path a folder gets when renamed: its parent folder part followed by the new name.
QString RenamedPath(const QString& oldPath, const QString& newName);
// The confirmation question for renaming oldPath to newPath.
QString RenameQuestionText(const QString& oldPath, const QString& newPath,
                           const TLanguageTexts& texts);
// The text of the box that refuses an invalid new name.
QString InvalidNameText(const QString& name, const TLanguageTexts& texts);

// ---- Paste and drop
// -------------------------------------------------------------------------------

// Moving or copying folder `source` into folder `target` would put it inside itself.
bool PutsFolderInsideItself(const QString& source, const QString& target);

// ---- Can-edit
// ---------------------------------------------------------------------------------------

// The tree's own answer before the user's OnEditing: folders only, and not while read-only.
bool NodeCanBeEdited(int level, bool readOnly);
