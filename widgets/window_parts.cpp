#include "widgets/window_parts.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "dirtree/mav_dir_tree.h"

TMavDirTree21* CreateFolderTree(QWidget* parent) {
    auto* tree = new TMavDirTree21(parent);
    tree->setObjectName(QStringLiteral("explor"));
    tree->setFolderType(FileTypeOf({ftReadOnly, ftDirectory, ftArchive, ftNormal}));
    tree->setLanguage(lnEnglish);
    tree->setDragDropEnabled(false);
    tree->setIndentation(19);
    return tree;
}

TAddressBar CreateAddressBar(QWidget* parent, QBoxLayout* into) {
    auto* row = new QHBoxLayout;
    TAddressBar bar{new QLabel(QStringLiteral("Address :"), parent), new QLineEdit(parent)};
    bar.Panel9->setObjectName(QStringLiteral("Panel9"));
    bar.EdSelFolder->setObjectName(QStringLiteral("EdSelFolder"));
    bar.EdSelFolder->setReadOnly(true);
    row->addWidget(bar.Panel9);
    row->addWidget(bar.EdSelFolder, 1);
    into->addLayout(row);
    return bar;
}
