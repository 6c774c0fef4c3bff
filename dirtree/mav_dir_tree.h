// TMavDirTree21: the folder tree every window embeds. Its root is "My Computer", its second level
// the drives, deeper levels the folders, built when a node first expands. A click or a navigation
// key turns the node into a path, stores it in SelectedPath and raises OnDirChange.
// User-interface thread only. The tree owns its nodes, its context menu and its change
// notification registration.
#pragma once

#include <QTreeWidget>

#include <array>
#include <functional>
#include <memory>

#include "dirtree/languages.h"

class TMavFilelistView28;

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
    TMouseEvent OnMouseDown; // raised before the tree handles the press
    TKeyEvent OnKeyUp;       // raised for the five navigation keys

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
};
