// TMainForm's layout: the toolbar, the menus and the context menu, the tree, address bar, preview,
// thumbnail strip and report, the status and options strips that stay hidden, and the window's
// creation and first placement. What the window does lives in tmainform.cpp.
#include "thumbs/tmainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "browser/tform1.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/core/shell_codes.h"
#include "platform/headless/thumbnail_cache.h"
#include "platform/qt/image_list.h"
#include "thumbs/extraction/thumbnail_thread.h"
#include "thumbs/thumbnail_list.h"
#include "widgets/command_controls.h"
#include "widgets/folder_navigation.h"
#include "widgets/handler_guard.h"
#include "widgets/timage.h"
#include "widgets/toolbar_icons.h"
#include "widgets/window_frames.h"
#include "widgets/window_parts.h"

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

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    resize(925, 604);
    ImageList1 = new platform::ImageList(120, 120, this);
    BuildToolBar();
    BuildMenus();
    BuildClientArea();
    BuildHiddenStrips();
    navigation_ = std::make_unique<TFolderNavigation>(
        explor, BtnBack, History, [this] { explorDirChange(explor, explor->SelectedPath()); });
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
    BindFolderTree(this, explor);

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
    // Emptying the list takes its selection along: the caption no longer names a picture.
    connect(ListView->Items(), &QAbstractItemModel::modelReset, this,
            [this] { setWindowTitle(QCoreApplication::applicationName()); });
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
    // Long lines (a long file name, a long description) wrap inside the narrow box.
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
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
    FThumbnailCache = platform::desktopThumbnailCacheFolder();
    // The address box stretches with the window through its layout; the list is drawn through
    // the toolkit's back buffer.
    navigation_->Start();
    BtnStop->setEnabled(false);
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
