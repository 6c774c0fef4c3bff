// The "Move Items" and "Copy Items" dialogs: a folder tree in which the user picks where the
// selected picture goes, and the button that moves or copies it there.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TMavDirTree21;

class TDestinationForm : public QWidget {
    Q_OBJECT
public:
    TDestinationForm(const QString& name, const QString& caption, const QString& action,
                     QWidget* parent = nullptr);

    QLabel* Label1;
    QGroupBox* GroupBox1;
    TMavDirTree21* explor;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton3;
    QLineEdit* Edit1; // hidden: the file name (pathText of its bytes)
    QLineEdit* Edit2; // hidden: the source folder, ending in a backslash

    // The main window's command: shows the dialog for one file of a folder. Both texts are
    // pathText of the bytes they stand for; the label shows the name readably.
    void Open(const QString& fileName, const QString& sourceFolder);
    void SpeedButton1Click();
    void SpeedButton3Click();

protected:
    // Moves or copies source to destination off the window thread, with the progress window of
    // a long operation; the result is not examined.
    virtual void Transfer(const std::string& source, const std::string& destination) = 0;
    void showEvent(QShowEvent* event) override;

private:
    bool placed_ = false;
};

class Tmoveform : public TDestinationForm {
    Q_OBJECT
public:
    explicit Tmoveform(QWidget* parent = nullptr);

protected:
    void Transfer(const std::string& source, const std::string& destination) override;
};

class Tcopyform : public TDestinationForm {
    Q_OBJECT
public:
    explicit Tcopyform(QWidget* parent = nullptr);

protected:
    void Transfer(const std::string& source, const std::string& destination) override;
};

extern Tmoveform* moveform;
extern Tcopyform* copyform;
