// The tree's node: a caption, the indexes of its normal and selected pictures in the system small
// image list, and the has-children flag that decides its expand button.
#pragma once

#include <QTreeWidgetItem>

// Nodes keep the indexes of their two pictures and whether their children have been built.
constexpr int ImageIndexRole = Qt::UserRole;
constexpr int SelectedIndexRole = Qt::UserRole + 1;
constexpr int BuiltRole = Qt::UserRole + 2;

// A node shows its selected picture (the open folder) while it is selected, its normal picture
// otherwise, expanded or not; it sorts by caption without regard to case, as the control's own
// child sort does.
class TTreeNode : public QTreeWidgetItem {
public:
    TTreeNode(const QString& caption, int imageIndex, int selectedIndex);
    QVariant data(int column, int role) const override;
    bool operator<(const QTreeWidgetItem& other) const override;
};

// Has-children: an expand button whether or not children exist yet.
bool HasChildrenFlag(const QTreeWidgetItem* node);
void SetHasChildren(QTreeWidgetItem* node, bool value);
