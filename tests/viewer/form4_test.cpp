// The viewer window driven through its handlers over a drive map of temporary folders: its look,
// the opening both openers use, Next and Previous over a list of pictures, the zoom steps and
// their limit, pictures drawn upright, keys and the wheel, the slide show (its timer ticked by
// hand), pictures that cannot be loaded, and the place in the thumbnail window's list kept while
// other programs make folders.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/application.h"
#include "app/window_set.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"
#include "platform/qt/picture_loader.h"
#include "platform/qt/ui.h"
#include "tests/support/picture_writer.h"
#include "tests/support/window_test.h"
#include "thumbs/thumbnail_window_list.h"
#include "thumbs/tmainform.h"
#include "viewer/tform4.h"
#include "viewer/viewer_list.h"
#include "widgets/handler_guard.h"
#include "widgets/timage.h"

namespace {

QString testData(const char* name) {
    return QStringLiteral(LUMO_TESTDATA "/photos/") + QLatin1String(name);
}

QImage filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void writeBytes(const QString& hostPath, const std::string& bytes) {
    QFile file(hostPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A progressive picture whose third scan names a component the frame does not have: its first
// scan is shown (drawing it reads the second scan's header), then libjpeg stops with an error.
std::string brokenAfterFirstScan() {
    std::string bytes =
        lumo::test::encodeJpegBytes(lumo::test::photoLikePicture(640, 480), {.progressive = true});
    size_t scan = 0;
    for (int i = 0; i < 3 && scan != std::string::npos; ++i)
        scan = bytes.find("\xFF\xDA", scan + 2);
    if (scan != std::string::npos)
        bytes[scan + 5] = '\x7F'; // FF DA, length, count, then the first component's id
    return bytes;
}

// The list the viewer walks in these tests, with previews standing for the thumbnail window's.
class FakeList : public TViewerList {
public:
    explicit FakeList(QStringList captions, int index = -1)
        : captions(std::move(captions)), index(index) {}
    int ItemCount() const override { return static_cast<int>(captions.size()); }
    int ItemIndex() const override { return index; }
    void SelectItem(int i) override { index = i; }
    QString ItemCaption(int i) const override { return captions.at(i); }
    QString Folder() const override { return QStringLiteral("C:\\Pics\\"); }
    TImage* Preview() const override { return &preview; }
    TImage* PreviewCopy() const override { return &copy; }

    QStringList captions;
    int index;
    mutable TImage preview, copy;
};

QSize ownSize(const TImage* box) {
    return {box->PictureWidth(), box->PictureHeight()};
}

QRect boxOf(const TImage* box) {
    return box->geometry();
}

bool isYellow(QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 80;
}

} // namespace

class Form4Test : public lumo::test::WindowTest {
    Q_OBJECT
private:
    FakeList* list_ = nullptr;

    // Hands the viewer a fresh list and returns it.
    FakeList* useList(QStringList captions, int index) {
        auto list = std::make_unique<FakeList>(std::move(captions), index);
        list_ = list.get();
        Form4->SetList(std::move(list));
        return list_;
    }
    // Runs action and waits until the picture it loads is shown.
    template <typename F> bool shownAfter(F action) {
        QSignalSpy shown(Form4, &TForm4::PictureShown);
        action();
        return !shown.isEmpty() || shown.wait(5000);
    }
    void answerAll(std::function<void(const platform::MessageBoxCall&)> onBox = {}) {
        platform::recordedMessageBoxes().clear();
        platform::setMessageBoxAnswerer([onBox](const platform::MessageBoxCall& call) {
            if (onBox)
                onBox(call);
            return platform::IDOK;
        });
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        QVERIFY(QDir(root_.path()).mkpath("Pics"));
        QVERIFY(filled(640, 480, qRgb(220, 20, 20)).save(host("Pics/red.jpg")));
        QVERIFY(filled(320, 240, qRgb(20, 220, 20)).save(host("Pics/green.jpg")));
        QVERIFY(filled(200, 300, qRgb(20, 20, 220)).save(host("Pics/blue.jpg")));
        writeBytes(host("Pics/big.jpg"),
                   lumo::test::encodeJpegBytes(lumo::test::photoLikePicture(2000, 1500)));
        writeBytes(host("Pics/late.jpg"), brokenAfterFirstScan());
        writeBytes(host("Pics/broken.jpg"), "this is no picture");
        QVERIFY(QDir(root_.path()).mkpath("Walk"));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
            QVERIFY(filled(64, 48, qRgb(20, 20, 220)).save(host("Walk/") + QLatin1String(name)));
        for (int orientation = 1; orientation <= 8; ++orientation)
            writeBytes(host(QStringLiteral("Pics/turned%1.jpg").arg(orientation)),
                       lumo::test::turnedJpegBytes(
                           lumo::test::quarteredPicture(1280, 640, lumo::test::distinctQuarters()),
                           orientation));
        CreateWindowSet();
    }

    void cleanupTestCase() { DestroyWindowSet(); }

    void init() { answerAll(); }

    void looksAsDesigned() {
        QCOMPARE(Form4->windowTitle(), QStringLiteral("Vora Vivozeru"));
        QVERIFY(Form4->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(!Form4->isVisible());
        Form4->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form4));
        QVERIFY(Form4->windowState().testFlag(Qt::WindowMaximized));
        QCOMPARE(Form4->Panel1->height(), 41);

        // The bar's buttons from left to right, "Close" on its own near the right end.
        const QList<QPushButton*> order{Form4->SpeedButton3, Form4->SpeedButton1,
                                        Form4->SpeedButton6, Form4->SpeedButton4,
                                        Form4->SpeedButton5, Form4->SpeedButton2};
        const QStringList captions{"Previous", "Next", "Autoview", "Zoom Down", "Zoom Up", "Close"};
        for (int i = 0; i < order.size(); ++i) {
            QCOMPARE(order[i]->text(), captions[i]);
            QVERIFY(order[i]->isFlat());
            if (i > 0)
                QVERIFY(order[i]->x() > order[i - 1]->geometry().right());
        }
        QVERIFY(Form4->SpeedButton2->x() > Form4->Panel1->width() / 2);
        QVERIFY(Form4->Panel1->width() - Form4->SpeedButton2->geometry().right() < 60);
        QVERIFY(Form4->SpeedButton6->isCheckable());
        QVERIFY(!Form4->SpeedButton6->isChecked());

        // Yellow captions on black; the scrolling area black too.
        const QImage bar = Form4->Panel1->grab().toImage();
        const QRect next = Form4->SpeedButton1->geometry();
        bool yellow = false;
        for (int y = next.top(); y <= next.bottom() && !yellow; ++y)
            for (int x = next.left(); x <= next.right() && !yellow; ++x)
                yellow = isYellow(bar.pixel(x, y));
        QVERIFY(yellow);
        QCOMPARE(bar.pixel(bar.width() / 2 + 5, 2), qRgb(0, 0, 0));
        const QImage area = Form4->ScrollBox1->grab().toImage();
        QCOMPARE(area.pixel(10, 10), qRgb(0, 0, 0));

        QVERIFY(Form4->Edit1->isHidden() && Form4->Edit2->isHidden());
        QCOMPARE(boxOf(Form4->Image1), QRect(271, 126, 473, 443));
        QVERIFY(Form4->Image1->Center && Form4->Image1->Proportional && !Form4->Image1->Stretch);
        QCOMPARE(Form4->Timer1->interval(), 5000);
        QVERIFY(!Form4->Timer1->isActive());
        // The program's own icon on every window.
        QVERIFY(!QApplication::windowIcon().isNull());
        QVERIFY(!Form4->windowIcon().isNull());
        Form4->SpeedButton2->click();
        QVERIFY(!Form4->isVisible());
    }

    void opensAPictureAsBothOpenersDo() {
        FakeList* list = useList({"red.jpg"}, -1);
        QVERIFY(shownAfter([] { Form4->OpenPicture("C:\\Pics\\", "green.jpg"); }));
        QVERIFY(Form4->isVisible());
        QCOMPARE(Form4->Edit1->text(), QStringLiteral("C:\\Pics\\"));
        QCOMPARE(Form4->Edit2->text(), QStringLiteral("green.jpg"));
        QCOMPARE(ownSize(Form4->Image1), QSize(320, 240));
        QCOMPARE(Form4->Image1->DrawRect(), QRect(76, 101, 320, 240)); // centred, own size
        // The opening loads the viewer only, and moves no list.
        QVERIFY(list->preview.Picture().isNull());
        QCOMPARE(list->index, -1);

        // A file that is no picture: the error box, and the previous picture stays.
        QVERIFY_THROWS_EXCEPTION(std::exception, Form4->OpenPicture("C:\\Pics\\", "broken.jpg"));
        QCOMPARE(Form4->Edit2->text(), QStringLiteral("broken.jpg"));
        QCOMPARE(ownSize(Form4->Image1), QSize(320, 240));
    }

    void nextAndPreviousWrapAndLoadTheListsPreviews() {
        FakeList* list = useList({"red.jpg", "green.jpg", "blue.jpg"}, 2);
        const QString edit2 = Form4->Edit2->text();
        QVERIFY(shownAfter([] { Form4->SpeedButton1->click(); }));
        QCOMPARE(list->index, 0);
        QCOMPARE(ownSize(Form4->Image1), QSize(640, 480));
        QCOMPARE(ownSize(&list->preview), QSize(640, 480));
        QCOMPARE(ownSize(&list->copy), QSize(640, 480));
        QCOMPARE(Form4->Edit2->text(), edit2); // stepping leaves the opener's fields alone

        QVERIFY(shownAfter([] { Form4->SpeedButton3->click(); }));
        QCOMPARE(list->index, 2);
        QCOMPARE(ownSize(Form4->Image1), QSize(200, 300));
        QCOMPARE(ownSize(&list->copy), QSize(200, 300));
        QVERIFY(shownAfter([] { Form4->SpeedButton3Click(); }));
        QCOMPARE(list->index, 1);

        // Nothing selected: Next shows the first item, Previous does nothing.
        list->index = -1;
        QVERIFY(shownAfter([] { Form4->SpeedButton1Click(); }));
        QCOMPARE(list->index, 0);
        QCOMPARE(ownSize(&list->preview), QSize(640, 480));
        list->index = -1;
        Form4->SpeedButton3Click();
        QCOMPARE(list->index, -1);

        // An empty list: neither moves nor loads anything.
        list = useList({}, -1);
        Form4->SpeedButton1Click();
        Form4->SpeedButton3Click();
        QCOMPARE(list->index, -1);
        QVERIFY(list->preview.Picture().isNull());
        QVERIFY(platform::recordedMessageBoxes().empty());
    }

    void zoomStepsAboutTheCentreAndStopBeforeTheBoxVanishes() {
        const QRect start(271, 126, 473, 443);
        QCOMPARE(boxOf(Form4->Image1), start);
        for (int i = 0; i < 3; ++i)
            Form4->SpeedButton5->click();
        QCOMPARE(boxOf(Form4->Image1), QRect(121, -24, 773, 743));
        QVERIFY(Form4->Image1->Stretch); // small pictures now fill the box
        // The scrolling area reaches the box's right and bottom edges.
        QCOMPARE(Form4->ScrollBox1->widget()->minimumSize(), QSize(894, 719));
        for (int i = 0; i < 3; ++i)
            Form4->SpeedButton4->click();
        QCOMPARE(boxOf(Form4->Image1), start);

        // Four steps down leave 73 x 43; a fifth would leave no box, and is not taken.
        for (int i = 0; i < 4; ++i)
            Form4->SpeedButton4Click();
        QCOMPARE(boxOf(Form4->Image1), QRect(471, 326, 73, 43));
        Form4->SpeedButton4Click();
        QCOMPARE(boxOf(Form4->Image1), QRect(471, 326, 73, 43));

        // The box keeps its size over another picture and over closing and opening again.
        useList({"red.jpg", "green.jpg"}, 0);
        QVERIFY(shownAfter([] { Form4->SpeedButton1Click(); }));
        Form4->SpeedButton2Click();
        QVERIFY(shownAfter([] { Form4->OpenPicture("C:\\Pics\\", "red.jpg"); }));
        QCOMPARE(boxOf(Form4->Image1), QRect(471, 326, 73, 43));
        for (int i = 0; i < 4; ++i)
            Form4->SpeedButton5Click();
        QCOMPARE(boxOf(Form4->Image1), start);
    }

    void zoomingUpDecodesTheShownPictureLarger() {
        QVERIFY(shownAfter([] { Form4->OpenPicture("C:\\Pics\\", "big.jpg"); }));
        QCOMPARE(ownSize(Form4->Image1), QSize(2000, 1500));
        QCOMPARE(Form4->Image1->Picture().size(), QSize(500, 375)); // 1/4 fills 473 x 355
        QVERIFY(shownAfter([] {
            for (int i = 0; i < 3; ++i)
                Form4->SpeedButton5Click();
        }));
        QCOMPARE(Form4->Image1->Picture().size(), QSize(1000, 750)); // 1/2 fills 773 x 580
        // Smaller again: the sharper picture is kept, nothing decoded anew.
        for (int i = 0; i < 3; ++i)
            Form4->SpeedButton4Click();
        QCOMPARE(Form4->Image1->Picture().size(), QSize(1000, 750));
    }

    void decodesTheNextPictureAheadButNotAFileChangedSince() {
        QVERIFY(filled(320, 240, qRgb(200, 200, 0)).save(host("Pics/ahead1.jpg")));
        QVERIFY(filled(300, 200, qRgb(0, 200, 200)).save(host("Pics/ahead2.jpg")));
        FakeList* list = useList({"ahead1.jpg", "ahead2.jpg"}, -1);
        Form4->show();
        auto* ahead = Form4->findChild<platform::PictureLoader*>(QStringLiteral("prefetcher"));
        QVERIFY(ahead != nullptr);
        QSignalSpy decodedAhead(ahead, &platform::PictureLoader::stageReady);
        QVERIFY(shownAfter([] { Form4->SpeedButton1Click(); }));
        // ahead2.jpg, while ahead1.jpg is looked at.
        QTRY_COMPARE_WITH_TIMEOUT(decodedAhead.count(), 1, 5000);

        // The step shows it at once, within the click.
        QSignalSpy shown(Form4, &TForm4::PictureShown);
        Form4->SpeedButton1Click();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(list->index, 1);
        QCOMPARE(ownSize(Form4->Image1), QSize(300, 200));
        QCOMPARE(ownSize(&list->copy), QSize(300, 200));

        // ahead1.jpg is decoded ahead next; rewritten since, it is decoded again.
        QTRY_COMPARE_WITH_TIMEOUT(decodedAhead.count(), 2, 5000);
        QVERIFY(filled(100, 100, qRgb(0, 0, 0)).save(host("Pics/ahead1.jpg")));
        shown.clear();
        Form4->SpeedButton1Click();
        QVERIFY(shown.isEmpty());
        QVERIFY(shown.wait(5000));
        QCOMPARE(ownSize(Form4->Image1), QSize(100, 100));
    }

    // Each orientation drawn upright in the viewer and the list's previews, also when the picture
    // was decoded ahead of its step; zoomed, the upright picture fills the box and is decoded
    // larger. The own size stays as stored.
    void picturesAreDrawnUprightAlsoDecodedAheadAndZoomed() {
        QStringList names;
        for (int orientation = 1; orientation <= 8; ++orientation)
            names << QStringLiteral("turned%1.jpg").arg(orientation);
        FakeList* list = useList(names, -1);
        Form4->show();
        QCOMPARE(boxOf(Form4->Image1), QRect(271, 126, 473, 443));
        auto* ahead = Form4->findChild<platform::PictureLoader*>(QStringLiteral("prefetcher"));
        QSignalSpy decodedAhead(ahead, &platform::PictureLoader::stageReady);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            QSignalSpy shown(Form4, &TForm4::PictureShown);
            Form4->SpeedButton1Click();
            // From the second picture on the step shows what was decoded ahead, at once.
            QVERIFY(orientation == 1 ? shown.wait(5000) : shown.count() == 1);
            const QImage picture = Form4->Image1->Picture();
            const bool swaps = orientation >= 5;
            QCOMPARE(picture.width() < picture.height(), swaps);
            QVERIFY2(lumo::test::nearColours(
                         lumo::test::quarterColours(picture),
                         lumo::test::uprightQuarters(lumo::test::distinctQuarters(), orientation)),
                     qPrintable(QString::number(orientation)));
            QCOMPARE(ownSize(Form4->Image1), QSize(1280, 640));
            QCOMPARE(ownSize(&list->preview), QSize(1280, 640));
            QCOMPARE(list->copy.Orientation(), orientation);
            const QRect drawn = Form4->Image1->DrawRect();
            QCOMPARE(drawn, swaps ? QRect(126, 0, 221, 443) : QRect(0, 103, 473, 236));
            if (orientation < 8)
                QTRY_COMPARE_WITH_TIMEOUT(decodedAhead.count(), orientation, 5000);
        }
        // Zoomed up, the quarter-turned picture fills the box's height and is decoded at full size.
        QVERIFY(shownAfter([] {
            for (int i = 0; i < 3; ++i)
                Form4->SpeedButton5Click();
        }));
        QCOMPARE(Form4->Image1->DrawRect(), QRect(201, 0, 371, 743));
        QCOMPARE(Form4->Image1->Picture().size(), QSize(640, 1280));
        QVERIFY(lumo::test::nearColours(
            lumo::test::quarterColours(Form4->Image1->Picture()),
            lumo::test::uprightQuarters(lumo::test::distinctQuarters(), 8)));
        for (int i = 0; i < 3; ++i)
            Form4->SpeedButton4Click();
    }

    // The keys and the wheel over a list of five do what the buttons do, with their wrapping and
    // their limits; Escape and a double-click on the picture close the viewer.
    void keysAndTheWheelDoWhatTheButtonsDo() {
        FakeList* list =
            useList({"red.jpg", "green.jpg", "blue.jpg", "turned6.jpg", "big.jpg"}, -1);
        QVERIFY(shownAfter([] { Form4->OpenPicture("C:\\Pics\\", "red.jpg"); }));
        // The window keeps the focus for itself: nothing in it takes the keys away, whichever
        // part is clicked.
        QWidget* focused = Form4->focusWidget();
        QCOMPARE(focused, static_cast<QWidget*>(Form4));
        QCOMPARE(Form4->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(Form4->ScrollBox1->focusPolicy(), Qt::NoFocus);
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int index;
        } steps[] = {
            {Qt::Key_Right, Qt::NoModifier, 0}, // nothing selected: the first
            {Qt::Key_Down, Qt::NoModifier, 1},      {Qt::Key_PageDown, Qt::NoModifier, 2},
            {Qt::Key_Space, Qt::NoModifier, 3},     {Qt::Key_Right, Qt::NoModifier, 4},
            {Qt::Key_Right, Qt::NoModifier, 0}, // the last wraps to the first
            {Qt::Key_Left, Qt::NoModifier, 4},  // and back
            {Qt::Key_Up, Qt::NoModifier, 3},        {Qt::Key_PageUp, Qt::NoModifier, 2},
            {Qt::Key_Backspace, Qt::NoModifier, 1}, {Qt::Key_End, Qt::NoModifier, 4},
            {Qt::Key_Home, Qt::NoModifier, 0},
        };
        for (const auto& step : steps) {
            QVERIFY(shownAfter(
                [focused, &step] { QTest::keyClick(focused, step.key, step.modifiers); }));
            QCOMPARE(list->index, step.index);
            QCOMPARE(list->preview.Picture().cacheKey(), Form4->Image1->Picture().cacheKey());
        }

        // The wheel: a notch away from the user is Next, towards is Previous; parts of a notch
        // add up.
        const auto turn = [](int delta) {
            QWidget* area = Form4->ScrollBox1->viewport();
            const QPointF at(area->width() / 2.0, area->height() / 2.0);
            QWheelEvent wheel(at, area->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(area, &wheel);
        };
        QVERIFY(shownAfter([&] { turn(-120); }));
        QCOMPARE(list->index, 1);
        QVERIFY(shownAfter([&] { turn(120); }));
        QCOMPARE(list->index, 0);
        QVERIFY(shownAfter([&] { turn(120); }));
        QCOMPARE(list->index, 4);
        turn(-60);
        QCOMPARE(list->index, 4);
        QVERIFY(shownAfter([&] { turn(-60); }));
        QCOMPARE(list->index, 0);

        // Zoom keys, keypad too, stop where the buttons stop.
        const QRect start(271, 126, 473, 443);
        QTest::keyClick(focused, Qt::Key_Plus);
        QCOMPARE(boxOf(Form4->Image1), QRect(221, 76, 573, 543));
        QTest::keyClick(focused, Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(boxOf(Form4->Image1), start);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(focused, Qt::Key_Minus);
        QCOMPARE(boxOf(Form4->Image1), QRect(471, 326, 73, 43));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(focused, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(boxOf(Form4->Image1), start);
        QVERIFY(platform::recordedMessageBoxes().empty());

        // Escape closes, as Close does; so does a double-click on the picture.
        QTest::keyClick(focused, Qt::Key_Escape);
        QVERIFY(!Form4->isVisible());
        QVERIFY(shownAfter([] { Form4->OpenPicture("C:\\Pics\\", "red.jpg"); }));
        QTest::mouseDClick(Form4->Image1, Qt::LeftButton);
        QVERIFY(!Form4->isVisible());

        // Home and End on an empty list do nothing.
        list = useList({}, -1);
        QTest::keyClick(Form4, Qt::Key_Home);
        QTest::keyClick(Form4, Qt::Key_End);
        QCOMPARE(list->index, -1);
        QVERIFY(platform::recordedMessageBoxes().empty());
    }

    void autoviewRunsTheSlideShowAlsoWhileHidden() {
        FakeList* list = useList({"red.jpg", "green.jpg", "blue.jpg"}, 0);
        Form4->show();
        Form4->SpeedButton6->click();
        QVERIFY(Form4->SpeedButton6->isChecked());
        QVERIFY(Form4->Timer1->isActive());
        QVERIFY(shownAfter([] { Form4->Timer1Timer(); }));
        QCOMPARE(list->index, 1);
        QCOMPARE(ownSize(Form4->Image1), QSize(320, 240));

        Form4->SpeedButton2->click();
        QVERIFY(!Form4->isVisible());
        QVERIFY(Form4->Timer1->isActive());
        QVERIFY(shownAfter([] { Form4->Timer1Timer(); }));
        QCOMPARE(list->index, 2);
        QCOMPARE(ownSize(&list->preview), QSize(200, 300));
        QVERIFY(shownAfter([] { Form4->Timer1Timer(); }));
        QCOMPARE(list->index, 0); // the last wraps to the first

        Form4->SpeedButton6->click();
        QVERIFY(!Form4->SpeedButton6->isChecked());
        QVERIFY(!Form4->Timer1->isActive());
    }

    // During the slide show a picture that cannot be loaded is reported in a box left open while
    // the show steps on; later failures, found at once or while decoding, go into that box
    // instead of stacking more boxes on it. Closed, the next failure opens a box again.
    void aBrokenPictureDoesNotStopTheSlideShow() {
        FakeList* list =
            useList({"red.jpg", "broken.jpg", "late.jpg", "gone.jpg", "green.jpg"}, -1);
        auto* report =
            Form4->findChild<platform::OpenMessageBox*>(QStringLiteral("slideShowReport"));
        QVERIFY(report != nullptr);
        Form4->SpeedButton6->click();
        QVERIFY(shownAfter([] { Form4->Timer1Timer(); }));
        QCOMPARE(list->index, 0);

        Form4->Timer1Timer(); // broken.jpg
        QCOMPARE(list->index, 1);
        QVERIFY(Form4->Timer1->isActive());
        QVERIFY(report->isOpen());
        const auto& boxes = platform::recordedMessageBoxes();
        QCOMPARE(boxes.size(), size_t(1));
        QVERIFY(boxes[0].text.contains("broken.jpg"));
        QCOMPARE(boxes[0].flags & platform::MB_ICONERROR, unsigned(platform::MB_ICONERROR));
        // The pictures stay as they were.
        QCOMPARE(ownSize(Form4->Image1), QSize(640, 480));

        Form4->Timer1Timer(); // late.jpg: its first scan is shown, then the decode fails
        QTRY_VERIFY_WITH_TIMEOUT(report->text().contains("late.jpg"), 5000);
        Form4->Timer1Timer(); // gone.jpg
        QVERIFY(report->text().contains("gone.jpg"));
        QVERIFY(shownAfter([] { Form4->Timer1Timer(); }));
        QCOMPARE(list->index, 4);
        QCOMPARE(ownSize(Form4->Image1), QSize(320, 240));
        QCOMPARE(boxes.size(), size_t(1));
        QVERIFY(report->isOpen());
        QVERIFY(Form4->Timer1->isActive());

        // The timer itself keeps stepping past failures while the report is open.
        Form4->Timer1->setInterval(20);
        QSignalSpy shown(Form4, &TForm4::PictureShown);
        QTRY_VERIFY_WITH_TIMEOUT(shown.count() >= 3, 10000); // red, green, red again
        Form4->SpeedButton6->click();
        Form4->Timer1->setInterval(5000);
        QVERIFY(!Form4->Timer1->isActive());
        QCOMPARE(boxes.size(), size_t(1));

        // Outside the show, a failure while the report is open goes into it too; once closed, the
        // step's failure has the standard error box again.
        list->index = 2;
        Form4->SpeedButton1->click(); // gone.jpg
        QCOMPARE(boxes.size(), size_t(1));
        QVERIFY(report->text().contains("gone.jpg"));
        report->close();
        QVERIFY(!report->isOpen());
        list->index = 0;
        Form4->SpeedButton1->click(); // broken.jpg
        QCOMPARE(boxes.size(), size_t(2));
        QVERIFY(boxes[1].text.contains("broken.jpg"));
        QVERIFY(!report->isOpen());
    }

    void aMissingPictureEndsTheStepWithTheErrorBox() {
        FakeList* list = useList({"green.jpg", "gone.jpg"}, -1);
        QVERIFY(shownAfter([] { Form4->SpeedButton1->click(); }));
        Form4->SpeedButton1->click();
        QCOMPARE(list->index, 1);
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1));
        QVERIFY(platform::recordedMessageBoxes()[0].text.contains("gone.jpg"));
        QCOMPARE(ownSize(Form4->Image1), QSize(320, 240));
        QCOMPARE(ownSize(&list->copy), QSize(320, 240));
    }

    void aFailureAfterTheFirstScanPutsThePreviousPicturesBack() {
        FakeList* list = useList({"green.jpg", "late.jpg"}, -1);
        QVERIFY(shownAfter([] { Form4->SpeedButton1Click(); }));
        Form4->SpeedButton1Click(); // its header is sound; its second scan is not
        QTRY_COMPARE_WITH_TIMEOUT(platform::recordedMessageBoxes().size(), size_t(1), 5000);
        QVERIFY(platform::recordedMessageBoxes()[0].text.contains("late.jpg"));
        QCOMPARE(ownSize(Form4->Image1), QSize(320, 240));
        QCOMPARE(ownSize(&list->preview), QSize(320, 240));
        QCOMPARE(ownSize(&list->copy), QSize(320, 240));
    }

    void showsACameraPicture() {
        if (!QFile::exists(testData("Canon_PowerShot_SX60_hdr_NO.jpg")))
            QSKIP("camera pictures not available");
        QFile::remove(host("Pics/camera.jpg"));
        QVERIFY(QFile::copy(testData("Canon_PowerShot_SX60_hdr_NO.jpg"), host("Pics/camera.jpg")));
        QVERIFY(shownAfter([] { Form4->OpenPicture("C:\\Pics\\", "camera.jpg"); }));
        // Stored 2048 x 1536, turned a quarter clockwise by the camera: drawn upright, its own
        // size as stored.
        QCOMPARE(ownSize(Form4->Image1), QSize(2048, 1536));
        QCOMPARE(Form4->Image1->Picture().size(), QSize(384, 512)); // 1/4 fills 332 x 443
        QCOMPARE(Form4->Image1->DrawRect(), QRect(70, 0, 332, 443));
    }

    void doubleClickInTheMainWindowOpensTheViewer() {
        Form4->SpeedButton2Click();
        Form1->explor->OpenPath(QStringLiteral("C:\\Pics"));
        QCOMPARE(Form1->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        int row = -1;
        for (int i = 0; i < Form1->ListView1->Count(); ++i)
            if (Form1->ListView1->Caption(i) == QStringLiteral("blue.jpg"))
                row = i;
        QVERIFY(row >= 0);
        Form1->ListView1->SetItemIndex(row);
        QVERIFY(shownAfter([] { Form1->ListView1DblClick(); }));
        QVERIFY(Form4->isVisible());
        QCOMPARE(Form4->Edit1->text(), QStringLiteral("C:\\Pics\\"));
        QCOMPARE(Form4->Edit2->text(), QStringLiteral("blue.jpg"));
        QCOMPARE(ownSize(Form4->Image1), QSize(200, 300));
    }

    void walksTheThumbnailWindowsOwnList() {
        Form4->SetList(ThumbnailWindowList());
        // The window previews the folder's first picture, a broken one: the standard error box,
        // as when the tree's own click brings the folder.
        Guarded([] { MainForm->explor->OpenPath(QStringLiteral("C:\\Pics")); })();
        QCOMPARE(MainForm->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        // Until its worker has ended, the window may still list the folder again.
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->FThread == nullptr && !MainForm->FRestartPending, 5000);
        QVERIFY(MainForm->ItemCount() >= 3);
        const int n = MainForm->ItemCount();
        int green = -1;
        for (int i = 0; i < n; ++i)
            if (MainForm->ItemCaption(i) == QStringLiteral("green.jpg"))
                green = i;
        QVERIFY(green >= 0);
        MainForm->SelectItem(green == 0 ? n - 1 : green - 1);
        QVERIFY(shownAfter([] { Form4->SpeedButton1Click(); }));
        QCOMPARE(MainForm->ItemIndex(), green);
        QCOMPARE(ownSize(Form4->Image1), QSize(320, 240));
        QCOMPARE(ownSize(MainForm->Image1), QSize(320, 240));
        QCOMPARE(ownSize(MainForm->Image2), QSize(320, 240));
        // Back onto whatever the listing put before it (which may be one of the broken files).
        QTest::mouseClick(Form4->SpeedButton3, Qt::LeftButton); // through the error box if broken
        QCOMPARE(MainForm->ItemIndex(), green == 0 ? n - 1 : green - 1);
    }

    void keepsItsPlaceWhileOtherProgramsMakeFolders() {
        Form4->SetList(ThumbnailWindowList());
        MainForm->explor->OpenPath(QStringLiteral("C:\\Walk"));
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->FThread == nullptr && !MainForm->FRestartPending, 5000);
        QCOMPARE(MainForm->ItemCount(), 5);
        MainForm->SelectItem(2);
        QVERIFY(shownAfter(
            [] { Form4->OpenPicture(QStringLiteral("C:\\Walk\\"), MainForm->ItemCaption(2)); }));
        Form4->SpeedButton6->click(); // the slide show
        // Another program makes and removes a folder beside the folder and one in it.
        QVERIFY(makeAndRemoveFolders(MainForm->explor, {"Aside", "Walk/inside"}));
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->FThread == nullptr && !MainForm->FRestartPending, 5000);
        QVERIFY(shownAfter([] { Form4->SpeedButton1Click(); }));
        QCOMPARE(MainForm->ItemIndex(), 3);
        QCOMPARE(MainForm->ItemCaption(3), QStringLiteral("d.jpg"));
        QVERIFY(Form4->Timer1->isActive());
        QVERIFY(shownAfter([] { Form4->Timer1Timer(); }));
        QCOMPARE(MainForm->ItemIndex(), 4);
        Form4->SpeedButton6->click();
        Form4->SpeedButton2Click();
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    Form4Test test;
    return QTest::qExec(&test, argc, argv);
}
#include "form4_test.moc"
