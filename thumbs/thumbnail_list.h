// The thumbnail window's list: an icon view whose items are file names (kept as the bytes the file
// system gave) with an index into a 120 x 120 image list, laid out in columns from the left edge
// so that in a low strip the thumbnails run as one row. While an update is open the view does not
// repaint; updates nest and are counted.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include <QAbstractListModel>
#include <QListView>
#include <QPixmap>

namespace platform {
class ImageList;
}

struct TThumbnailItem {
    std::string Name;    // the caption as bytes (the file name, or the raw file's for a sidecar)
    int ImageIndex = -1; // -1: no image
};

class TThumbnailListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TThumbnailListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void SetImages(platform::ImageList* images);
    void Clear();
    void SetNames(const std::vector<std::string>& names);
    void SetImageIndex(int item, int imageIndex);
    void SetName(int item, std::string name);
    const TThumbnailItem& Item(int item) const { return items_[static_cast<size_t>(item)]; }
    int Count() const { return static_cast<int>(items_.size()); }

private:
    void ImagesChanged(int index);

    std::vector<TThumbnailItem> items_;
    platform::ImageList* images_ = nullptr;
    mutable std::unordered_map<int, QPixmap> pixmaps_; // made on demand, per image index
};

class TThumbnailList : public QListView {
    Q_OBJECT
public:
    explicit TThumbnailList(QWidget* parent = nullptr);

    TThumbnailListModel* Items() const { return model_; }
    int Count() const { return model_->Count(); }
    int ItemIndex() const; // the selected item, -1 when none
    void SetItemIndex(int index);
    void SetLargeImages(platform::ImageList* images);

    void BeginUpdate();
    void EndUpdate();
    int UpdateDepth() const { return updateDepth_; }

private:
    TThumbnailListModel* model_;
    int updateDepth_ = 0;
};
