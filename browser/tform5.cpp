#include "browser/tform5.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QTextDocument>
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
    // The box grows to its report (FitMemoToLines), so it never scrolls; bars that are only
    // "as needed" could keep each other shown once it has grown.
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
    FitMemoToLines(lines);
    Memo1->setUpdatesEnabled(true);
}

void TForm5::FitMemoToLines(const QStringList& lines) {
    // The box is 267 x 417 for the report's 30 lines in a small font; with the desktop's own font
    // it grows until every line fits, so the report never needs a scroll bar.
    const QFontMetrics metrics(Memo1->font());
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margin = 2 * static_cast<int>(std::ceil(Memo1->document()->documentMargin())) +
                       2 * Memo1->frameWidth();
    // The text's own layout runs a little wider and taller than the font's measures of its lines
    // (cursor, rounding): a few characters and a line of room keep the scroll bars away.
    const int width = widest + margin + 3 * metrics.averageCharWidth();
    const int height = metrics.lineSpacing() * (static_cast<int>(lines.size()) + 1) + margin;
    Memo1->setFixedSize(std::max(267, width), std::max(417, height));
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
