// TMainForm: the thumbnail window. A folder tree, an address box, a preview of the selected
// picture above a strip of 120 x 120 thumbnails and the picture's properties report beside them.
// The listing of a folder runs on the window's thread: raw files get their preview sidecars
// first, then the pictures are listed and one worker (TThumbnailExtractorThread) is started,
// whose posted messages the window applies to its list and image list. Back history, Up one
// level, Refresh and the file commands work as the main window's, on this window's controls.
#pragma once

#include <memory>
#include <string>

#include <QMainWindow>

#include "thumbs/core/thumbnail_passes.h"
#include "thumbs/extraction/raw_sidecars.h"
#include "widgets/navigation.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolBar;
class QToolButton;
class TDestinationForm;
class TFolderNavigation;
class TImage;
class TMavDirTree21;
class TThumbnailExtractorThread;
class TThumbnailList;

namespace platform {
class ImageList;
struct Bitmap;
} // namespace platform

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Controls other windows and tests reach.
    QToolBar* ToolBar1;
    QToolButton* BtnBack;
    QToolButton* BtnPrevLevel;
    QToolButton* ToolButton2; // "Refresh"
    QToolButton* BtnFind;
    QToolButton* BtnCut;
    QToolButton* BtnCopy;
    QToolButton* BtnPaste;
    QToolButton* ToolButton3; // "Deteils"
    QWidget* Panel1;
    QLabel* Panel9;
    QLineEdit* EdSelFolder;
    TMavDirTree21* explor;
    QWidget* Panel3;
    QWidget* Panel5;
    TImage* Image1; // the preview of the selected picture
    TImage* Image2; // hidden: the picture with its own width and height
    QWidget* Panel4;
    TThumbnailList* ListView;
    QWidget* Panel8;
    QPlainTextEdit* Memo1;
    QMenu* PopupMenu1;
    platform::ImageList* ImageList1;
    // The status strip, created hidden and never shown.
    QWidget* PnlBtm;
    QLabel* PnlStatus;
    QLabel* PnlCurFile;
    QProgressBar* ProgressBar1;
    // The options strip, created hidden and never shown.
    QWidget* PnlTop;
    QPushButton* BtnStop;
    QPushButton* BtnRefresh;
    QComboBox* ComboBox1;
    QLabel* Label2;
    QCheckBox* CheckBox1; // IEIFLAG_ASPECT
    QCheckBox* CheckBox2; // IEIFLAG_OFFLINE
    QCheckBox* CheckBox3; // IEIFLAG_SCREEN
    QCheckBox* CheckBox4; // IEIFLAG_QUALITY
    QCheckBox* CheckBox5; // IEIFLAG_ORIGSIZE
    QLabel* Label3;
    QLabel* Label1;
    QPushButton* Button1;

    // Menu items.
    QAction* Exit1;
    QAction* Copy1;
    QAction* Cut1;
    QAction* Paste1;
    QAction* Search1;
    QAction* Detail1;
    QAction* Thumbnail1;
    QAction* Fullscreen1;
    QAction* Refresh1;
    QAction* HelpContain1;
    QAction* About1;
    QAction* Fullscreen2; // context menu of the list
    QAction* Properties1;

    // Window state.
    ThumbnailNotify FNotify;
    std::unique_ptr<TThumbnailExtractorThread> FThread;
    bool FThumbnailPass = false;
    bool FRestartPending = false;
    TBackHistory History;
    // The desktop's thumbnail cache that every worker's extractor reads and fills (a host folder,
    // platform/headless/thumbnail_cache.h); taken from the desktop at creation, empty for none.
    std::string FThumbnailCache;

    // The thumbnail list as the other windows walk it (the viewer steps through it, the main
    // window hands over its selected index). Indices are those of the listing.
    int ItemCount() const;
    int ItemIndex() const; // the selected item, -1 when none
    void SelectItem(int index);
    QString ItemCaption(int index) const;

    // Handlers.
    void FormCreate();
    // Applies the tree's folder to the window (also called by the copy and move dialogs).
    void explorDirChange(QObject* Sender, const QString& SelectedPath);
    void explorMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                         int X, int Y);
    void BackFwdLstUpdate();
    void BtnBackClick();
    void BtnPrevLevelClick();
    void ToolButton2Click(); // Refresh of the tree and the folder
    void BtnFindClick();
    void BtnCutClick();
    void BtnCopyClick();
    void BtnPasteClick();
    void ToolButton3Click(); // "Deteils": back to the main window on this window's folder
    void Exit1Click();
    void HelpContain1Click();
    void About1Click();
    void Properties1Click();
    void ListViewClick();    // the preview step
    void ListViewDblClick(); // Fullscreen
    void ListViewSelectItem(int item);
    void BtnStopClick();
    void BtnRefreshClick(); // Refresh of the options strip: lists the folder again
    void EdSelFolderChange();
    void CheckBoxClick(QCheckBox* box);

    // The listing.
    void StartExtraction();
    void ListFolder(const std::string& folder);
    void ListPictures(const std::string& folder);
    void ThreadDone();
    void ShowStatus(const QString& text);
    void ShowCurrentFile(const QString& text);
    void StepProgress(int item);
    uint32_t GetColorDepth() const;
    uint32_t GetExtractFlags() const;

Q_SIGNALS:
    // A worker's message has been applied to the list (tests and benchmarks follow by it).
    void MessageApplied(unsigned msg, int item);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The toolbar and the menu bar offer no menu of their own.
    QMenu* createPopupMenu() override;

private:
    // The dynamic property that holds a flag check box's tag, the flag it stands for.
    static constexpr const char* TagProperty = "Tag";

    // The layout (tmainform_layout.cpp).
    void BuildToolBar();
    void BuildMenus();
    void BuildClientArea();
    void BuildHiddenStrips();
    void HandleWorkerMessage(unsigned msg, int item, qintptr lParam,
                             const platform::Bitmap* bitmap);
    // "Move to" and "Copy to": the dialog opens for the selected item's file, when there is one.
    void OpenDestination(TDestinationForm* dialog);
    void ShowRawErrors(const std::vector<std::string>& errors);
    std::string FolderBytes() const;
    std::string SelectedName() const;

    std::unique_ptr<TFolderNavigation> navigation_;
    TRawPipeline FRawPipeline;
    bool FListing = false;      // a listing runs (its raw step handles pending messages)
    bool FIconsPending = false; // the list waits for WM_THUMB_ICONSDONE to leave update mode
    // A selection or preview asked for while the list still held the previous folder's items;
    // carried out once the new listing is there.
    int FPendingIndex = -1;
    bool FPendingPreview = false;
    bool placed_ = false;
};

extern TMainForm* MainForm;
