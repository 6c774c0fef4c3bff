// The folder-contents window: a caption bar, the sorted list of files with their system icons,
// and a bottom panel with the OK button and a size grip.
#include "dirtree/folder_contents_window.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSizeGrip>

#include "dirtree/shell_helpers.h"
#include "platform/core/files.h"
#include "platform/qt/image_list.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

namespace {

constexpr int kPathRole = Qt::UserRole; // the item's full path, its first sub-item

} // namespace

const QString TFolderContentsWindow::ListHint =
    QStringLiteral("LeftClick - Select\rDblClick  - Open");

TFolderContentsWindow::TFolderContentsWindow(QWidget* tree, const QString& folder,
                                             const QString& caption, TClosed closed)
    : QFrame(tree), Closed(std::move(closed)) {
    setObjectName(QStringLiteral("FolderContents"));
    setWindowTitle(caption);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);

    // The tool window's caption, drawn as a thin bar since the window lives inside the tree.
    CaptionBar = new QLabel(caption, this);
    CaptionBar->setObjectName(QStringLiteral("CaptionBar"));
    CaptionBar->setBackgroundRole(QPalette::Highlight);
    CaptionBar->setForegroundRole(QPalette::HighlightedText);
    CaptionBar->setAutoFillBackground(true);
    CaptionBar->setContentsMargins(3, 1, 3, 1);
    QFont small = CaptionBar->font();
    small.setBold(true);
    CaptionBar->setFont(small);
    layout->addWidget(CaptionBar);

    ListView = new QListWidget(this);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setViewMode(QListView::ListMode);
    ListView->setFlow(QListView::TopToBottom);
    ListView->setWrapping(true);
    ListView->setResizeMode(QListView::Adjust);
    ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView->setPalette(tree->palette());
    ListView->setFont(tree->font());
    ListView->setToolTip(QString(ListHint).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    ListView->setSortingEnabled(true);
    const platform::ImageList& images = platform::systemImageList(platform::IconSize::Small);
    ListView->setIconSize(QSize(images.width(), images.height()));
    layout->addWidget(ListView, 1);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(22);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(0);
    bottomLayout->addWidget(new QSizeGrip(bottom), 0, Qt::AlignLeft | Qt::AlignBottom);
    bottomLayout->addStretch(1);
    auto* right = new QWidget(bottom);
    right->setFixedSize(80, 22);
    BtnOK = new QPushButton(QStringLiteral("&OK"), right);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry(1, 1, 60, 22);
    BtnOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    bottomLayout->addWidget(right);
    layout->addWidget(bottom);

    connect(BtnOK, &QPushButton::clicked, this, &TFolderContentsWindow::BtnOKClick);
    connect(ListView, &QListWidget::itemDoubleClicked, this,
            &TFolderContentsWindow::ListViewDblClick);

    Fill(folder);
    setGeometry(tree->rect());
    raise();
    show();
}

void TFolderContentsWindow::Fill(const QString& folder) {
    platform::HourglassCursor hourglass;
    ListView->setUpdatesEnabled(false);
    const platform::ImageList& images = platform::systemImageList(platform::IconSize::Small);
    const QString directory = AddSlash(folder);
    platform::FindFile find(platform::pathBytes(directory + QStringLiteral("*.*")));
    platform::FindData entry;
    while (find.next(entry)) {
        if (entry.attributes & platform::FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const QString path = directory + platform::pathText(entry.name);
        auto* item = new QListWidgetItem(platform::displayText(entry.name));
        const int index =
            platform::shellIconIndex(platform::pathBytes(path), platform::IconSize::Small, false);
        if (index >= 0)
            item->setIcon(images.icon(index));
        item->setData(kPathRole, path);
        ListView->addItem(item);
    }
    // The first item carries the focus mark without being selected.
    if (ListView->count() > 0)
        ListView->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    ListView->setUpdatesEnabled(true);
}

void TFolderContentsWindow::BtnOKClick() {
    const QList<QListWidgetItem*> selected = ListView->selectedItems();
    const QString chosen =
        selected.isEmpty() ? QString() : selected.front()->data(kPathRole).toString();
    const TClosed closed = Closed;
    hide();
    deleteLater();
    if (closed)
        closed(chosen);
}

void TFolderContentsWindow::ListViewDblClick(QListWidgetItem* item) {
    if (!item || !item->isSelected())
        return;
    const QString path = item->data(kPathRole).toString();
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('\\')) + 1);
    hide();
    ExecuteFile(QStringLiteral("Open"), path, QString(), platform::SW_SHOW, folder);
    show();
}
