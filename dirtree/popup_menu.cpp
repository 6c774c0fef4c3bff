// The tree's context menu: building its items, their enabled states and the commands they run.
#include "dirtree/popup_menu.h"

#include "dirtree/mav_dir_tree.h"
#include "dirtree/menu_glyphs.h"

namespace {

constexpr char kTagProperty[] = "tag";

QTreeWidgetItem* SelectedNodeOf(const TMavDirTree21* tree) {
    QTreeWidgetItem* node = tree->currentItem();
    return node && node->isSelected() ? node : nullptr;
}

} // namespace

const std::array<const char*, MenuItemCount> TMavDirTree21PopUp::ItemNames = {
    "AddNode",
    "EditNode",
    "DelNode",
    "CutNode",
    "CopyNode",
    "PasteNode",
    "GetTreeSize",
    "ShowFolderContents",
    "ConnectNetResource",
    "DisConnectNetResource",
    "ItemProperty",
};

const std::array<const char*, MenuItemCount> TMavDirTree21PopUp::BitmapNames = {
    "NewFolder28", "EditFolder28",  "DelFolder28",  "Cut28",           "Copy28",       "Paste28",
    "TreeSize28",  "DirContents28", "NetConnect28", "NetDisConnect28", "Attributes28",
};

TMavDirTree21PopUp::TMavDirTree21PopUp(TMavDirTree21* tree, TLanguage language)
    : QMenu(tree), Tree(tree) {
    for (int i = 0; i < MenuItemCount; ++i)
        Bitmaps[size_t(i)] = MenuGlyph(QLatin1String(BitmapNames[size_t(i)]));
    connect(this, &QMenu::aboutToShow, this, &TMavDirTree21PopUp::UpdateEnabledStates);
    BuildMenu(language);
}

void TMavDirTree21PopUp::BuildMenu(TLanguage language) {
    clear();
    const std::array<QString, 11>& captions = MenuCaptionsFor(language);
    for (int tag = tagAddNode; tag <= tagItemProperty; ++tag) {
        const size_t i = size_t(tag - 1);
        QAction* item = addAction(Bitmaps[i], captions[i]);
        item->setObjectName(QLatin1String(ItemNames[i]));
        item->setProperty(kTagProperty, tag);
        item->setCheckable(false);
        connect(item, &QAction::triggered, this, [this, item] { MenuItemClick(item); });
        if (tag == tagDelNode || tag == tagPasteNode || tag == tagShowFolderContents ||
            tag == tagDisConnectNetResource)
            addSeparator();
    }
}

QAction* TMavDirTree21PopUp::Item(int tag) const {
    for (QAction* action : actions()) {
        if (action->property(kTagProperty).toInt() == tag)
            return action;
    }
    return nullptr;
}

void TMavDirTree21PopUp::UpdateEnabledStates() {
    QTreeWidgetItem* node = SelectedNodeOf(Tree);
    const int level = node ? TMavDirTree21::NodeLevel(node) : -1;
    const std::array<bool, MenuItemCount> enabled = MenuItemStates(level, Tree->PasteArmed());
    for (int tag = tagAddNode; tag <= tagItemProperty; ++tag) {
        if (QAction* item = Item(tag))
            item->setEnabled(enabled[size_t(tag - 1)]);
    }
}

void TMavDirTree21PopUp::Popup(const QPoint& globalPoint) {
    UpdateEnabledStates();
    popup(globalPoint + QPoint(PopupOffset, PopupOffset));
}

void TMavDirTree21PopUp::MenuItemClick(QObject* sender) {
    if (!sender || sender->objectName().isEmpty())
        return;
    const int tag = sender->property(kTagProperty).toInt();
    if (tag != tagNone)
        RunCommand(tag);
}

void TMavDirTree21PopUp::RunCommand(int tag) {
    switch (tag) {
    case tagAddNode:
        Tree->CreateFolder(SelectedNodeOf(Tree), QString());
        break;
    case tagEditNode:
        Tree->EditNode(SelectedNodeOf(Tree));
        break;
    case tagDelNode:
        Tree->DeleteFolder(SelectedNodeOf(Tree));
        break;
    case tagCutNode:
        Tree->SetClipboardOp(coCut);
        break;
    case tagCopyNode:
        Tree->SetClipboardOp(coCopy);
        break;
    case tagPasteNode:
        Tree->PasteFolder();
        break;
    case tagGetTreeSize:
        Tree->ShowTreeSize();
        break;
    case tagShowFolderContents:
        Tree->ShowFolderContentsWindow();
        break;
    case tagConnectNetResource:
        Tree->ConnectNetDrive();
        break;
    case tagDisConnectNetResource:
        Tree->DisconnectNetDrive();
        break;
    case tagItemProperty:
        Tree->ShowFolderProperties();
        break;
    default:
        break;
    }
}
