#include "browser/tform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "browser/core/picture_files.h"
#include "browser/core/picture_texts.h"
#include "browser/core/row_texts.h"
#include "browser/destination_dialogs.h"
#include "browser/image_table.h"
#include "browser/tform5.h"
#include "browser/tform6.h"
#include "dirtree/mav_dir_tree.h"
#include "dirtree/shell_helpers.h"
#include "platform/core/files.h"
#include "platform/qt/image_list.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "thumbs/tmainform.h"
#include "viewer/tform4.h"
#include "widgets/browser_commands.h"
#include "widgets/command_controls.h"
#include "widgets/folder_navigation.h"
#include "widgets/handler_guard.h"
#include "widgets/text_bytes.h"
#include "widgets/toolbar_icons.h"
#include "widgets/window_frames.h"
#include "widgets/window_parts.h"

TForm1* Form1 = nullptr;

void FillImageTable(const QString& folder, TImageTable* table, platform::ImageList* icons) {
    TImageTableModel* items = table->Items();
    items->BeginUpdate();
    // Redrawing resumes (and the new rows appear at once) on every way out.
    const auto endUpdate = qScopeGuard([items] { items->EndUpdate(); });

    const std::string prefix = platform::pathBytes(folder);
    platform::ImageList& shellIcons = platform::systemImageList(platform::IconSize::Small);
    for (const platform::FindData& entry : PictureFiles(prefix)) {
        TImageRow row;
        row.FileName = entry.name;
        row.Caption = platform::displayText(entry.name);
        const int shellIndex = platform::shellIconIndexOfEntry(entry, platform::IconSize::Small);
        row.ImageIndex = shellIndex >= 0 ? icons->add(shellIcons.image(shellIndex)) : -1;
        const auto texts = ListedImageRowTexts(entry.name, prefix + entry.name, entry.size);
        row.SubItems.reserve(static_cast<int>(texts.size()) - 1);
        for (size_t column = 1; column < texts.size(); ++column)
            row.SubItems.append(TextFromBytes(texts[column]));
        items->Append(std::move(row));
    }
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Lumograph"));
    resize(900, 600);
    ImageList1 = new platform::ImageList(16, 16, this);
    BuildToolBar();
    BuildMenus();
    BuildClientArea();
    navigation_ = std::make_unique<TFolderNavigation>(
        explor, BtnBack, History, [this] { explorDirChange(explor, explor->SelectedPath()); });
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::BuildToolBar() {
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    const auto button = [this](const char* name, ToolGlyph glyph, const char* hint,
                               THandler<TForm1> handler) {
        QToolButton* b = AddToolButton(this, ToolBar1, name, glyph, hint, handler, QSize(39, 36));
        return b;
    };
    ToolBar1->addSeparator();
    BtnBack = button("BtnBack", ToolGlyph::Back, "Back", &TForm1::BtnBackClick);
    BtnPrevLevel =
        button("BtnPrevLevel", ToolGlyph::UpOneLevel, "Up one level", &TForm1::BtnPrevLevelClick);
    BtnRefresh = button("BtnRefresh", ToolGlyph::Refresh, "Refresh", &TForm1::BtnRefreshClick);
    BtnFind = button("BtnFind", ToolGlyph::Search, "Search", &TForm1::BtnFindClick);
    ToolBar1->addSeparator();
    ToolBar1->addSeparator();
    BtnCut = button("BtnCut", ToolGlyph::MoveTo, "Move To", &TForm1::BtnCutClick);
    BtnCopy = button("BtnCopy", ToolGlyph::CopyTo, "Copy To", &TForm1::BtnCopyClick);
    BtnPaste = button("BtnPaste", ToolGlyph::Delete, "Delete", &TForm1::BtnPasteClick);
    ToolBar1->addSeparator();
    ToolButton3 =
        button("ToolButton3", ToolGlyph::Thumbnail, "Thumbnail", &TForm1::ToolButton3Click);
    ToolBar1->addSeparator();
    BtnBack->setEnabled(false);
}

void TForm1::BuildMenus() {
    const auto item = [this](QMenu* menu, const char* name, const char* caption,
                             THandler<TForm1> handler) {
        return AddMenuItem(this, menu, name, caption, handler);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    Exit1 = item(file, "Exit1", "Exit", &TForm1::Exit1Click);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    Copy1 = item(edit, "Copy1", "Copy to", &TForm1::BtnCopyClick);
    Cut1 = item(edit, "Cut1", "Move to", &TForm1::BtnCutClick);
    Paste1 = item(edit, "Paste1", "Delete", &TForm1::BtnPasteClick);
    edit->addSeparator();
    Search1 = item(edit, "Search1", "Search", &TForm1::BtnFindClick);

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    Detail1 = item(view, "Detail1", "Detail", THandler<TForm1>{});
    Detail1->setEnabled(false);
    humbnail1 = item(view, "humbnail1", "Thumbnail", &TForm1::ToolButton3Click);
    view->addSeparator();
    Fullscreen1 = item(view, "Fullscreen1", "Fullscreen", &TForm1::ListView1DblClick);
    Refresh1 = item(view, "Refresh1", "Refresh", &TForm1::BtnRefreshClick);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    HelpContain1 = item(help, "HelpContain1", "Help Contain", &TForm1::HelpContain1Click);
    About1 = item(help, "About1", "About", &TForm1::About1Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ViewFullscreen1 =
        item(PopupMenu1, "ViewFullscreen1", "View Fullscreen", &TForm1::ListView1DblClick);
    PopupMenu1->addSeparator();
    MoveTo1 = item(PopupMenu1, "MoveTo1", "Move To", &TForm1::BtnCutClick);
    Copyto1 = item(PopupMenu1, "Copyto1", "Copy to", &TForm1::BtnCopyClick);
    Delete1 = item(PopupMenu1, "Delete1", "Delete", &TForm1::BtnPasteClick);
    PopupMenu1->addSeparator();
    Properties1 = item(PopupMenu1, "Properties1", "Properties", &TForm1::Properties1Click);
}

void TForm1::BuildClientArea() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);

    const TAddressBar address = CreateAddressBar(central, column);
    Panel9 = address.Panel9;
    EdSelFolder = address.EdSelFolder;

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    explor = CreateFolderTree(splitter);
    explor->setToolTip(QStringLiteral("Click to view content"));
    BindFolderTree(this, explor);

    ListView1 = new TImageTable(splitter);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setToolTip(QStringLiteral("Double click to view"));
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });
    connect(ListView1, &QAbstractItemView::doubleClicked, this,
            Guarded([this](const QModelIndex&) { ListView1DblClick(); }));

    splitter->addWidget(explor);
    splitter->addWidget(ListView1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 680});
    column->addWidget(splitter, 1);
    setCentralWidget(central);
}

void TForm1::FormCreate() {
    // The address box already stretches with the window through its layout.
    explor->GoToFolder(QStringLiteral("C:\\"));
    EdSelFolder->setText(AddSlash(DelSlash(explor->SelectedPath())));
    navigation_->Start();
}

QMenu* TForm1::createPopupMenu() {
    return nullptr;
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

std::string TForm1::SelectedFilePath() const {
    const int index = ListView1->ItemIndex();
    if (index < 0)
        return {};
    return platform::pathBytes(EdSelFolder->text()) + ListView1->FileName(index);
}

void TForm1::explorDirChange(QObject*, const QString&) {
    ListView1->Items()->Clear();
    ImageList1->clear();
    ListView1->SetSmallImages(ImageList1);
    ListView1->SetReportView(true);
    QString folder = explor->SelectedPath();
    if (folder.endsWith(QLatin1Char('\\')))
        folder.chop(1);
    folder += QLatin1Char('\\');
    EdSelFolder->setText(folder);
    FillImageTable(folder, ListView1, ImageList1);
}

void TForm1::explorMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
    navigation_->MouseDown(X, Y);
}

void TForm1::BackFwdLstUpdate() {
    navigation_->RecordFolderLeft();
}

void TForm1::BtnBackClick() {
    navigation_->Back();
}

void TForm1::BtnPrevLevelClick() {
    navigation_->UpOneLevel();
}

void TForm1::BtnRefreshClick() {
    navigation_->Refresh();
}

void TForm1::BtnFindClick() {
    SearchFolder(EdSelFolder->text());
}

void TForm1::BtnCutClick() {
    OpenDestination(moveform);
}

void TForm1::BtnCopyClick() {
    OpenDestination(copyform);
}

void TForm1::OpenDestination(TDestinationForm* dialog) {
    if (ListView1->Count() == 0 || ListView1->ItemIndex() < 0)
        return;
    dialog->Open(platform::pathText(ListView1->FileName(ListView1->ItemIndex())),
                 EdSelFolder->text());
}

void TForm1::BtnPasteClick() {
    if (ListView1->Count() == 0 || ListView1->ItemIndex() < 0)
        return;
    // After a delete only this window lists its folder again; the thumbnail window is not told.
    if (DeleteAfterConfirming(this, SelectedFilePath()))
        explorDirChange(explor, explor->SelectedPath());
}

void TForm1::ToolButton3Click() {
    ShowAndRaise(MainForm);
    hide();
    MainForm->explor->GoToFolder(explor->SelectedPath());
    HandOverSelection();
}

void TForm1::HandOverSelection() {
    // The index goes over as it is, without matching names: the viewer's Next and Previous then
    // start from the same picture.
    const int index = ListView1->ItemIndex();
    if (index < 0)
        return;
    MainForm->SelectItem(index);
    MainForm->ListViewClick();
}

void TForm1::Exit1Click() {
    QCoreApplication::quit();
}

void TForm1::HelpContain1Click() {
    OpenHelpFile(this);
}

void TForm1::About1Click() {
    ShowAndRaise(Form6);
}

void TForm1::Properties1Click() {
    if (ListView1->ItemIndex() < 0)
        return;
    Form5->ShowReport(SelectedFilePath());
}

void TForm1::ListView1DblClick() {
    if (ListView1->ItemIndex() < 0)
        return;
    MainForm->explor->GoToFolder(explor->SelectedPath());
    HandOverSelection();
    Form4->OpenPicture(EdSelFolder->text(),
                       platform::pathText(ListView1->FileName(ListView1->ItemIndex())));
}
