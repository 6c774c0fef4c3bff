#include "thumbs/tmainform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSplitter>
#include <QStandardItemModel>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "browser/tform1.h"
#include "dirtree/mav_dir_tree.h"
#include "dirtree/shell_helpers.h"
#include "widgets/handler_guard.h"
#include "widgets/timage.h"
#include "widgets/toolbar_icons.h"
#include "widgets/window_frames.h"
#include "widgets/window_parts.h"

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    resize(925, 604);
    auto* toolBar = addToolBar(QStringLiteral("ToolBar1"));
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(24, 24));
    ToolButton3 = new QToolButton(toolBar);
    ToolButton3->setObjectName(QStringLiteral("ToolButton3"));
    ToolButton3->setIcon(ToolIcon(ToolGlyph::Detail));
    ToolButton3->setToolTip(QStringLiteral("Deteils"));
    ToolButton3->setAutoRaise(true);
    ToolButton3->setMinimumSize(51, 39);
    connect(ToolButton3, &QToolButton::clicked, this, Guarded([this] { ToolButton3Click(); }));
    toolBar->addWidget(ToolButton3);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(2, 2, 2, 2);
    EdSelFolder = CreateAddressBar(central, column).EdSelFolder;

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    explor = CreateFolderTree(splitter);
    explor->OnDirChange =
        Guarded([this](QObject* sender, const QString& path) { explorDirChange(sender, path); });
    ListView = new QListView(splitter);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setViewMode(QListView::IconMode);
    items_ = new QStandardItemModel(this);
    ListView->setModel(items_);
    Image1 = new TImage(splitter);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image2 = new TImage(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->hide();
    splitter->addWidget(explor);
    splitter->addWidget(ListView);
    splitter->addWidget(Image1);
    splitter->setSizes({199, 726});
    column->addWidget(splitter, 1);
    setCentralWidget(central);
    FormCreate();
}

TMainForm::~TMainForm() {
    if (MainForm == this)
        MainForm = nullptr;
}

int TMainForm::ItemCount() const {
    return items_->rowCount();
}

int TMainForm::ItemIndex() const {
    const QModelIndex current = ListView->selectionModel()->currentIndex();
    return ListView->selectionModel()->isSelected(current) ? current.row() : -1;
}

void TMainForm::SelectItem(int index) {
    ListView->selectionModel()->setCurrentIndex(items_->index(index, 0),
                                                QItemSelectionModel::ClearAndSelect);
}

QString TMainForm::ItemCaption(int index) const {
    return items_->data(items_->index(index, 0)).toString();
}

void TMainForm::FormCreate() {
    setWindowTitle(QCoreApplication::applicationName());
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

void TMainForm::explorDirChange(QObject*, const QString&) {
    EdSelFolder->setText(AddSlash(DelSlash(explor->SelectedPath())));
}

void TMainForm::ToolButton3Click() {
    ShowAndRaise(Form1);
    hide();
    Form1->explor->GoToFolder(explor->SelectedPath());
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the thumbnail window ends the program, as closing the main window does.
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
