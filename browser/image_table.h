// The image table of the main window: a list view in report view with the 29 fixed columns, one
// row per picture (caption, 28 sub-item texts, an index into the table's small-icon list).
// Rows are held in a plain vector so that listing thousands of pictures stays fast; while an
// update is open new rows are collected and shown in one go when it ends.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QStringList>
#include <QTreeView>

namespace platform {
class ImageList;
}

// Caption is what the row shows; FileName is the entry's name as the file system gave it, which
// every command on the row uses (a name that is not UTF-8 reads differently from its bytes).
struct TImageRow {
    QString Caption;
    std::string FileName;
    int ImageIndex = -1;
    QStringList SubItems; // columns 2 to 29
};

class TImageTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TImageTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetImages(platform::ImageList* images);
    void BeginUpdate();
    void EndUpdate();
    void Append(TImageRow row);
    void Clear();
    const TImageRow& Row(int index) const { return rows_[static_cast<size_t>(index)]; }
    int Count() const { return static_cast<int>(rows_.size()); }

private:
    std::vector<TImageRow> rows_;
    std::vector<TImageRow> pending_;
    int updateDepth_ = 0;
    platform::ImageList* images_ = nullptr;
};

class TImageTable : public QTreeView {
    Q_OBJECT
public:
    explicit TImageTable(QWidget* parent = nullptr);

    TImageTableModel* Items() const { return model_; }
    int Count() const { return model_->Count(); }
    QString Caption(int index) const { return model_->Row(index).Caption; }
    const std::string& FileName(int index) const { return model_->Row(index).FileName; }
    int ItemIndex() const; // the selected row, -1 when none
    void SetItemIndex(int index);
    void SetSmallImages(platform::ImageList* images) { model_->SetImages(images); }
    // Report view shows the headers; before the first folder the table is in list view.
    void SetReportView(bool report);

private:
    TImageTableModel* model_;
};
