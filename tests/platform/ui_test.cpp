// Message boxes through the answerer (also from a worker thread), the box left open, posted
// messages in order, beeps, the hourglass cursor and image lists.
#include "platform/qt/ui.h"

#include <thread>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/qt/image_list.h"
#include "tests/platform/qt_helpers.h"

using namespace platform;

namespace {

class AnsweredBoxes : public ::testing::Test {
protected:
    void SetUp() override { recordedMessageBoxes().clear(); }
    void TearDown() override {
        setMessageBoxAnswerer(nullptr);
        recordedMessageBoxes().clear();
    }
};

TEST(MessageBoxText, ACarriageReturnBreaksTheLine) {
    const std::pair<QString, QString> cases[] = {
        {"one\rtwo", "one\ntwo"},
        {"An error occured while connecting:\r\nNo route",
         "An error occured while connecting:\nNo route"},
        {"a\r\rb\n\nc", "a\n\nb\n\nc"},
        {"ends\r", "ends\n"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(messageBoxLines(text), lines) << text.toStdString();

    // The box itself shows those lines, as plain text (a name with "<b>" stays as it is).
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                shown = box->text();
                format = box->textFormat();
                box->buttons().front()->click();
            }
        }
    });
    EXPECT_EQ(messageBox(nullptr, "Folder <b>\rcannot be made", "Error", MB_OK), IDOK);
    EXPECT_EQ(shown, "Folder <b>\ncannot be made");
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(AnsweredBoxes, EveryCallIsRecordedAndAnswered) {
    setMessageBoxAnswerer(
        [](const MessageBoxCall& call) { return call.flags & MB_YESNO ? IDNO : IDOK; });
    EXPECT_EQ(messageBox(nullptr, "Delete?", "Confirm", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(messageBox(nullptr, "Done", "", MB_OK), IDOK);
    ASSERT_EQ(recordedMessageBoxes().size(), 2u);
    EXPECT_EQ(recordedMessageBoxes()[0].text, "Delete?");
    EXPECT_EQ(recordedMessageBoxes()[0].caption, "Confirm");
    EXPECT_EQ(recordedMessageBoxes()[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(recordedMessageBoxes()[1].text, "Done");
}

TEST_F(AnsweredBoxes, WorkerBoxIsAnsweredOnTheUserInterfaceThread) {
    QThread* answeredOn = nullptr;
    setMessageBoxAnswerer([&](const MessageBoxCall&) {
        answeredOn = QThread::currentThread();
        return IDYES;
    });
    int answer = 0;
    std::thread worker(
        [&] { answer = messageBox(nullptr, "From the worker", "Worker", MB_YESNO); });
    EXPECT_TRUE(waitFor([&] { return answer != 0; }));
    worker.join();
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(answeredOn, QCoreApplication::instance()->thread());
    ASSERT_EQ(recordedMessageBoxes().size(), 1u);
}

// The box left open: the caller goes on at once, a second report goes into the open box, and the
// user's "OK" closes it (and frees it), after which a report opens a box again.
TEST(OpenMessageBoxTest, StaysOpenWithoutStackingUntilClosed) {
    const auto visibleBoxes = [] {
        std::vector<QMessageBox*> boxes;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                boxes.push_back(box);
        return boxes;
    };
    OpenMessageBox report;
    EXPECT_FALSE(report.isOpen());
    report.show(nullptr, "first\rfailure", "Lumograph", MB_OK | MB_ICONERROR);
    report.show(nullptr, "second", "Lumograph", MB_OK | MB_ICONERROR);
    EXPECT_TRUE(report.isOpen());
    std::vector<QMessageBox*> boxes = visibleBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text(), "second");
    EXPECT_EQ(report.text(), "second");
    EXPECT_EQ(boxes[0]->icon(), QMessageBox::Critical);
    EXPECT_EQ(boxes[0]->windowModality(), Qt::NonModal);
    const QPointer<QMessageBox> first = boxes[0];
    boxes[0]->buttons().front()->click();
    EXPECT_FALSE(report.isOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    report.show(nullptr, "third", "Lumograph", MB_OK | MB_ICONERROR);
    boxes = visibleBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->text(), "third");
    report.close();
    EXPECT_TRUE(visibleBoxes().empty());
}

// Answered, the box opening is recorded once and stays open until closed.
TEST_F(AnsweredBoxes, AnOpenBoxIsRecordedOnceAndStaysOpen) {
    int answered = 0;
    setMessageBoxAnswerer([&answered](const MessageBoxCall&) {
        ++answered;
        return IDOK;
    });
    OpenMessageBox report;
    report.show(nullptr, "one", "Lumograph", MB_OK | MB_ICONERROR);
    report.show(nullptr, "two", "Lumograph", MB_OK | MB_ICONERROR);
    EXPECT_TRUE(report.isOpen());
    EXPECT_EQ(report.text(), "two");
    ASSERT_EQ(recordedMessageBoxes().size(), 1u);
    EXPECT_EQ(recordedMessageBoxes()[0].text, "one");
    EXPECT_EQ(recordedMessageBoxes()[0].flags, MB_OK | MB_ICONERROR);
    report.close();
    EXPECT_FALSE(report.isOpen());
    report.show(nullptr, "three", "Lumograph", MB_OK);
    EXPECT_EQ(recordedMessageBoxes().size(), 2u);
    EXPECT_EQ(answered, 0); // nobody waits for an answer
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QMessageBox*>(widget), nullptr);
}

TEST(PostedMessages, ArriveInPostingOrderAlsoFromAWorker) {
    MessageRecorder window;
    postMessage(&window, 1126, 1, 10);
    postMessage(&window, 1128, 2, -20);
    std::thread([&] {
        for (int i = 0; i < 50; ++i)
            postMessage(&window, 1129, static_cast<quintptr>(i), i);
    }).join();
    postMessage(&window, 1075, 0, 0);
    EXPECT_TRUE(window.messages.empty()); // queued, not sent
    processMessages();
    ASSERT_EQ(window.messages.size(), 53u);
    EXPECT_EQ(window.messages[0].msg, 1126u);
    EXPECT_EQ(window.messages[1].lParam, -20);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(window.messages[2 + i].wParam, quintptr(i));
    EXPECT_EQ(window.messages[52].msg, 1075u);
    EXPECT_EQ(MessageEvent::eventType(), MessageEvent::eventType());
    EXPECT_GT(int(MessageEvent::eventType()), int(QEvent::User) - 1);
}

TEST(UiServices, BeepsAreCountedAndTheHourglassNests) {
    const int before = beepCount();
    messageBeep(MB_ICONHAND);
    messageBeep(0);
    EXPECT_EQ(beepCount(), before + 2);

    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        HourglassCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        { HourglassCursor inner; }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ImageListTest, AddScalesMasksReplacesAndSignals) {
    ImageList list(16, 16);
    QSignalSpy changed(&list, &ImageList::changed);
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(Qt::red);
    EXPECT_EQ(list.add(red), 0);
    EXPECT_EQ(list.image(0).size(), QSize(16, 16));
    EXPECT_EQ(list.image(0).pixelColor(8, 8), QColor(Qt::red));

    QImage masked(16, 16, QImage::Format_RGB32);
    masked.fill(Qt::magenta);
    masked.setPixelColor(3, 3, Qt::blue);
    EXPECT_EQ(list.addMasked(masked, Qt::magenta), 1);
    EXPECT_EQ(list.image(1).pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(list.image(1).pixelColor(3, 3), QColor(Qt::blue));

    QImage green(16, 16, QImage::Format_RGB32);
    green.fill(Qt::green);
    EXPECT_TRUE(list.replace(0, green));
    EXPECT_EQ(list.image(0).pixelColor(1, 1), QColor(Qt::green));
    EXPECT_FALSE(list.replace(2, green));
    EXPECT_FALSE(list.replace(-1, green));
    EXPECT_TRUE(list.image(5).isNull());
    EXPECT_TRUE(list.pixmap(5).isNull());
    EXPECT_FALSE(list.icon(1).isNull());
    EXPECT_EQ(list.count(), 2);

    list.clear();
    EXPECT_EQ(list.count(), 0);
    list.add(red);
    list.setSize(120, 120);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.add(red), 0);
    EXPECT_EQ(list.image(0).size(), QSize(120, 120));

    ASSERT_EQ(changed.count(), 7);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 0);
    EXPECT_EQ(changed.at(2).at(0).toInt(), 0);  // the replace
    EXPECT_EQ(changed.at(3).at(0).toInt(), -1); // clear
    EXPECT_EQ(changed.at(5).at(0).toInt(), -1); // setSize
}

} // namespace
