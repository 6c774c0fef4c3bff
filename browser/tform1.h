// TForm1: the main browser window — folder tree, address box, image table with EXIF columns,
// toolbar and menus — and the plain function that lists a folder into its table.
#pragma once

#include <memory>
#include <string>

#include <QMainWindow>

#include "widgets/navigation.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;
class TDestinationForm;
class TFolderNavigation;
class TImageTable;
class TMavDirTree21;

namespace platform {
class ImageList;
}

// Appends one row per picture of folder (a program path ending in a backslash, as pathText) to
// table, with its small icon added to icons. Hidden and read-only pictures are listed; folders
// named like pictures are not. Each row keeps its entry's name as bytes and is read from exactly
// that entry, so a file that leaves the folder during the listing costs no search for it.
void FillImageTable(const QString& folder, TImageTable* table, platform::ImageList* icons);

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls other windows reach.
    QToolBar* ToolBar1;
    QToolButton* BtnBack;
    QToolButton* BtnPrevLevel;
    QToolButton* BtnRefresh;
    QToolButton* BtnFind;
    QToolButton* BtnCut;
    QToolButton* BtnCopy;
    QToolButton* BtnPaste;
    QToolButton* ToolButton3;
    QLabel* Panel9;
    QLineEdit* EdSelFolder;
    TMavDirTree21* explor;
    TImageTable* ListView1;
    QMenu* PopupMenu1;
    platform::ImageList* ImageList1;

    // Menu items.
    QAction* Exit1;
    QAction* Copy1;
    QAction* Cut1;
    QAction* Paste1;
    QAction* Search1;
    QAction* Detail1;
    QAction* humbnail1;
    QAction* Fullscreen1;
    QAction* Refresh1;
    QAction* HelpContain1;
    QAction* About1;
    QAction* ViewFullscreen1;
    QAction* MoveTo1;
    QAction* Copyto1;
    QAction* Delete1;
    QAction* Properties1;

    // Back history.
    TBackHistory History;

    // Handlers.
    void FormCreate();
    void explorDirChange(QObject* Sender, const QString& SelectedPath);
    void explorMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                         int X, int Y);
    void BackFwdLstUpdate();
    void BtnBackClick();
    void BtnPrevLevelClick();
    void BtnRefreshClick();
    void BtnFindClick();
    void BtnCutClick();
    void BtnCopyClick();
    void BtnPasteClick();
    void ToolButton3Click();
    void Exit1Click();
    void HelpContain1Click();
    void About1Click();
    void Properties1Click();
    void ListView1DblClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The toolbar and the menu bar offer no menu of their own.
    QMenu* createPopupMenu() override;

private:
    // The selected row's index to the thumbnail window's list, and its preview step.
    void HandOverSelection();
    // "Move To" and "Copy To": the dialog opens for the selected row's file, when there is one.
    void OpenDestination(TDestinationForm* dialog);
    void BuildToolBar();
    void BuildMenus();
    void BuildClientArea();
    // The selected row's file: the folder text and the row's name, as bytes.
    std::string SelectedFilePath() const;

    std::unique_ptr<TFolderNavigation> navigation_;
};

extern TForm1* Form1;
