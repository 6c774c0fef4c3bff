// The tree's node and its has-children flag.
#include "dirtree/tree_node.h"

#include "dirtree/mav_dir_tree.h"
#include "platform/qt/path_text.h"

TTreeNode::TTreeNode(const QString& caption, int imageIndex, int selectedIndex) {
    setText(0, caption);
    setData(0, ImageIndexRole, imageIndex);
    setData(0, SelectedIndexRole, selectedIndex);
    SetHasChildren(this, false);
}

QVariant TTreeNode::data(int column, int role) const {
    if (column != 0 || role != Qt::DecorationRole)
        return QTreeWidgetItem::data(column, role);
    const auto* tree = qobject_cast<const TMavDirTree21*>(treeWidget());
    if (!tree)
        return {};
    const int picture = isSelected() ? SelectedIndexRole : ImageIndexRole;
    const int index = QTreeWidgetItem::data(0, picture).toInt();
    return tree->NodeIcon(index);
}

bool TTreeNode::operator<(const QTreeWidgetItem& other) const {
    return text(0).compare(other.text(0), Qt::CaseInsensitive) < 0;
}

bool HasChildrenFlag(const QTreeWidgetItem* node) {
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void SetHasChildren(QTreeWidgetItem* node, bool value) {
    node->setChildIndicatorPolicy(value ? QTreeWidgetItem::ShowIndicator
                                        : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void SetNodeName(QTreeWidgetItem* node, const std::string& name) {
    node->setText(0, platform::displayText(name));
    if (platform::isUtf8(name))
        node->setData(0, NameBytesRole, QVariant());
    else
        node->setData(0, NameBytesRole, QByteArray::fromStdString(name));
}

QString NodePathName(const QTreeWidgetItem* node) {
    const QVariant bytes = node->data(0, NameBytesRole);
    if (!bytes.isValid())
        return node->text(0);
    return platform::pathText(bytes.toByteArray().toStdString());
}
