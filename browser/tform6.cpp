#include "browser/tform6.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

#include "browser/tform1.h"
#include "widgets/window_frames.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(351, 207);
    const auto label = [this](const char* name, const QString& text, int x, int y) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAttribute(Qt::WA_TranslucentBackground);
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        l->setPalette(palette);
        l->move(x, y);
        return l;
    };
    Label1 = label("Label1", QStringLiteral("Lumograph"), 24, 28);
    QFont big = Label1->font();
    big.setPointSize(26);
    big.setBold(true);
    Label1->setFont(big);
    Label1->adjustSize();
    Label2 = label("Label2", QString(29, QLatin1Char('_')), 24, 28 + Label1->height() - 10);
    Label2->adjustSize();
    Label3 = label("Label3", QStringLiteral("Version 1.0"), 24, 110);
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label3->adjustSize();
    Label4 = label("Label4", QStringLiteral("A picture browser with EXIF details for every photo."),
                   24, 150);
    Label4->adjustSize();
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

TForm6::~TForm6() {
    if (Form6 == this)
        Form6 = nullptr;
}

void TForm6::paintEvent(QPaintEvent*) {
    // The background picture of the box, stretched over all of it.
    QPainter painter(this);
    QLinearGradient sky(0, 0, width(), height());
    sky.setColorAt(0.0, QColor(250, 244, 226));
    sky.setColorAt(0.6, QColor(214, 228, 242));
    sky.setColorAt(1.0, QColor(170, 196, 224));
    painter.fillRect(rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 90));
    painter.drawEllipse(QPointF(width() - 60, 50), 70, 70);
    painter.setBrush(QColor(120, 150, 190, 60));
    painter.drawEllipse(QPointF(width() - 20, height() - 10), 110, 60);
}

void TForm6::showEvent(QShowEvent* event) {
    if (!placed_) {
        CentreOver(this, Form1);
        placed_ = true;
    }
    QWidget::showEvent(event);
}
