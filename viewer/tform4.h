// TForm4: the "Vora Vivozeru" full-screen picture viewer — a black bar of buttons above a
// scrolling area that holds the picture box.
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class QScrollArea;
class TImage;

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    QWidget* Panel1;
    QPushButton* SpeedButton4; // "Zoom Down"
    QPushButton* SpeedButton5; // "Zoom Up"
    QPushButton* SpeedButton2; // "Close"
    QLineEdit* Edit1;          // hidden: the folder, ending in a backslash
    QLineEdit* Edit2;          // hidden: the file name
    QScrollArea* ScrollBox1;
    TImage* Image1;

    void FormShow();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm4* Form4;
