#include "viewer/tform4.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "geometry/placement.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/path_text.h"
#include "platform/qt/picture_loader.h"
#include "platform/qt/ui.h"
#include "viewer/core/list_steps.h"
#include "widgets/handler_guard.h"
#include "widgets/timage.h"

TForm4* Form4 = nullptr;

namespace {

constexpr int kBarHeight = 41;
constexpr int kSlideShowMs = 5000;
// One notch of a mouse wheel, in the eighths of a degree wheel events count.
constexpr int kWheelNotch = 120;
const geometry::Rect kStartBox{271, 126, 473, 443};

QPushButton* FlatButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(QStringLiteral("QPushButton { color: yellow; background: black; "
                                         "border: none; padding: 4px 10px; }"
                                         "QPushButton:hover { background: #303030; }"
                                         "QPushButton:checked { background: #505050; }"));
    return button;
}

void PaintBlack(QWidget* widget) {
    QPalette black = widget->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::Base, Qt::black);
    widget->setPalette(black);
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}

// The pixels a box needs of a picture whose own size is upright as drawn: the size it draws it
// at, in device pixels.
QSize DrawnPixels(const TImage* box, QSize upright) {
    const geometry::Rect drawn = geometry::PlacePicture(
        {upright.width(), upright.height()}, {box->width(), box->height()},
        {.center = box->Center, .proportional = box->Proportional, .stretch = box->Stretch});
    const qreal ratio = box->devicePixelRatioF();
    return {static_cast<int>(std::ceil(drawn.width * ratio)),
            static_cast<int>(std::ceil(drawn.height * ratio))};
}

} // namespace

TForm4::TForm4(std::unique_ptr<TViewerList> list, QWidget* parent)
    : QWidget(parent), list_(std::move(list)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Vora Vivozeru"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowState(Qt::WindowMaximized);
    PaintBlack(this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kBarHeight);
    PaintBlack(Panel1);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(8, 0, 24, 0);
    bar->setSpacing(2);
    SpeedButton3 = FlatButton(Panel1, "SpeedButton3", "Previous");
    SpeedButton1 = FlatButton(Panel1, "SpeedButton1", "Next");
    SpeedButton6 = FlatButton(Panel1, "SpeedButton6", "Autoview");
    SpeedButton6->setCheckable(true);
    SpeedButton4 = FlatButton(Panel1, "SpeedButton4", "Zoom Down");
    SpeedButton5 = FlatButton(Panel1, "SpeedButton5", "Zoom Up");
    SpeedButton2 = FlatButton(Panel1, "SpeedButton2", "Close");
    for (QPushButton* button :
         {SpeedButton3, SpeedButton1, SpeedButton6, SpeedButton4, SpeedButton5})
        bar->addWidget(button);
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
    PaintBlack(ScrollBox1);
    PaintBlack(ScrollBox1->viewport());
    canvas_ = new QWidget;
    PaintBlack(canvas_);
    Image1 = new TImage(canvas_);
    Image1->setObjectName(QStringLiteral("Image1"));
    ScrollBox1->setWidget(canvas_);
    ScrollBox1->setWidgetResizable(true);
    column->addWidget(ScrollBox1, 1);
    SetBox(kStartBox);
    // The window takes the keys; the scrolling area would take the arrows and the wheel for
    // itself.
    setFocusPolicy(Qt::StrongFocus);
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->viewport()->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kSlideShowMs);

    loader_ = new platform::PictureLoader(this);
    prefetcher_ = new platform::PictureLoader(this);
    prefetcher_->setObjectName(QStringLiteral("prefetcher"));
    slideShowReport_ = new platform::OpenMessageBox(this);
    slideShowReport_->setObjectName(QStringLiteral("slideShowReport"));
    for (platform::PictureLoader* loader : {loader_, prefetcher_}) {
        connect(loader, &platform::PictureLoader::stageReady, this, &TForm4::StageReady);
        connect(loader, &platform::PictureLoader::failed, this, &TForm4::LoadFailed);
    }

    connect(SpeedButton1, &QPushButton::clicked, this,
            [this] { RunReported([this] { SpeedButton1Click(); }); });
    connect(SpeedButton3, &QPushButton::clicked, this,
            [this] { RunReported([this] { SpeedButton3Click(); }); });
    connect(SpeedButton4, &QPushButton::clicked, this, Guarded([this] { SpeedButton4Click(); }));
    connect(SpeedButton5, &QPushButton::clicked, this, Guarded([this] { SpeedButton5Click(); }));
    connect(SpeedButton6, &QPushButton::clicked, this, Guarded([this] { SpeedButton6Click(); }));
    connect(SpeedButton2, &QPushButton::clicked, this, Guarded([this] { SpeedButton2Click(); }));
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

TForm4::~TForm4() {
    if (Form4 == this)
        Form4 = nullptr;
}

void TForm4::SetList(std::unique_ptr<TViewerList> list) {
    // Decodes under way may draw into the old list's previews.
    loader_->cancel();
    prefetcher_->cancel();
    load_.reset();
    prefetch_.reset();
    list_ = std::move(list);
}

void TForm4::showEvent(QShowEvent* event) {
    FormShow();
    QWidget::showEvent(event);
}

void TForm4::FormShow() {
    // Maximised: a window manager gives the window the screen's work area; without one the
    // geometry does.
    if (const QScreen* display = screen())
        setGeometry(display->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    Image1->Center = true;
    Image1->Proportional = true;
    setFocus();
}

void TForm4::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        SpeedButton2->click();
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
    case Qt::Key_Space:
        SpeedButton1->click();
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        SpeedButton3->click();
        break;
    case Qt::Key_Home:
        RunReported([this] { Step(FirstIndex(list_->ItemCount()), 1); });
        break;
    case Qt::Key_End:
        RunReported([this] { Step(LastIndex(list_->ItemCount()), -1); });
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        SpeedButton5->click();
        break;
    case Qt::Key_Minus:
        SpeedButton4->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TForm4::wheelEvent(QWheelEvent* event) {
    // A fine-grained wheel (a touchpad) sends parts of a notch; they add up to one step.
    wheelTurn_ += event->angleDelta().y();
    while (wheelTurn_ <= -kWheelNotch) {
        wheelTurn_ += kWheelNotch;
        SpeedButton1->click();
    }
    while (wheelTurn_ >= kWheelNotch) {
        wheelTurn_ -= kWheelNotch;
        SpeedButton3->click();
    }
    event->accept();
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1->viewport()) {
        if (event->type() == QEvent::Wheel) {
            wheelEvent(static_cast<QWheelEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            SpeedButton2->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm4::OpenPicture(const QString& folder, const QString& fileName) {
    show();
    raise();
    activateWindow();
    Edit1->setText(folder);
    Edit2->setText(fileName);
    LoadPicture(Edit1->text() + Edit2->text(), {Image1}, true);
}

void TForm4::SpeedButton1Click() {
    Step(NextIndex(list_->ItemIndex(), list_->ItemCount()), 1);
}

void TForm4::SpeedButton3Click() {
    Step(PreviousIndex(list_->ItemIndex(), list_->ItemCount()), -1);
}

void TForm4::Step(int index, int direction) {
    if (index < 0)
        return;
    lastStep_ = direction;
    list_->SelectItem(index);
    LoadPicture(list_->Folder() + list_->ItemCaption(index), StepBoxes(), true);
}

std::vector<TImage*> TForm4::StepBoxes() const {
    // The thumbnail window's preview and its copy follow, without its report being rebuilt.
    std::vector<TImage*> boxes{Image1};
    for (TImage* box : {list_->Preview(), list_->PreviewCopy()})
        if (box != nullptr)
            boxes.push_back(box);
    return boxes;
}

void TForm4::SpeedButton4Click() {
    Image1->Center = true;
    Image1->Proportional = true;
    SetBox(geometry::ZoomStep({Image1->x(), Image1->y(), Image1->width(), Image1->height()}, -1));
}

void TForm4::SpeedButton5Click() {
    Image1->Center = true;
    Image1->Proportional = true;
    Image1->Stretch = true;
    SetBox(geometry::ZoomStep({Image1->x(), Image1->y(), Image1->width(), Image1->height()}, 1));
    RefineForBox();
}

void TForm4::SpeedButton6Click() {
    if (SpeedButton6->isChecked()) {
        Timer1->start();
    } else {
        Timer1->stop();
        SpeedButton6->setChecked(false);
    }
}

void TForm4::SpeedButton2Click() {
    // The slide show goes on while the window is hidden; the thumbnail window's preview follows.
    hide();
}

void TForm4::Timer1Timer() {
    RunReported([this] { SpeedButton1Click(); });
}

void TForm4::LoadPicture(const QString& path, const std::vector<TImage*>& boxes, bool coarseFirst) {
    const platform::PictureInfo info = platform::probePicture(platform::pathBytes(path));
    const QSize upright = platform::uprightSize(info.size, info.orientation);
    Load load;
    load.path = path;
    QSize needed;
    for (TImage* box : boxes) {
        load.targets.push_back({box, box->Picture(),
                                QSize(box->PictureWidth(), box->PictureHeight()),
                                box->Orientation()});
        needed = needed.expandedTo(DrawnPixels(box, upright));
    }
    // The picture decoded ahead serves when it is this file as it is now, at least as large.
    if (prefetch_ && prefetch_->path == path && prefetch_->stamp == info.stamp &&
        platform::reductionFor(upright, prefetch_->needed) <=
            platform::reductionFor(upright, needed)) {
        loader_->cancel();
        load.ticket = prefetch_->ticket;
        load_ = std::move(load);
        std::optional<platform::PictureStage> ready = std::move(prefetch_->result);
        prefetch_.reset();
        if (ready)
            StageReady(load_->ticket, *ready);
        return;
    }
    prefetcher_->cancel();
    prefetch_.reset();
    load.ticket = loader_->load({platform::pathBytes(path), needed, coarseFirst});
    load_ = std::move(load);
}

void TForm4::PrefetchNext() {
    // Only while a step can come: the window is shown or the slide show runs.
    if (load_ || (!isVisible() && !Timer1->isActive()))
        return;
    const int n = list_->ItemCount();
    const int index =
        lastStep_ < 0 ? PreviousIndex(list_->ItemIndex(), n) : NextIndex(list_->ItemIndex(), n);
    if (index < 0)
        return;
    const QString path = list_->Folder() + list_->ItemCaption(index);
    if (path == shownPath_ || (prefetch_ && prefetch_->path == path))
        return;
    prefetcher_->cancel();
    prefetch_.reset();
    try {
        const platform::PictureInfo info = platform::probePicture(platform::pathBytes(path));
        QSize needed;
        for (TImage* box : StepBoxes())
            needed = needed.expandedTo(
                DrawnPixels(box, platform::uprightSize(info.size, info.orientation)));
        // A progressive picture keeps its coarse stages, in case the step comes while it is
        // still being decoded and takes the decode over.
        const quint64 ticket =
            prefetcher_->load({platform::pathBytes(path), needed, info.progressive});
        prefetch_ = Prefetch{ticket, path, info.stamp, needed, std::nullopt};
    } catch (const std::exception&) {
        // Nothing is decoded ahead; the step itself will report what is wrong with the file.
    }
}

void TForm4::RefineForBox() {
    if (load_ || shownPath_.isEmpty())
        return;
    // Both the decoded picture and the size it is drawn at are upright.
    const QSize own = Image1->UprightSize();
    const QSize decoded = Image1->Picture().size();
    const QSize needed = DrawnPixels(Image1, own);
    if (decoded == own ||
        (decoded.width() >= needed.width() && decoded.height() >= needed.height()))
        return;
    RunReported([this] { LoadPicture(shownPath_, {Image1}, false); });
}

void TForm4::StageReady(quint64 ticket, const platform::PictureStage& stage) {
    if (prefetch_ && ticket == prefetch_->ticket) {
        if (stage.final)
            prefetch_->result = stage;
        return;
    }
    if (!load_ || ticket != load_->ticket)
        return;
    for (const Target& target : load_->targets)
        target.box->SetPicture(stage.image, stage.size, stage.orientation);
    if (!stage.final)
        return;
    shownPath_ = load_->path;
    load_.reset();
    Q_EMIT PictureShown();
    RefineForBox();
    PrefetchNext();
}

void TForm4::LoadFailed(quint64 ticket, const QString& message) {
    if (prefetch_ && ticket == prefetch_->ticket) {
        prefetch_.reset();
        return;
    }
    if (!load_ || ticket != load_->ticket)
        return;
    for (const Target& target : load_->targets)
        target.box->SetPicture(target.before, target.beforeSize, target.beforeOrientation);
    load_.reset();
    ReportLoadError(message);
}

void TForm4::SetBox(const geometry::Rect& box) {
    Image1->setGeometry(box.left, box.top, box.width, box.height);
    // The scrolling area reaches as far right and down as the box does; a part of the box left
    // of or above the area's origin is out of reach, as the box's place says.
    canvas_->setMinimumSize(std::max(0, box.left + box.width), std::max(0, box.top + box.height));
}

void TForm4::RunReported(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& error) {
        ReportLoadError(QString::fromUtf8(error.what()));
    }
}

void TForm4::ReportLoadError(const QString& message) {
    // A box that waited for the user would hold the show up at the picture it could not load.
    if (Timer1->isActive() || slideShowReport_->isOpen()) {
        slideShowReport_->show(nullptr, message, QApplication::applicationDisplayName(),
                               platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    if (reportingError_)
        return;
    reportingError_ = true;
    const auto reset = qScopeGuard([this] { reportingError_ = false; });
    HandleException(platform::EJpegError(message.toStdString()));
}
