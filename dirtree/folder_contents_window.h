// The folder-contents window of the tree's "Folder Contents" command: a small tool window laid
// over the tree that lists the files (not the folders) of one folder. A double-click opens a file;
// OK hands the selected file, if any, back and closes the window. Child of the tree; user-interface
// thread only.
#pragma once

#include <functional>

#include <QFrame>
#include <QString>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class TFolderContentsWindow : public QFrame {
    Q_OBJECT
public:
    // The hint of the list, English in every language.
    static const QString ListHint;
    // Called by OK with the full path of the selected file (empty when none is selected), just
    // before the window goes.
    using TClosed = std::function<void(const QString& chosenFile)>;

    // Fills the list with the files of folder and shows the window over all of the tree.
    TFolderContentsWindow(QWidget* tree, const QString& folder, const QString& caption,
                          TClosed closed);

    QListWidget* ListView;
    QPushButton* BtnOK;

private:
    void Fill(const QString& folder);
    void BtnOKClick();
    void ListViewDblClick(QListWidgetItem* item);

    QLabel* CaptionBar;
    TClosed Closed;
};
