// The tree's node: a caption, the indexes of its normal and selected pictures in the system small
// image list, and the has-children flag that decides its expand button.
#pragma once

#include <string>

#include <QTreeWidgetItem>

// Nodes keep the indexes of their two pictures and whether their children have been built.
constexpr int ImageIndexRole = Qt::UserRole;
constexpr int SelectedIndexRole = Qt::UserRole + 1;
constexpr int BuiltRole = Qt::UserRole + 2;
// A folder whose name is not UTF-8 keeps the name's bytes here (a QByteArray): its caption is a
// readable rendering of them, and its path is made from the bytes.
constexpr int NameBytesRole = Qt::UserRole + 3;

// A node shows its selected picture (the open folder) while it is selected, its normal picture
// otherwise, expanded or not; it sorts by caption without regard to case, as the control's own
// child sort does.
class TTreeNode : public QTreeWidgetItem {
public:
    TTreeNode(const QString& caption, int imageIndex, int selectedIndex);
    QVariant data(int column, int role) const override;
    bool operator<(const QTreeWidgetItem& other) const override;
};

// A folder node named by the bytes the file system gives: its caption is the readable
// displayText of the name, and NodePathName gives back exactly the name.
void SetNodeName(QTreeWidgetItem* node, const std::string& name);
// The name a node adds to its path: pathText of its bytes when it keeps them, else its caption.
QString NodePathName(const QTreeWidgetItem* node);

// Has-children: an expand button whether or not children exist yet.
bool HasChildrenFlag(const QTreeWidgetItem* node);
void SetHasChildren(QTreeWidgetItem* node, bool value);
