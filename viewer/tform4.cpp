#include "viewer/tform4.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "widgets/handler_guard.h"
#include "widgets/timage.h"

TForm4* Form4 = nullptr;

namespace {

QPushButton* FlatButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFlat(true);
    button->setStyleSheet(QStringLiteral("QPushButton { color: yellow; background: black; "
                                         "border: none; padding: 4px 10px; }"
                                         "QPushButton:hover { background: #303030; }"));
    return button;
}

} // namespace

TForm4::TForm4(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Vora Vivozeru"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Panel1->setAutoFillBackground(true);
    QPalette black = Panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    Panel1->setPalette(black);
    auto* bar = new QHBoxLayout(Panel1);
    SpeedButton4 = FlatButton(Panel1, "SpeedButton4", "Zoom Down");
    SpeedButton5 = FlatButton(Panel1, "SpeedButton5", "Zoom Up");
    SpeedButton2 = FlatButton(Panel1, "SpeedButton2", "Close");
    bar->addWidget(SpeedButton4);
    bar->addWidget(SpeedButton5);
    bar->addStretch(1);
    bar->addWidget(SpeedButton2);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    Edit2 = new QLineEdit(Panel1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->hide();
    column->addWidget(Panel1);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setStyleSheet(QStringLiteral("background: black;"));
    auto* canvas = new QWidget;
    canvas->setMinimumSize(1024, 700);
    Image1 = new TImage(canvas);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(271, 126, 473, 443);
    ScrollBox1->setWidget(canvas);
    ScrollBox1->setWidgetResizable(true);
    column->addWidget(ScrollBox1, 1);

    connect(SpeedButton4, &QPushButton::clicked, this, Guarded([this] { SpeedButton4Click(); }));
    connect(SpeedButton5, &QPushButton::clicked, this, Guarded([this] { SpeedButton5Click(); }));
    connect(SpeedButton2, &QPushButton::clicked, this, Guarded([this] { SpeedButton2Click(); }));
}

TForm4::~TForm4() {
    if (Form4 == this)
        Form4 = nullptr;
}

void TForm4::showEvent(QShowEvent* event) {
    FormShow();
    QWidget::showEvent(event);
}

void TForm4::FormShow() {
    setWindowState(windowState() | Qt::WindowMaximized);
    Image1->Center = true;
    Image1->Proportional = true;
}

void TForm4::SpeedButton4Click() {
    Image1->Center = true;
    Image1->Proportional = true;
    Image1->setGeometry(Image1->x() + 50, Image1->y() + 50, Image1->width() - 100,
                        Image1->height() - 100);
}

void TForm4::SpeedButton5Click() {
    Image1->Center = true;
    Image1->Proportional = true;
    Image1->Stretch = true;
    Image1->setGeometry(Image1->x() - 50, Image1->y() - 50, Image1->width() + 100,
                        Image1->height() + 100);
}

void TForm4::SpeedButton2Click() {
    hide();
}
