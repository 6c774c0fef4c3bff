// TMainForm: the thumbnail window. It shares the main window's folder tree and address box layout;
// the thumbnail list, its worker and the preview panes come with the thumbnail browser itself.
#pragma once

#include <QMainWindow>

class QLineEdit;
class QListView;
class QToolButton;
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

    void FormCreate();
    // Applies the tree's folder to the window (also called by the copy and move dialogs).
    void explorDirChange(QObject* Sender, const QString& SelectedPath);
    // "Deteils": back to the main window on this window's folder.
    void ToolButton3Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool placed_ = false;
};

extern TMainForm* MainForm;
