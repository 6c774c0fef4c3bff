// TNetPathDlg: the small modal dialog behind "Map Network Drive ...". It proposes the first letter
// after the highest drive in use, lets the user type or browse for the share's path and choose
// whether the connection comes back at logon, and hands the three values to the tree. Its texts
// are English in every language. Owned by the tree that runs it; user-interface thread only.
#pragma once

#include <cstdint>

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The letters the dialog offers: every letter after the highest drive in use (bit 0 of
// logicalDrives is A:), each with a colon, and the first of them as the proposal. With Z: in use
// nothing is offered and the proposal is empty.
struct TDriveOffer {
    QString DriveText;
    QStringList Letters;
};
TDriveOffer OfferedDriveLetters(uint32_t logicalDrives);

class TNetPathDlg : public QDialog {
    Q_OBJECT
public:
    explicit TNetPathDlg(QWidget* owner);

    // Shows the dialog modally; true when it was closed with OK. Reconnect takes the check box
    // in either case; DriveText and NetPath take the boxes' texts only after OK.
    bool Execute();

    QString DriveText; // a letter and a colon
    QString NetPath;   // the share's path, without trailing backslash
    bool Reconnect = true;
    QStringList DriveLetters; // the offered letters

    QLabel* Label1;
    QLabel* DriveLabel;
    QLabel* PathLabel;
    QComboBox* DriveBox;
    QLineEdit* PathBox;
    QPushButton* BtnOK;
    QPushButton* BtnBrowse;
    QPushButton* BtnCancel;
    QCheckBox* ReconnectBox;

private:
    void BtnBrowseClick();
};
