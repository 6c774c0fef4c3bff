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
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "app/window_set.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "browser/tform5.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/ui.h"
#include "tests/support/frozen_share.h"
#include "tests/support/guard_skip.h"
#include "tests/support/window_test.h"
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
        QVERIFY(QDir(root_.path()).mkpath("Local"));
        writePlainJpeg(host("Local/l.jpg"));
        QVERIFY(QFile::link(host("Nas/Pics"), host("ToNas")));
        CreateWindowSet();
    }

    void cleanupTestCase() {
        if (share_)
            share_->thaw();
        DestroyWindowSet();
        share_.reset();
    }

    void cleanup() { share_->thaw(); }

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
        qInfo("longest stall opening a link into the frozen share: %lld ms", stall);
        QVERIFY(platform::recordedMessageBoxes().empty());

        share_->thaw();
        QTRY_COMPARE_WITH_TIMEOUT(ListedRows(), 3, 30000);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    ShareTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "share_test.moc"
