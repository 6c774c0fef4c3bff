// TMainForm's behaviour: the list as the other windows reach it, the listing of a folder and the
// worker's messages, Stop and Restart, the folder routes, the preview and the commands. The layout
// lives in tmainform_layout.cpp.
#include "thumbs/tmainform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>

#include "browser/core/picture_texts.h"
#include "browser/destination_dialogs.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "browser/tform5.h"
#include "browser/tform6.h"
#include "dirtree/mav_dir_tree.h"
#include "dirtree/shell_helpers.h"
#include "platform/headless/image_message.h"
#include "platform/qt/bitmap_image.h"
#include "platform/qt/image_list.h"
#include "platform/qt/path_text.h"
#include "platform/qt/sys_colors.h"
#include "platform/qt/ui.h"
#include "thumbs/core/file_names.h"
#include "thumbs/core/folder_listing.h"
#include "thumbs/extraction/thumbnail_thread.h"
#include "thumbs/thumbnail_list.h"
#include "viewer/tform4.h"
#include "widgets/browser_commands.h"
#include "widgets/folder_navigation.h"
#include "widgets/handler_guard.h"
#include "widgets/text_bytes.h"
#include "widgets/timage.h"
#include "widgets/window_frames.h"

TMainForm* MainForm = nullptr;

// ---- The list as other windows see it --------------------------------------------------------

int TMainForm::ItemCount() const {
    return ListView->Count();
}

int TMainForm::ItemIndex() const {
    return ListView->ItemIndex();
}

void TMainForm::SelectItem(int index) {
    // While the list still shows the previous folder, the index is meant for the next listing.
    if (FRestartPending || FListing) {
        FPendingIndex = index;
        return;
    }
    ListView->SetItemIndex(index);
}

QString TMainForm::ItemCaption(int index) const {
    if (index < 0 || index >= ListView->Count())
        return {};
    // Exact: the viewer and the file commands build the item's path from it.
    return platform::pathText(ListView->Items()->Item(index).Name);
}

std::string TMainForm::FolderBytes() const {
    return platform::pathBytes(EdSelFolder->text());
}

std::string TMainForm::SelectedName() const {
    const int index = ListView->ItemIndex();
    return index < 0 ? std::string() : ListView->Items()->Item(index).Name;
}

// ---- Listing and extraction ------------------------------------------------------------------

void TMainForm::ShowStatus(const QString& text) {
    PnlStatus->setText(QLatin1Char(' ') + text);
}

void TMainForm::ShowCurrentFile(const QString& text) {
    PnlCurFile->setText(QLatin1Char(' ') + text);
}

void TMainForm::StepProgress(int item) {
    if (FThumbnailPass)
        ProgressBar1->setValue(item + 1);
    else
        ProgressBar1->setValue(ProgressBar1->value() + 1);
}

uint32_t TMainForm::GetColorDepth() const {
    const QString format = ComboBox1->currentText();
    if (format == QLatin1String("pf4Bit"))
        return 4;
    if (format == QLatin1String("pf8Bit"))
        return 8;
    if (format == QLatin1String("pf16Bit"))
        return 16;
    if (format == QLatin1String("pf24Bit"))
        return 24;
    return 32;
}

uint32_t TMainForm::GetExtractFlags() const {
    uint32_t flags = 0;
    for (const QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5})
        if (box->isChecked())
            flags |= box->property(TagProperty).toUInt();
    return flags;
}

void TMainForm::CheckBoxClick(QCheckBox* box) {
    if (!box->isChecked())
        return;
    if (box == CheckBox1)
        CheckBox3->setChecked(false);
    else if (box == CheckBox3)
        CheckBox1->setChecked(false);
}

void TMainForm::StartExtraction() {
    ProgressBar1->setValue(0);
    FThumbnailPass = false;
    BtnStop->setEnabled(true);
    ShowStatus(QStringLiteral("Extracting default icons"));
    ListFolder(FolderBytes());
}

void TMainForm::ListFolder(const std::string& folder) {
    // The raw step lets the window handle pending messages between two sidecars; a command that
    // would list again from there is carried out once this listing is over.
    if (FListing) {
        FRestartPending = true;
        return;
    }
    FListing = true;
    const auto listed = qScopeGuard([this] {
        FListing = false;
        if (FRestartPending && !FThread) {
            FRestartPending = false;
            platform::postMessage(this, WM_THUMB_RESTART, 0, 0);
        }
    });
    ListView->BeginUpdate();
    const auto endUpdate = qScopeGuard([this] { ListView->EndUpdate(); });
    ListView->Items()->Clear();
    ImageList1->clear();
    const std::vector<std::string> errors =
        RunRawStep(FRawPipeline, folder, [] { platform::processMessages(); });
    // A listing asked for during the raw step takes this one's place, and reports for itself:
    // one box per listing, never one for a listing nobody sees.
    if (FRestartPending)
        return;
    ListPictures(folder);
    ShowRawErrors(errors);
}

void TMainForm::ShowRawErrors(const std::vector<std::string>& errors) {
    if (errors.empty())
        return;
    std::string text;
    for (const std::string& error : errors)
        text += (text.empty() ? "" : "\n") + error;
    HandleException(ERawPreviewError(text));
}

void TMainForm::ListPictures(const std::string& folder) {
    ListView->BeginUpdate();
    try {
        ListView->Items()->Clear();
        ImageList1->clear();
        const TPictureListing listing = PictureItemNames(folder);
        if (!listing.AnyFile) {
            ListView->EndUpdate();
            ThreadDone();
        } else {
            ListView->Items()->SetNames(listing.Names);
            ProgressBar1->setMaximum(static_cast<int>(listing.Names.size()));
            FThread = std::make_unique<TThumbnailExtractorThread>(
                FNotify, folder, listing.Names, ImageList1->width(), ImageList1->height(),
                GetColorDepth(), GetExtractFlags(), FThumbnailCache);
            FThread->OnTerminate = Guarded([this] { ThreadDone(); });
            // The list stays in update mode until the default icons are in: one repaint.
            FIconsPending = true;
            FThread->Start();
        }
    } catch (...) {
        ListView->EndUpdate();
        throw;
    }
    // A selection or preview asked for while the previous folder was still shown.
    const int index = std::exchange(FPendingIndex, -1);
    if (index >= 0)
        ListView->SetItemIndex(index);
    if (std::exchange(FPendingPreview, false))
        Guarded([this] { ListViewClick(); })();
}

void TMainForm::ThreadDone() {
    FThread.reset();
    if (std::exchange(FIconsPending, false))
        ListView->EndUpdate(); // the worker ended before its default icons were done
    ShowCurrentFile(QString());
    ProgressBar1->setValue(0);
    ShowStatus(QStringLiteral("Ready"));
    BtnStop->setEnabled(false);
    if (FRestartPending) {
        FRestartPending = false;
        platform::postMessage(this, WM_THUMB_RESTART, 0, 0);
    }
    // Sidecars are shown under their raw file's name from now on.
    for (int i = 0; i < ListView->Count(); ++i) {
        const std::string& name = ListView->Items()->Item(i).Name;
        std::string shown = CaptionAfterExtraction(name);
        if (shown != name)
            ListView->Items()->SetName(i, std::move(shown));
    }
}

bool TMainForm::event(QEvent* event) {
    if (event->type() != platform::MessageEvent::eventType())
        return QMainWindow::event(event);
    const auto& message = static_cast<const platform::MessageEvent&>(*event);
    try {
        if (message.msg == WM_THUMB_RESTART)
            StartExtraction();
        else
            HandleWorkerMessage(message.msg, static_cast<int>(message.wParam), message.lParam,
                                platform::messageImage(message));
    } catch (const std::exception& error) {
        HandleException(error);
    }
    return true;
}

void TMainForm::HandleWorkerMessage(unsigned msg, int item, qintptr lParam,
                                    const platform::Bitmap* bitmap) {
    TThumbnailListModel* items = ListView->Items();
    const bool listed = item >= 0 && item < items->Count();
    if (msg == FNotify.CurrentItem) {
        ShowCurrentFile(listed ? platform::displayText(items->Item(item).Name) : QString());
    } else if (msg == FNotify.AddImage) {
        StepProgress(item);
        if (bitmap && listed) {
            // Default icons lose their background so they sit on the list's own colour.
            const QImage picture = platform::toQImage(*bitmap);
            const int index =
                FThumbnailPass
                    ? ImageList1->add(picture)
                    : ImageList1->addMasked(picture, platform::getSysColor(platform::COLOR_WINDOW));
            items->SetImageIndex(item, index);
        }
    } else if (msg == FNotify.ShareImage) {
        StepProgress(item);
        if (listed)
            items->SetImageIndex(item, static_cast<int>(lParam));
    } else if (msg == FNotify.ReplaceImage) {
        StepProgress(item);
        if (bitmap && listed)
            ImageList1->replace(items->Item(item).ImageIndex, platform::toQImage(*bitmap));
    } else if (msg == FNotify.IconsDone) {
        FThumbnailPass = true;
        ShowStatus(QStringLiteral("Extracting thumbnails"));
        ShowCurrentFile(QString());
        ProgressBar1->setValue(0);
        if (std::exchange(FIconsPending, false))
            ListView->EndUpdate();
    } else {
        return;
    }
    Q_EMIT MessageApplied(msg, item);
}

void TMainForm::BtnStopClick() {
    BtnStop->setEnabled(false);
    if (FThread) {
        ShowStatus(QStringLiteral("Aborting. Please wait..."));
        FRestartPending = false;
        FThread->Abort();
    }
}

void TMainForm::BtnRefreshClick() {
    if (FThread) {
        FRestartPending = true;
        FThread->Abort();
    } else {
        StartExtraction();
    }
}

void TMainForm::EdSelFolderChange() {
    if (FThread) {
        ShowStatus(QStringLiteral("Aborting. Please wait..."));
        FRestartPending = false;
        FThread->Abort();
    }
    BtnRefreshClick();
    ListViewClick();
}

// ---- Folder --------------------------------------------------------------------------------

void TMainForm::explorDirChange(QObject*, const QString&) {
    const QString folder = AddSlash(DelSlash(explor->SelectedPath()));
    if (EdSelFolder->text() != folder)
        EdSelFolder->setText(folder); // its change event restarts the listing
    else
        EdSelFolderChange();
}

// Each route through the folders ends in explorDirChange above, so it restarts the listing for
// the folder it ends on.

void TMainForm::explorMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
    navigation_->MouseDown(X, Y);
}

void TMainForm::BackFwdLstUpdate() {
    navigation_->RecordFolderLeft();
}

void TMainForm::BtnBackClick() {
    navigation_->Back();
}

void TMainForm::BtnPrevLevelClick() {
    navigation_->UpOneLevel();
}

void TMainForm::ToolButton2Click() {
    navigation_->Refresh();
}

// ---- Preview, selection and viewer ----------------------------------------------------------

void TMainForm::ListViewSelectItem(int item) {
    if (item < 0 || item >= ListView->Count())
        return;
    setWindowTitle(
        platform::displayText(SelectionTitle(FolderBytes(), ListView->Items()->Item(item).Name)));
}

void TMainForm::ListViewClick() {
    if (FRestartPending) {
        // The list still holds the previous folder's items; preview once the new ones are in.
        FPendingPreview = true;
        return;
    }
    const bool any = ListView->Count() > 0;
    Panel3->setVisible(any);
    Panel8->setVisible(any);
    if (!any)
        return;
    if (ListView->ItemIndex() < 0)
        ListView->SetItemIndex(0);
    const std::string path = FolderBytes() + SelectedName();
    // A picture that cannot be loaded raises here; preview and report keep what they showed.
    Image1->LoadFromFile(path, Image1->size());
    Image2->Assign(*Image1);
    QStringList lines;
    for (const std::string& line :
         PictureReportLines(path, Image2->PictureWidth(), Image2->PictureHeight()))
        lines.append(TextFromBytes(line));
    Memo1->clear();
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void TMainForm::ListViewDblClick() {
    Form1->explor->GoToFolder(explor->SelectedPath());
    const int index = ListView->ItemIndex();
    if (index < 0)
        return; // nothing selected: no picture to show
    Form1->ListView1->SetItemIndex(index);
    Form4->OpenPicture(EdSelFolder->text(), ItemCaption(index));
}

void TMainForm::Properties1Click() {
    if (ListView->Count() == 0)
        return;
    Form5->ShowLines(Memo1->toPlainText().split(QLatin1Char('\n')), *Image1);
}

// ---- File commands and the rest --------------------------------------------------------------

void TMainForm::BtnCutClick() {
    OpenDestination(moveform);
}

void TMainForm::BtnCopyClick() {
    OpenDestination(copyform);
}

void TMainForm::OpenDestination(TDestinationForm* dialog) {
    if (ListView->Count() == 0 || ListView->ItemIndex() < 0)
        return;
    dialog->Open(ItemCaption(ListView->ItemIndex()), EdSelFolder->text());
}

void TMainForm::BtnPasteClick() {
    if (ListView->Count() == 0 || ListView->ItemIndex() < 0)
        return;
    if (DeleteAfterConfirming(this, FolderBytes() + SelectedName()))
        explorDirChange(explor, explor->SelectedPath());
}

void TMainForm::ToolButton3Click() {
    ShowAndRaise(Form1);
    hide();
    Form1->explor->GoToFolder(explor->SelectedPath());
    if (ListView->ItemIndex() >= 0)
        Form1->ListView1->SetItemIndex(ListView->ItemIndex());
}

void TMainForm::BtnFindClick() {
    SearchFolder(EdSelFolder->text());
}

void TMainForm::HelpContain1Click() {
    OpenHelpFile(this);
}

void TMainForm::About1Click() {
    ShowAndRaise(Form6);
}

void TMainForm::Exit1Click() {
    QCoreApplication::quit();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the thumbnail window ends the program, as closing the main window does; a running
    // worker is told to stop now and joined when the window goes.
    if (FThread)
        FThread->Abort();
    event->accept();
    QCoreApplication::quit();
}
