#include "widgets/folder_navigation.h"

#include <QToolButton>

#include "dirtree/shell_helpers.h"

TFolderNavigation::TFolderNavigation(TMavDirTree21* tree, QToolButton* back, TBackHistory& history,
                                     std::function<void()> applyFolder)
    : tree_(tree), back_(back), history_(history), applyFolder_(std::move(applyFolder)) {}

void TFolderNavigation::Start() {
    history_ = TBackHistory();
    back_->setEnabled(false);
}

void TFolderNavigation::MouseDown(int x, int y) {
    const THitTest hit = tree_->HitTest(QPoint(x, y));
    if (hit == htOnItem || hit == htOnIcon)
        RecordFolderLeft();
}

void TFolderNavigation::RecordFolderLeft() {
    history_.Record(tree_->SelectedPath());
    back_->setEnabled(history_.CanGoBack());
}

void TFolderNavigation::Back() {
    if (!back_->isEnabled())
        return;
    tree_->OpenPath(history_.BackTarget());
    applyFolder_();
    history_.StepBack();
    back_->setEnabled(history_.CanGoBack());
}

void TFolderNavigation::UpOneLevel() {
    const QString parent = ParentFolder(DelSlash(tree_->SelectedPath()) + QLatin1Char('\\'));
    if (parent.isEmpty())
        return;
    tree_->OpenPath(parent);
    applyFolder_();
}

void TFolderNavigation::Refresh() {
    const QString remembered = tree_->currentItem() ? tree_->SelectedPath() : QString();
    tree_->Reload();
    tree_->OpenPath(remembered);
    applyFolder_();
}
