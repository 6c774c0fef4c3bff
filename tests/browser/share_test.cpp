// The windows on a share that stops answering (tests/support/frozen_share.h), mounted inside drive
// C:'s folder and reached through a link too: no command stalls the window's event loop for long,
// the failures are reported as for any unreadable folder or picture, and once the share answers
// again the same folder lists as before.
#include <memory>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "app/window_set.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "browser/tform5.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/core/files.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/ui.h"
#include "tests/support/frozen_share.h"
#include "tests/support/guard_skip.h"
#include "tests/support/window_test.h"
#include "thumbs/thumbnail_list.h"
#include "thumbs/tmainform.h"
#include "viewer/tform4.h"

using namespace lumo::test;

namespace {

// The longest time the window's event loop went without turning, measured by a timer that asks
// to run every 10 ms; a stall still going on when it is read counts too.
class StallMeter : public QObject {
public:
    StallMeter() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this,
                [this] { longest_ = std::max(longest_, sinceTurn_.restart()); });
        sinceTurn_.start();
        timer_.start();
    }
    qint64 LongestMs() const { return std::max(longest_, sinceTurn_.elapsed()); }

private:
    QTimer timer_;
    QElapsedTimer sinceTurn_;
    qint64 longest_ = 0;
};

// The bound every command on a stuck share must keep the window within.
constexpr qint64 kLongestStallMs = 2500;

// A plain picture at a host path outside the drive map (behind the share).
void WritePictureAt(const QString& hostPath) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const std::string bytes = platform::encodeJpeg(image);
    QFile file(hostPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

int RowOf(const QString& caption) {
    for (int i = 0; i < Form1->ListView1->Count(); ++i)
        if (Form1->ListView1->Caption(i) == caption)
            return i;
    return -1;
}

} // namespace

class ShareTest : public WindowTest {
    Q_OBJECT
private:
    std::unique_ptr<FrozenShare> share_;

    QString served(const QString& relative) const {
        return QString::fromStdString(share_->served()) + QLatin1Char('/') + relative;
    }

    // Opens a folder in the main window while the stall meter watches; the stall is returned.
    qint64 OpenInMainWindow(const QString& programPath) {
        StallMeter meter;
        Form1->explor->OpenPath(programPath);
        QCoreApplication::processEvents();
        return meter.LongestMs();
    }

    // The rows of the main window's folder listed afresh: once the calls stuck on a thawed share
    // have come back, the share is asked again.
    static int ListedRows() {
        Form1->explorDirChange(Form1->explor, Form1->explor->SelectedPath());
        return Form1->ListView1->Count();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        share_ = std::make_unique<FrozenShare>(host("Nas").toStdString());
        if (!share_->available())
            LUMO_QT_GUARD_SKIP(share_->reason());
        QVERIFY(QDir().mkpath(served("Pics")));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            WritePictureAt(served(QStringLiteral("Pics/") + QLatin1String(name)));
        // Enough pictures that the thumbnail worker is still reading when the share stops.
        QVERIFY(QDir().mkpath(served("Many")));
        for (int i = 0; i < 60; ++i)
            WritePictureAt(served(QStringLiteral("Many/p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
        QVERIFY(QDir(root_.path()).mkpath("Local"));
        writePlainJpeg(host("Local/l.jpg"));
        QVERIFY(QFile::link(host("Nas/Pics"), host("ToNas")));
        CreateWindowSet();
    }

    void cleanupTestCase() {
        if (share_)
            share_->thaw();
        if (Form1 != nullptr)
            DestroyWindowSet();
        share_.reset();
    }

    // Each test starts on a share that answers, with no call on it still stuck.
    void cleanup() {
        share_->thaw();
        QTRY_VERIFY_WITH_TIMEOUT(platform::fileExists("C:\\Nas\\Pics\\a.jpg"), 30000);
    }

    void aFolderOnAFrozenShareListsWithoutStalling() {
        QVERIFY(OpenInMainWindow(QStringLiteral("C:\\Nas\\Pics")) < kLongestStallMs);
        QCOMPARE(Form1->ListView1->Count(), 3);

        share_->freeze();
        answerAll(platform::IDOK);
        const qint64 stall = OpenInMainWindow(QStringLiteral("C:\\Nas\\Pics"));
        QVERIFY2(stall < kLongestStallMs, QByteArray::number(stall));
        qInfo("longest stall opening a folder on the frozen share: %lld ms", stall);
        // As any folder that cannot be read: no message, and no rows it could not read.
        QVERIFY(platform::recordedMessageBoxes().empty());
        QCOMPARE(Form1->EdSelFolder->text(), QStringLiteral("C:\\Nas\\Pics\\"));
        QVERIFY(Form1->ListView1->Count() <= 3);
        // The second try knows the share is stuck and gives up at once.
        const qint64 again = OpenInMainWindow(QStringLiteral("C:\\Nas\\Pics"));
        QVERIFY2(again < 500, QByteArray::number(again));

        share_->thaw();
        QTRY_COMPARE_WITH_TIMEOUT(ListedRows(), 3, 30000);
    }

    void aPicturesPropertiesOnAFrozenShareEndInTheErrorBox() {
        QVERIFY(OpenInMainWindow(QStringLiteral("C:\\Nas\\Pics")) < kLongestStallMs);
        QTRY_COMPARE_WITH_TIMEOUT(ListedRows(), 3, 30000);
        Form1->ListView1->SetItemIndex(RowOf("b.jpg"));
        Form5->hide();

        share_->freeze();
        answerAll(platform::IDOK);
        StallMeter meter;
        Form1->Properties1->trigger();
        const qint64 stall = meter.LongestMs();
        QVERIFY2(stall < kLongestStallMs, QByteArray::number(stall));
        qInfo("longest stall showing properties on the frozen share: %lld ms", stall);
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1));
        QVERIFY2(platform::recordedMessageBoxes().front().text.contains("b.jpg"),
                 qPrintable(platform::recordedMessageBoxes().front().text));
        QVERIFY(!Form5->isVisible());
    }

    void aLinkIntoAFrozenShareListsWithoutStalling() {
        QVERIFY(OpenInMainWindow(QStringLiteral("C:\\ToNas")) < kLongestStallMs);
        QCOMPARE(Form1->ListView1->Count(), 3);

        share_->freeze();
        answerAll(platform::IDOK);
        const qint64 stall = OpenInMainWindow(QStringLiteral("C:\\ToNas"));
        QVERIFY2(stall < kLongestStallMs, QByteArray::number(stall));
        qInfo("longest stall opening a link into the frozen share: %lld ms (%d rows)", stall,
              Form1->ListView1->Count());
        QVERIFY(platform::recordedMessageBoxes().empty());

        share_->thaw();
        QTRY_COMPARE_WITH_TIMEOUT(ListedRows(), 3, 30000);
    }

    void theThumbnailWorkerOnAFrozenShareHoldsOnlyItself() {
        StallMeter meter;
        // The worker starts on a listing that came whole, and then the share stops answering.
        MainForm->explor->OpenPath(QStringLiteral("C:\\Nas\\Many"));
        QCOMPARE(MainForm->ItemCount(), 60);
        share_->freeze();
        answerAll(platform::IDOK);
        MainForm->BtnStopClick();
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->FThread == nullptr, 10000);
        // A folder change lists the new folder, and the preview follows the selection there.
        MainForm->explor->OpenPath(QStringLiteral("C:\\Local"));
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->FThread == nullptr && MainForm->ItemCount() == 1, 10000);
        MainForm->ListViewClick();
        QVERIFY(MainForm->Memo1->toPlainText().contains("l.jpg"));
        const qint64 stall = meter.LongestMs();
        QVERIFY2(stall < kLongestStallMs, QByteArray::number(stall));
        qInfo("longest stall of the thumbnail window on the frozen share: %lld ms", stall);
        // The worker's failed extractions go to the debugger output, never into a box.
        QVERIFY(platform::recordedMessageBoxes().empty());
    }

    void thePreviewAndTheViewerOnAFrozenShareReportThePicture() {
        MainForm->explor->OpenPath(QStringLiteral("C:\\Nas\\Pics"));
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->FThread == nullptr && MainForm->ItemCount() == 3, 10000);
        QVERIFY(OpenInMainWindow(QStringLiteral("C:\\Nas\\Pics")) < kLongestStallMs);
        QCOMPARE(Form1->ListView1->Count(), 3);
        MainForm->ListView->SetItemIndex(0);
        share_->freeze();
        answerAll(platform::IDOK);
        StallMeter meter;
        // A click on the item, as the user makes it: the handler's error reaches the error box.
        Q_EMIT MainForm->ListView->clicked(MainForm->ListView->model()->index(0, 0));
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1));
        QVERIFY(platform::recordedMessageBoxes().front().text.contains(MainForm->ItemCaption(0)));

        // "View Fullscreen" ends at the first picture it cannot load, in the box that names it.
        answerAll(platform::IDOK);
        Form4->hide();
        Form1->ListView1->SetItemIndex(RowOf("b.jpg"));
        Form1->ViewFullscreen1->trigger();
        QVERIFY(!platform::recordedMessageBoxes().empty());
        for (const platform::MessageBoxCall& box : platform::recordedMessageBoxes())
            QVERIFY2(box.text.contains("b.jpg"), qPrintable(box.text));
        QVERIFY(!Form4->isVisible());
        const qint64 stall = meter.LongestMs();
        QVERIFY2(stall < kLongestStallMs, QByteArray::number(stall));
        qInfo("longest stall of the preview and the viewer on the frozen share: %lld ms", stall);
    }

    // Last: the windows go while a call on the share is still stuck, without waiting for it.
    void closingDoesNotWaitForAStuckShare() {
        MainForm->explor->OpenPath(QStringLiteral("C:\\Nas\\Many"));
        share_->freeze();
        Form1->explor->OpenPath(QStringLiteral("C:\\Nas\\Pics"));
        QElapsedTimer closing;
        closing.start();
        DestroyWindowSet();
        QVERIFY2(closing.elapsed() < kLongestStallMs, QByteArray::number(closing.elapsed()));
        QVERIFY(Form1 == nullptr && MainForm == nullptr);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    ShareTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "share_test.moc"
