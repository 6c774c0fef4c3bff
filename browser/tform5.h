// TForm5: the properties dialog — a small preview of one picture beside its properties report.
#pragma once

#include <string>
#include <vector>

#include <QWidget>

class QGroupBox;
class QPlainTextEdit;
class TImage;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    TImage* Image1;
    TImage* Image2; // hidden; holds the picture with its own width and height
    QGroupBox* GroupBox1;
    QPlainTextEdit* Memo1;

    // The properties command: loads the picture (raising the loader's error, which leaves the
    // dialog as it was), fills the report and shows the dialog.
    void ShowReport(const std::string& path);
    // Shows lines already built elsewhere (the thumbnail window's memo) with its preview.
    void ShowLines(const QStringList& lines, const TImage& preview);
    QStringList Lines() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetLines(const QStringList& lines);
    void FitMemoToLines(const QStringList& lines);
    void Present();
    bool placed_ = false;
};

extern TForm5* Form5;
