// TMavDirTree21: the folder tree every window embeds. Its root is "My Computer", its second level
// the drives, deeper levels the folders, built when a node first expands. A click or a navigation
// key turns the node into a path, stores it in SelectedPath and raises OnDirChange.
// User-interface thread only. The tree owns its nodes, its context menu and its change
// notification registration.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QHash>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QTreeWidget>

#include "dirtree/languages.h"

class TExpandAllBelow;
class TMavFilelistView28;
class TMavDirTree21PopUp;
namespace platform {
class ImageList;
}

enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive, ftNormal };
// A set of TFileAttr, one bit per member (1 << member).
using TFileType = unsigned;
constexpr TFileType FileTypeOf(std::initializer_list<TFileAttr> members) {
    TFileType set = 0;
    for (TFileAttr m : members)
        set |= 1u << m;
    return set;
}

// What lies under a point of the tree (TTreeView.GetHitTestInfoAt).
enum THitTest { htNowhere, htOnItem /* label */, htOnIcon, htOnButton, htOnIndent, htOnRight };

using TDirChangeEvent = std::function<void(QObject* Sender, const QString& SelectedPath)>;
using TFileChangeEvent = std::function<void(QObject* Sender, const QString& SelectedFile)>;
using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TKeyEvent = std::function<void(QObject* Sender, int Key, Qt::KeyboardModifiers Shift)>;
using TTVEditingEvent =
    std::function<void(QObject* Sender, QTreeWidgetItem* Node, bool& AllowEdit)>;
using TDragOverEvent =
    std::function<void(QObject* Sender, QObject* Source, int X, int Y, bool& Accept)>;
using TDragDropEvent = std::function<void(QObject* Sender, QObject* Source, int X, int Y)>;

class TMavDirTree21 : public QTreeWidget {
    Q_OBJECT
public:
    explicit TMavDirTree21(QWidget* parent = nullptr);
    ~TMavDirTree21() override;

    // Published properties.
    TFileType FolderType() const;
    void setFolderType(TFileType value);
    TMavFilelistView28* FileList() const;
    void setFileList(TMavFilelistView28* value);
    TLanguage Language() const;
    void setLanguage(TLanguage value);
    bool PopUpMenuEnabled() const;
    void setPopUpMenuEnabled(bool value);
    QString SelectedPath() const;
    void setSelectedPath(const QString& value);
    QString SelectedFile() const;
    void setSelectedFile(const QString& value);
    QString About() const;
    void setAbout(const QString& value);
    bool DragDropEnabled() const;
    void setDragDropEnabled(bool value);

    TDirChangeEvent OnDirChange;
    TFileChangeEvent OnFileChange;
    TMouseEvent OnMouseDown;   // raised before the tree handles the press
    TKeyEvent OnKeyUp;         // raised for the five navigation keys
    TTVEditingEvent OnEditing; // asked before a folder's caption is edited
    TDragOverEvent OnDragOver; // asked first when a drag passes over the tree
    TDragDropEvent OnDragDrop; // after a successful drop, or a drop beside every node

    // Operations.
    void Reload();
    void OpenPath(const QString& path);
    void GoToFolder(const QString& path);
    QString GetNodePath(QTreeWidgetItem* node) const;
    void AddRootNode();
    void AddDrives();
    void AddFolders(const QString& path, QTreeWidgetItem* node);
    THitTest HitTest(const QPoint& point) const; // point in viewport coordinates
    QTreeWidgetItem* Root() const;               // the "My Computer" node, or nullptr
    // Keypad "*" expands everything below the selected node, a slice at a time; true until it is
    // done or stopped by a key or a click.
    bool ExpandingAll() const;
    // 0 for the root, 1 for a drive, 2 and deeper for folders.
    static int NodeLevel(const QTreeWidgetItem* node);

    // Folder commands of the context menu and the keys (mav_dir_tree_commands.cpp). node nullptr
    // means the selected node; an empty name the language's default folder name.
    bool CreateFolder(QTreeWidgetItem* node, const QString& name);
    bool DeleteFolder(QTreeWidgetItem* node);
    void SetClipboardOp(int op); // TClipOp: coCopy or coCut
    void PasteFolder();
    // The total in bytes, after the report; -1 when the count was stopped (nothing reported).
    double ShowTreeSize();
    void ShowFolderContentsWindow();
    void ConnectNetDrive();
    void DisconnectNetDrive();
    void ShowFolderProperties();
    TMavDirTree21PopUp* PopupMenu() const;
    bool PasteArmed() const;

    // In-place rename (mav_dir_tree_rename.cpp): the can-edit test, starting the editor and the
    // rename a finished edit asks for.
    bool ReadOnly() const;
    void setReadOnly(bool value);
    bool CanEdit(QTreeWidgetItem* node);
    void EditNode(QTreeWidgetItem* node);
    void RenameNode(QTreeWidgetItem* node, const QString& newName);

    // Drag-and-drop (mav_dir_tree_drag.cpp): the answer to a drag passing over a point, and the
    // drop at a point; source is the object the drag came from.
    bool TreeDragOver(QObject* source, const QPoint& point);
    void TreeDragDrop(QObject* source, const QPoint& point);

    // The shell's change notifications for the tree arrive as this message.
    static constexpr unsigned WM_SHELLNOTIFY = 1026; // WM_USER + 2
    static constexpr unsigned ShellNotifyEvents = 0x201F8;

protected:
    // Hook points for the folder commands that the context menu brings (new folder, clipboard,
    // paste, properties, in-place rename, the menu itself and dragging). The keys and the language
    // change call a hook when it is set; the constructor sets them to the folder commands.
    struct TTreeCommandHooks {
        std::function<void()> NewFolder;             // Ctrl+N: new folder under the selected node
        std::function<void(int op)> ClipboardOp;     // Ctrl+C (0, copy) and Ctrl+X (2, cut)
        std::function<void()> Paste;                 // Ctrl+V
        std::function<void()> Properties;            // Alt+Enter
        std::function<void()> Rename;                // F2: edit the selected node's caption
        std::function<void()> BuildMenu;             // after a language change
        std::function<void(QMouseEvent*)> StartDrag; // left press on a node, DragDropEnabled
    };
    TTreeCommandHooks CommandHooks;
    // Sets the hooks above to the folder commands and builds the context menu.
    void InstallFolderCommands();

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class TTreeNode;
    class BatchUpdate;
    class TCommandEvents;
    class TRenameDelegate;

    void InstallEventFilters();
    void BuildMenu();
    void StartDrag(QMouseEvent* event);
    void BeginDragIfMoved(const QPoint& point);
    void FolderContentsClosed(const QString& folder, const QString& chosenFile);
    QTreeWidgetItem* NodeAt(const QPersistentModelIndex& index) const;

    void TreeExpanding(QTreeWidgetItem* node);
    bool HasSubFolders(const QString& folder) const;
    THitTest HandlePress(QMouseEvent* event); // the click; returns where it fell
    QTreeWidgetItem* SelectedNode() const;
    void NavigationKeyUp();
    // A click or navigation key on node: its path ("My Computer" for the root, whose drives are
    // added when it has none) becomes SelectedPath. Returns the path computed (empty for the root).
    QString TakeNodeAsSelected(QTreeWidgetItem* node);
    bool IsDriveNotReady(QTreeWidgetItem* node, const QString& path) const;
    void CollapseAll(QTreeWidgetItem* node);
    void UpdateWatchedFolders();
    QIcon NodeIcon(int imageIndex) const;
    // Selects the node of a folder path (trailing backslash), opening the way down; false, with
    // the nodes matched so far selected and open, when a part has no node.
    bool SelectPathNode(const QString& target);

    // Node builders: a drive's node (and its network flag), the names of the folders the filter
    // lets through in a directory (trailing backslash), and a folder's node with its expand button.
    QTreeWidgetItem* MakeDriveNode(int bit);
    std::vector<std::string> ListFolders(const QString& directory) const;
    QTreeWidgetItem* MakeFolderNode(const QString& directory, const std::string& name,
                                    bool network) const;
    bool IsNetworkFolder(const QString& path) const; // no look inside its sub-folders
    static void SortChildren(QTreeWidgetItem* node);

    // Following the disk (mav_dir_tree_follow.cpp).
    void NoteShellMessage(unsigned long wParam, unsigned event);
    void ShellNotify();
    QTreeWidgetItem* FindShownNode(const QString& path) const; // nullptr when not built
    // A folder made, removed or renamed in folder (name), or folder itself changed (no name).
    // Returns the path of the folder node it added, if any.
    QString FollowFolder(const QString& folder, const QString& name);
    void FollowDrive(int bit, unsigned events);
    void LookAgainEverywhere(); // the drives and every listed folder, read again
    // A listed node's children read again: new folders added, gone ones removed, the others
    // kept with their branches.
    void MergeChildren(QTreeWidgetItem* node);
    void InsertChildSorted(QTreeWidgetItem* parent, QTreeWidgetItem* child);
    void UpdateExpandButton(QTreeWidgetItem* node, const QString& path);
    void RemoveNode(QTreeWidgetItem* node);
    // The selected folder went away: the nearest folder above it that still exists, or
    // "My Computer" when its drive is gone; raises OnDirChange.
    void ReopenSelection(const QString& remembered);

    TFileType FFolderType;
    TMavFilelistView28* FFileList = nullptr;
    TLanguage FLanguage = lnSysDefault;
    bool FPopUpMenuEnabled = true;
    QString FSelectedPath;
    QString FSelectedFile;
    bool FDragDropEnabled = true;

    QString PrevPath;
    QString LastFolder;
    std::array<bool, 26> NetDriveFlags{};
    unsigned long NotifyRegistration = 0;
    int BatchDepth = 0;
    bool WatchesOutdated = false;    // the folders to follow changed inside a batch update
    bool ShellNotifyPending = false; // the messages arriving now are followed once
    bool UntoldChange = false;       // a message did not tell what changed: look everywhere
    bool WatchUpdateQueued = false;  // the folders to follow are worked out once events ran
    platform::ImageList* Images;
    mutable QHash<int, QIcon> IconCache;

    // Folder commands, rename and drag-and-drop.
    TMavDirTree21PopUp* Menu = nullptr;
    bool FReadOnly = false;
    QString ClipSourcePath; // the folder of a pending Cut or Copy
    bool FPasteArmed = false;
    QString DropTargetPath;
    bool SuppressRenameConfirm = false;
    bool EditCommitted = false; // the caption being edited was handed in (Enter, focus lost)
    QPersistentModelIndex DragSourceNode;
    // The folder a left press picked up for a drag: kept apart from ClipSourcePath, so that a
    // click never changes what a pending Cut or Copy will paste.
    QString DragSourcePath;
    bool LeftButtonDown = false; // between a left press and its release on the tree
    bool DragPending = false;    // a drag waits for the mouse to move far enough
    QPoint DragStartPoint;
    bool DeferredShellNotify = false; // a change arrived while a caption was being edited
    TExpandAllBelow* ExpandAll;       // a child object of the tree
};
