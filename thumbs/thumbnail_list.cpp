// The thumbnail window's icon list.
#include "thumbs/thumbnail_list.h"

#include "platform/qt/image_list.h"
#include "platform/qt/path_text.h"

TThumbnailListModel::TThumbnailListModel(QObject* parent) : QAbstractListModel(parent) {}

int TThumbnailListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant TThumbnailListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    const TThumbnailItem& item = Item(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return platform::displayText(item.Name);
    if (role == Qt::DecorationRole && images_) {
        // An item without an image still takes an image's room, so that every item has the size
        // its thumbnail will need.
        const int key =
            item.ImageIndex >= 0 && item.ImageIndex < images_->count() ? item.ImageIndex : -1;
        auto it = pixmaps_.find(key);
        if (it == pixmaps_.end()) {
            QPixmap picture = key >= 0 ? images_->pixmap(key) : QPixmap();
            if (picture.isNull()) {
                picture = QPixmap(images_->width(), images_->height());
                picture.fill(Qt::transparent);
            }
            it = pixmaps_.emplace(key, picture).first;
        }
        return it->second;
    }
    return {};
}

void TThumbnailListModel::SetImages(platform::ImageList* images) {
    if (images_ == images)
        return;
    if (images_)
        disconnect(images_, nullptr, this, nullptr);
    images_ = images;
    if (images_)
        connect(images_, &platform::ImageList::changed, this, &TThumbnailListModel::ImagesChanged);
    ImagesChanged(-1);
}

void TThumbnailListModel::ImagesChanged(int index) {
    if (index < 0)
        pixmaps_.clear();
    else
        pixmaps_.erase(index);
    if (!items_.empty())
        Q_EMIT dataChanged(this->index(0), this->index(Count() - 1), {Qt::DecorationRole});
}

void TThumbnailListModel::Clear() {
    beginResetModel();
    items_.clear();
    endResetModel();
}

void TThumbnailListModel::SetNames(const std::vector<std::string>& names) {
    beginResetModel();
    items_.clear();
    items_.reserve(names.size());
    for (const std::string& name : names)
        items_.push_back({name, -1});
    endResetModel();
}

void TThumbnailListModel::SetImageIndex(int item, int imageIndex) {
    if (item < 0 || item >= Count())
        return;
    items_[static_cast<size_t>(item)].ImageIndex = imageIndex;
    Q_EMIT dataChanged(index(item), index(item), {Qt::DecorationRole});
}

void TThumbnailListModel::SetName(int item, std::string name) {
    if (item < 0 || item >= Count())
        return;
    items_[static_cast<size_t>(item)].Name = std::move(name);
    Q_EMIT dataChanged(index(item), index(item), {Qt::DisplayRole, Qt::ToolTipRole});
}

TThumbnailList::TThumbnailList(QWidget* parent)
    : QListView(parent), model_(new TThumbnailListModel(this)) {
    setModel(model_);
    setViewMode(QListView::IconMode);
    // Aligned to the left edge: columns from the top, filled from left to right.
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setIconSize(QSize(120, 120));
    setGridSize(QSize(136, 146));
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int TThumbnailList::ItemIndex() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void TThumbnailList::SetItemIndex(int index) {
    if (index < 0 || index >= Count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex item = model_->index(index);
    selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    scrollTo(item);
}

void TThumbnailList::SetLargeImages(platform::ImageList* images) {
    model_->SetImages(images);
}

void TThumbnailList::BeginUpdate() {
    if (updateDepth_++ == 0)
        setUpdatesEnabled(false);
}

void TThumbnailList::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0)
        setUpdatesEnabled(true);
}
