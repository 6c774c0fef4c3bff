#include "thumbs/tmainform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "browser/core/picture_texts.h"
#include "browser/destination_dialogs.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "browser/tform5.h"
#include "browser/tform6.h"
#include "dirtree/mav_dir_tree.h"
#include "dirtree/shell_helpers.h"
#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/core/shell_codes.h"
#include "platform/headless/image_message.h"
#include "platform/qt/bitmap_image.h"
#include "platform/qt/image_list.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "platform/qt/sys_colors.h"
#include "platform/qt/ui.h"
#include "thumbs/core/file_names.h"
#include "thumbs/core/folder_listing.h"
#include "thumbs/extraction/thumbnail_thread.h"
#include "thumbs/thumbnail_list.h"
#include "viewer/tform4.h"
#include "widgets/command_controls.h"
#include "widgets/handler_guard.h"
#include "widgets/text_bytes.h"
#include "widgets/timage.h"
#include "widgets/toolbar_icons.h"
#include "widgets/window_frames.h"
#include "widgets/window_parts.h"

TMainForm* MainForm = nullptr;

namespace {

// The flag check boxes: caption, the flag each stands for (its tag), checked at start, hint.
struct FlagBox {
    const char* name;
    const char* caption;
    uint32_t tag;
    bool checked;
    const char* hint;
};
constexpr FlagBox FlagBoxes[] = {
    {"CheckBox1", "IEIFLAG_ASPECT", platform::IEIFLAG_ASPECT, false,
     "Render to the aspect ratio of the supplied rect"},
    {"CheckBox2", "IEIFLAG_OFFLINE", platform::IEIFLAG_OFFLINE, false,
     "Extractor shouldn't hit the net to get any content needs for the rendering"},
    {"CheckBox3", "IEIFLAG_SCREEN", platform::IEIFLAG_SCREEN, true,
     "Render as if for the screen  (this is exlusive with IEIFLAG_ASPECT )"},
    {"CheckBox4", "IEIFLAG_QUALITY", platform::IEIFLAG_QUALITY, false,
     "Indicate that a slower, higher quality image is desired"},
    {"CheckBox5", "IEIFLAG_ORIGSIZE", platform::IEIFLAG_ORIGSIZE, false,
     "Render to the approx size passed, but crop if neccessary"},
};

const char* const TagProperty = "Tag";

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    resize(925, 604);
    ImageList1 = new platform::ImageList(120, 120, this);
    BuildToolBar();
    BuildMenus();
    BuildClientArea();
    BuildHiddenStrips();
    FormCreate();
}

TMainForm::~TMainForm() {
    // The worker is stopped and joined before anything it posts to goes away.
    FThread.reset();
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::BuildToolBar() {
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    const auto button = [this](const char* name, ToolGlyph glyph, const char* hint,
                               THandler<TMainForm> handler) {
        QToolButton* b = AddToolButton(this, ToolBar1, name, glyph, hint, handler, QSize(51, 39));
        b->setFixedSize(51, 39);
        return b;
    };
    ToolBar1->addSeparator();
    BtnBack = button("BtnBack", ToolGlyph::Back, "Back", &TMainForm::BtnBackClick);
    BtnPrevLevel = button("BtnPrevLevel", ToolGlyph::UpOneLevel, "Up one level",
                          &TMainForm::BtnPrevLevelClick);
    ToolButton2 =
        button("ToolButton2", ToolGlyph::Refresh, "Refresh", &TMainForm::ToolButton2Click);
    BtnFind = button("BtnFind", ToolGlyph::Search, "Search files", &TMainForm::BtnFindClick);
    ToolBar1->addSeparator();
    BtnCut = button("BtnCut", ToolGlyph::MoveTo, "Move to", &TMainForm::BtnCutClick);
    BtnCopy = button("BtnCopy", ToolGlyph::CopyTo, "Copy to", &TMainForm::BtnCopyClick);
    BtnPaste = button("BtnPaste", ToolGlyph::Delete, "Delete", &TMainForm::BtnPasteClick);
    ToolBar1->addSeparator();
    ToolButton3 = button("ToolButton3", ToolGlyph::Detail, "Deteils", &TMainForm::ToolButton3Click);
    BtnBack->setEnabled(false);
}

void TMainForm::BuildMenus() {
    const auto item = [this](QMenu* menu, const char* name, const char* caption,
                             THandler<TMainForm> handler) {
        return AddMenuItem(this, menu, name, caption, handler);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    Exit1 = item(file, "Exit1", "Exit", &TMainForm::Exit1Click);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    Copy1 = item(edit, "Copy1", "Copy to", &TMainForm::BtnCopyClick);
    Cut1 = item(edit, "Cut1", "Move to", &TMainForm::BtnCutClick);
    Paste1 = item(edit, "Paste1", "Delete", &TMainForm::BtnPasteClick);
    edit->addSeparator();
    Search1 = item(edit, "Search1", "Search", &TMainForm::BtnFindClick);

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    Detail1 = item(view, "Detail1", "Detail", &TMainForm::ToolButton3Click);
    Thumbnail1 = item(view, "Thumbnail1", "Thumbnail", THandler<TMainForm>{});
    Thumbnail1->setEnabled(false);
    view->addSeparator();
    Fullscreen1 = item(view, "Fullscreen1", "Fullscreen", &TMainForm::ListViewDblClick);
    Refresh1 = item(view, "Refresh1", "Refresh", &TMainForm::ToolButton2Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    HelpContain1 = item(help, "HelpContain1", "Help Contain", &TMainForm::HelpContain1Click);
    About1 = item(help, "About1", "About", &TMainForm::About1Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Fullscreen2 = item(PopupMenu1, "Fullscreen2", "Fullscreen", &TMainForm::ListViewDblClick);
    Properties1 = item(PopupMenu1, "Properties1", "Properties", &TMainForm::Properties1Click);
}

void TMainForm::BuildClientArea() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* addressRow = new QVBoxLayout(Panel1);
    addressRow->setContentsMargins(0, 0, 0, 0);
    const TAddressBar address = CreateAddressBar(Panel1, addressRow);
    Panel9 = address.Panel9;
    EdSelFolder = address.EdSelFolder;
    connect(EdSelFolder, &QLineEdit::textChanged, this, Guarded([this] { EdSelFolderChange(); }));
    column->addWidget(Panel1);

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    explor = CreateFolderTree(splitter);
    explor->OnDirChange =
        Guarded([this](QObject* sender, const QString& path) { explorDirChange(sender, path); });
    explor->OnMouseDown =
        Guarded([this](QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                       int y) { explorMouseDown(sender, button, shift, x, y); });

    // Centre: the preview above the strip of thumbnails.
    Panel3 = new QWidget(splitter);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* centre = new QVBoxLayout(Panel3);
    centre->setContentsMargins(0, 0, 0, 0);
    centre->setSpacing(2);
    Panel5 = new QWidget(Panel3);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setAutoFillBackground(true);
    QPalette white = Panel5->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel5->setPalette(white);
    auto* preview = new QVBoxLayout(Panel5);
    Image1 = new TImage(Panel5);
    Image1->setObjectName(QStringLiteral("Image1"));
    preview->addWidget(Image1);
    Image2 = new TImage(Panel5);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->hide();
    centre->addWidget(Panel5, 1);
    Panel4 = new QWidget(Panel3);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedHeight(185);
    auto* strip = new QVBoxLayout(Panel4);
    strip->setContentsMargins(0, 0, 0, 0);
    ListView = new TThumbnailList(Panel4);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->SetLargeImages(ImageList1);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListView->viewport()->mapToGlobal(at)); });
    connect(ListView, &QAbstractItemView::clicked, this,
            Guarded([this](const QModelIndex&) { ListViewClick(); }));
    connect(ListView, &QAbstractItemView::doubleClicked, this,
            Guarded([this](const QModelIndex&) { ListViewDblClick(); }));
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guarded([this](const QItemSelection& selected, const QItemSelection& deselected) {
                for (const QItemSelection* change : {&deselected, &selected})
                    for (const QModelIndex& index : change->indexes())
                        ListViewSelectItem(index.row());
            }));
    strip->addWidget(ListView);
    centre->addWidget(Panel4);

    // Right: the properties report.
    Panel8 = new QWidget(splitter);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    auto* report = new QVBoxLayout(Panel8);
    report->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(Panel8);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    report->addWidget(Memo1);

    splitter->addWidget(explor);
    splitter->addWidget(Panel3);
    splitter->addWidget(Panel8);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({199, 925 - 199 - 241, 241});
    column->addWidget(splitter, 1);
    setCentralWidget(central);
}

void TMainForm::BuildHiddenStrips() {
    QWidget* central = centralWidget();
    auto* column = static_cast<QVBoxLayout*>(central->layout());

    PnlTop = new QWidget(central);
    PnlTop->setObjectName(QStringLiteral("PnlTop"));
    auto* options = new QHBoxLayout(PnlTop);
    BtnStop = new QPushButton(QStringLiteral("Stop"), PnlTop);
    BtnStop->setObjectName(QStringLiteral("BtnStop"));
    connect(BtnStop, &QPushButton::clicked, this, Guarded([this] { BtnStopClick(); }));
    BtnRefresh = new QPushButton(QStringLiteral("Refresh"), PnlTop);
    BtnRefresh->setObjectName(QStringLiteral("BtnRefresh"));
    connect(BtnRefresh, &QPushButton::clicked, this, Guarded([this] { BtnRefreshClick(); }));
    Label2 = new QLabel(QStringLiteral("Thumbnail Image PixelFormat:"), PnlTop);
    Label2->setObjectName(QStringLiteral("Label2"));
    ComboBox1 = new QComboBox(PnlTop);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("pf4Bit"), QStringLiteral("pf8Bit"),
                         QStringLiteral("pf16Bit"), QStringLiteral("pf24Bit"),
                         QStringLiteral("pf32Bit")});
    Label3 = new QLabel(QStringLiteral("GetLocation Flags:"), PnlTop);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->hide();
    options->addWidget(BtnStop);
    options->addWidget(BtnRefresh);
    options->addWidget(Label2);
    options->addWidget(ComboBox1);
    options->addWidget(Label3);
    QCheckBox** boxes[] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5};
    for (size_t i = 0; i < std::size(FlagBoxes); ++i) {
        QCheckBox* box = new QCheckBox(QString::fromLatin1(FlagBoxes[i].caption), PnlTop);
        box->setObjectName(QString::fromLatin1(FlagBoxes[i].name));
        box->setChecked(FlagBoxes[i].checked);
        box->setToolTip(QString::fromLatin1(FlagBoxes[i].hint));
        connect(box, &QCheckBox::toggled, this, Guarded([this, box] { CheckBoxClick(box); }));
        options->addWidget(box);
        *boxes[i] = box;
    }
    Label1 = new QLabel(QStringLiteral("Label1"), PnlTop);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();
    Button1 = new QPushButton(QStringLiteral("Button1"), PnlTop);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->hide();
    PnlTop->hide();
    column->insertWidget(0, PnlTop);

    PnlBtm = new QWidget(central);
    PnlBtm->setObjectName(QStringLiteral("PnlBtm"));
    auto* status = new QHBoxLayout(PnlBtm);
    PnlStatus = new QLabel(PnlBtm);
    PnlStatus->setObjectName(QStringLiteral("PnlStatus"));
    PnlStatus->setFixedWidth(199);
    PnlCurFile = new QLabel(PnlBtm);
    PnlCurFile->setObjectName(QStringLiteral("PnlCurFile"));
    ProgressBar1 = new QProgressBar(PnlBtm);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFixedWidth(240);
    status->addWidget(PnlStatus);
    status->addWidget(PnlCurFile, 1);
    status->addWidget(ProgressBar1);
    PnlBtm->hide();
    column->addWidget(PnlBtm);
}

void TMainForm::FormCreate() {
    setWindowTitle(QCoreApplication::applicationName());
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
    QCheckBox* boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5};
    for (size_t i = 0; i < std::size(FlagBoxes); ++i)
        boxes[i]->setProperty(TagProperty, FlagBoxes[i].tag);
    FNotify = {reinterpret_cast<uintptr_t>(static_cast<QObject*>(this)),
               WM_THUMB_ICONSDONE,
               WM_THUMB_SHAREIMAGE,
               WM_THUMB_ADDIMAGE,
               WM_THUMB_REPLACEIMAGE,
               WM_THUMB_CURRENTITEM};
    // The address box stretches with the window through its layout; the list is drawn through
    // the toolkit's back buffer.
    History = TBackHistory();
    BtnBack->setEnabled(false);
    BtnStop->setEnabled(false);
}

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
    if (!FRestartPending)
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
                GetColorDepth(), GetExtractFlags());
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

void TMainForm::explorMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
    const THitTest hit = explor->HitTest(QPoint(X, Y));
    if (hit == htOnItem || hit == htOnIcon)
        BackFwdLstUpdate();
}

void TMainForm::BackFwdLstUpdate() {
    History.Record(explor->SelectedPath());
    BtnBack->setEnabled(History.CanGoBack());
}

void TMainForm::BtnBackClick() {
    if (!BtnBack->isEnabled())
        return;
    explor->OpenPath(History.BackTarget());
    explorDirChange(explor, explor->SelectedPath());
    History.StepBack();
    BtnBack->setEnabled(History.CanGoBack());
}

void TMainForm::BtnPrevLevelClick() {
    const QString parent = ParentFolder(DelSlash(explor->SelectedPath()) + QLatin1Char('\\'));
    if (parent.isEmpty())
        return;
    explor->OpenPath(parent);
    explorDirChange(explor, explor->SelectedPath());
}

void TMainForm::ToolButton2Click() {
    const QString remembered = explor->currentItem() ? explor->SelectedPath() : QString();
    explor->Reload();
    explor->OpenPath(remembered);
    explorDirChange(explor, explor->SelectedPath());
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
    if (ListView->Count() == 0 || ListView->ItemIndex() < 0)
        return;
    moveform->Open(ItemCaption(ListView->ItemIndex()), EdSelFolder->text());
}

void TMainForm::BtnCopyClick() {
    if (ListView->Count() == 0 || ListView->ItemIndex() < 0)
        return;
    copyform->Open(ItemCaption(ListView->ItemIndex()), EdSelFolder->text());
}

void TMainForm::BtnPasteClick() {
    if (ListView->Count() == 0 || ListView->ItemIndex() < 0)
        return;
    const std::string path = FolderBytes() + SelectedName();
    const int answer = platform::messageBox(
        this,
        QStringLiteral("Are you sure want to permanently delete : ") + platform::displayText(path) +
            QLatin1Char('?'),
        QStringLiteral("Confirm"), platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer != platform::IDYES)
        return;
    platform::deleteFile(path);
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
    const std::string folder = FolderBytes();
    platform::shellExecute(nullptr, QStringLiteral("find"), folder, QString(), folder,
                           platform::SW_SHOWNORMAL);
}

void TMainForm::HelpContain1Click() {
    const QString folder = QString::fromStdString(platform::fromHostPath(
        QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString()));
    // The folder keeps its backslash and the name brings its own: the shell reads "\\" as one.
    const QString help = AddSlash(folder) + QStringLiteral("\\lumograph help.chm");
    platform::shellExecute(this, QString(), help.toStdString(), QString(), std::string(),
                           platform::SW_SHOW);
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

void TMainForm::showEvent(QShowEvent* event) {
    if (!placed_) {
        CentreOver(this, Form1);
        placed_ = true;
    }
    QMainWindow::showEvent(event);
}

QMenu* TMainForm::createPopupMenu() {
    return nullptr;
}
