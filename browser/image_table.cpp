#include "browser/image_table.h"

#include <QHeaderView>

#include "browser/core/row_texts.h"
#include "platform/qt/image_list.h"

TImageTableModel::TImageTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int TImageTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int TImageTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ImageTableHeaders.size());
}

QVariant TImageTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    const TImageRow& row = Row(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (index.column() == 0)
            return row.Caption;
        return row.SubItems.value(index.column() - 1);
    }
    if (role == Qt::DecorationRole && index.column() == 0 && images_ && row.ImageIndex >= 0)
        return images_->pixmap(row.ImageIndex);
    return {};
}

QVariant TImageTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < static_cast<int>(ImageTableHeaders.size()))
        return QString::fromLatin1(ImageTableHeaders[static_cast<size_t>(section)]);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void TImageTableModel::SetImages(platform::ImageList* images) {
    images_ = images;
    if (!rows_.empty())
        Q_EMIT dataChanged(index(0, 0), index(Count() - 1, 0), {Qt::DecorationRole});
}

void TImageTableModel::BeginUpdate() {
    ++updateDepth_;
}

void TImageTableModel::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0 || pending_.empty())
        return;
    beginInsertRows({}, Count(), Count() + static_cast<int>(pending_.size()) - 1);
    if (rows_.empty())
        rows_.swap(pending_);
    else
        rows_.insert(rows_.end(), std::make_move_iterator(pending_.begin()),
                     std::make_move_iterator(pending_.end()));
    pending_.clear();
    endInsertRows();
}

void TImageTableModel::Append(TImageRow row) {
    if (updateDepth_ > 0) {
        pending_.push_back(std::move(row));
        return;
    }
    beginInsertRows({}, Count(), Count());
    rows_.push_back(std::move(row));
    endInsertRows();
}

void TImageTableModel::Clear() {
    beginResetModel();
    rows_.clear();
    pending_.clear();
    endResetModel();
}

TImageTable::TImageTable(QWidget* parent) : QTreeView(parent), model_(new TImageTableModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setIconSize(QSize(16, 16));
    QHeaderView* head = header();
    head->setSectionsClickable(false);
    head->setSectionsMovable(false);
    head->setStretchLastSection(false);
    head->setSectionResizeMode(QHeaderView::Interactive);
    head->setMinimumSectionSize(8);
    head->setDefaultSectionSize(50);
    head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetReportView(false);
}

int TImageTable::ItemIndex() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TImageTable::SetItemIndex(int index) {
    if (index < 0 || index >= Count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex at = model_->index(index, 0);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
    scrollTo(at);
}

void TImageTable::SetReportView(bool report) {
    setHeaderHidden(!report);
}
