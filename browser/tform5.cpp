#include "browser/tform5.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "browser/core/picture_texts.h"
#include "browser/tform1.h"
#include "widgets/text_bytes.h"
#include "widgets/timage.h"
#include "widgets/window_frames.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Lumograph"));
    auto* row = new QHBoxLayout(this);
    Image1 = new TImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(153, 121);
    Image2 = new TImage(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->hide();
    auto* left = new QVBoxLayout;
    left->addWidget(Image1);
    left->addStretch(1);
    row->addLayout(left);

    GroupBox1 = new QGroupBox(QStringLiteral("File Properties"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* inner = new QVBoxLayout(GroupBox1);
    Memo1 = new QPlainTextEdit(GroupBox1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFixedSize(267, 417);
    Memo1->setBackgroundRole(QPalette::Window);
    Memo1->viewport()->setAutoFillBackground(false);
    inner->addWidget(Memo1);
    row->addWidget(GroupBox1);
    MakeFixedDialogFrame(this);
}

TForm5::~TForm5() {
    if (Form5 == this)
        Form5 = nullptr;
}

void TForm5::showEvent(QShowEvent* event) {
    if (!placed_) {
        CentreOver(this, Form1);
        placed_ = true;
    }
    QWidget::showEvent(event);
}

void TForm5::SetLines(const QStringList& lines) {
    Memo1->setUpdatesEnabled(false);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    Memo1->setUpdatesEnabled(true);
}

QStringList TForm5::Lines() const {
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TForm5::Present() {
    ShowAndRaise(this);
}

void TForm5::ShowReport(const std::string& path) {
    // A picture that cannot be loaded ends the command here, before the dialog changes.
    TImage loaded;
    loaded.LoadFromFile(path, Image1->size());
    Image1->Assign(loaded);
    Image2->Assign(loaded);
    QStringList lines;
    for (const std::string& line :
         PictureReportLines(path, Image2->PictureWidth(), Image2->PictureHeight()))
        lines.append(TextFromBytes(line));
    SetLines(lines);
    Present();
}

void TForm5::ShowLines(const QStringList& lines, const TImage& preview) {
    Image1->Assign(preview);
    Image2->Assign(preview);
    SetLines(lines);
    Present();
}
