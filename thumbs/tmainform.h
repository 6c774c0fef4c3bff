// TMainForm: the thumbnail window. It shares the main window's folder tree and address box layout;
// the thumbnail list, its worker and the preview panes come with the thumbnail browser itself.
#pragma once

#include <QMainWindow>

class QLineEdit;
class QListView;
class QStandardItemModel;
class QToolButton;
class TImage;
class TMavDirTree21;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    TMavDirTree21* explor;
    QLineEdit* EdSelFolder;
    QListView* ListView;
    QToolButton* ToolButton3;
    TImage* Image1; // the preview of the selected picture
    TImage* Image2; // hidden: the picture with its own width and height

    // The thumbnail list as the other windows walk it (the viewer steps through it, the main
    // window hands over its selected index). Indices are those of the listing.
    int ItemCount() const;
    int ItemIndex() const; // the selected item, -1 when none
    void SelectItem(int index);
    QString ItemCaption(int index) const;

    void FormCreate();
    // Applies the tree's folder to the window (also called by the copy and move dialogs).
    void explorDirChange(QObject* Sender, const QString& SelectedPath);
    // "Deteils": back to the main window on this window's folder.
    void ToolButton3Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QStandardItemModel* items_;
    bool placed_ = false;
};

extern TMainForm* MainForm;
