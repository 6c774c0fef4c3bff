// The main window's file commands on a share that stops answering, mounted inside drive C: as a
// NAS is mounted in the home folder: Copy To and Move To from it and onto it, Delete on it, and
// the tree's Tree Size of it. Each keeps the window's event loop going, its progress window
// appears and its Cancel answers while a call on the share hangs; what was complete stays,
// nothing is half written at the destination and a move keeps its source, also once the share
// answers again and the worker left behind comes back.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "app/window_set.h"
#include "browser/destination_dialogs.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "dirtree/folder_commands.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/qt/file_op_worker.h"
#include "platform/qt/ui.h"
#include "tests/support/frozen_share.h"
#include "tests/support/guard_skip.h"
#include "tests/support/window_test.h"
#include "thumbs/tmainform.h"

using namespace lumo::test;
namespace fs = std::filesystem;

namespace {

// What the issue asks of every command on a frozen share: the longest stall of the window's
// event loop, and the time from Cancel to the end of the operation, stay under this.
constexpr qint64 kLongestWaitMs = 2500;

int rowOf(const QString& caption) {
    for (int i = 0; i < Form1->ListView1->Count(); ++i)
        if (Form1->ListView1->Caption(i) == caption)
            return i;
    return -1;
}

// The longest time the window thread did not get to its timers while the meter ran.
class StallMeter {
public:
    StallMeter() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        clock_.start();
        timer_.start();
    }
    qint64 longest() {
        tick();
        return longest_;
    }

private:
    void tick() {
        const qint64 now = clock_.elapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

// Plays the user in front of a progress window: once ready() holds and the window titled title is
// up, clicks its Cancel and times how long the window takes to go (the operation is over).
class CancelWhenShown {
public:
    CancelWhenShown(
        const QString& title, std::function<bool()> ready = [] { return true; })
        : title_(title), ready_(std::move(ready)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start();
    }
    bool clicked() const { return clicked_; }
    // From the click to the end of the progress window, -1 while it is still up.
    qint64 answeredAfter() const { return answeredAfter_; }

private:
    void look() {
        if (clicked_ || !ready_())
            return;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible() || widget->windowTitle() != title_)
                continue;
            for (QPushButton* button : widget->findChildren<QPushButton*>()) {
                if (button->text() != QStringLiteral("Cancel") || !button->isEnabled())
                    continue;
                clicked_ = true;
                sinceClick_.start();
                QObject::connect(widget, &QObject::destroyed,
                                 [this] { answeredAfter_ = sinceClick_.elapsed(); });
                button->click();
                return;
            }
        }
    }

    QString title_;
    std::function<bool()> ready_;
    QTimer timer_;
    QElapsedTimer sinceClick_;
    bool clicked_ = false;
    qint64 answeredAfter_ = -1;
};

// This program's temporaries in a host folder (what a copy under way leaves there).
int temporariesIn(const std::string& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().filename().string().rfind(".lumo-", 0) == 0 ? 1 : 0;
    return count;
}

QByteArray contentOf(const QString& hostPath) {
    QFile file(hostPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ShareCommandsTest : public WindowTest {
    Q_OBJECT
private:
    std::unique_ptr<FrozenShare> share_;
    QByteArray big_;

    QString served(const QString& name) const {
        return QString::fromStdString(share_->served()) + QLatin1Char('/') + name;
    }

    // Lists the share's folder in the main window, as soon as the share answers again.
    void openShare() {
        Form1->explor->OpenPath(QStringLiteral("C:\\nas"));
        QTRY_VERIFY_WITH_TIMEOUT(
            (Form1->explorDirChange(Form1->explor, Form1->explor->SelectedPath()),
             rowOf("a.jpg") >= 0),
            40000);
    }

    // The share answers again; the workers left behind come back and end.
    void thaw() {
        share_->thaw();
        QTRY_COMPARE_WITH_TIMEOUT(platform::detail::fileWorkersRunning(), 0, 20000);
    }

    static void report(const char* command, qint64 stall, const CancelWhenShown& user) {
        qInfo("%s on a frozen share: longest stall of the event loop %lld ms, Cancel answered "
              "after %lld ms",
              command, static_cast<long long>(stall), static_cast<long long>(user.answeredAfter()));
        QVERIFY(user.clicked());
        QVERIFY(user.answeredAfter() >= 0);
        QVERIFY(user.answeredAfter() < kLongestWaitMs);
        QVERIFY(stall < kLongestWaitMs);
    }

    // Opens Copy To or Move To for one file of the main window, with the dialog's tree on the
    // destination folder. Done while the share answers: a tree that lists drive C: looks at the
    // share's mount point there, which is not what these tests are about.
    static void openDialog(TDestinationForm* dialog, const QString& file, const QString& folder) {
        Form1->ListView1->SetItemIndex(rowOf(file));
        if (dialog == copyform)
            Form1->BtnCopyClick();
        else
            Form1->BtnCutClick();
        dialog->explor->OpenPath(folder);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        QDir(root_.path()).mkpath("Local");
        share_ = std::make_unique<FrozenShare>(host("nas").toStdString());
        if (!share_->available())
            LUMO_QT_GUARD_SKIP(share_->reason());
        // The served folder lies outside drive C:, where the picture writer does not reach.
        writePlainJpeg(host("seed.jpg"));
        QDir(QString::fromStdString(share_->served())).mkpath("album/sub");
        for (const char* name : {"a.jpg", "d.jpg", "m.jpg", "album/sub/e.jpg"})
            QVERIFY(QFile::copy(host("seed.jpg"), served(QLatin1String(name))));
        // A picture with 64 MB after its end: large enough that copying it takes a while.
        big_ = contentOf(host("seed.jpg")) + QByteArray(64 << 20, '\0');
        QVERIFY(QFile::remove(host("seed.jpg")));
        CreateWindowSet();
        MainForm->explor->OpenPath(QStringLiteral("C:\\Local"));
    }

    void cleanupTestCase() {
        if (Form1 != nullptr)
            DestroyWindowSet();
        share_.reset();
    }

    void copyFromAFrozenShareIsCancelledAndWritesNothing() {
        openShare();
        openDialog(copyform, "a.jpg", QStringLiteral("C:\\Local"));
        share_->freeze();
        const CancelWhenShown user(QStringLiteral("Copying..."));
        StallMeter meter;
        copyform->SpeedButton1Click();
        report("Copy To", meter.longest(), user);
        thaw();
        QCOMPARE(QDir(host("Local")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void moveFromAFrozenShareIsCancelledAndKeepsItsSource() {
        openShare();
        const QByteArray before = contentOf(served("m.jpg"));
        openDialog(moveform, "m.jpg", QStringLiteral("C:\\Local"));
        share_->freeze();
        const CancelWhenShown user(QStringLiteral("Moving..."));
        StallMeter meter;
        moveform->SpeedButton1Click();
        report("Move To", meter.longest(), user);
        thaw();
        QCOMPARE(contentOf(served("m.jpg")), before);
        QCOMPARE(QDir(host("Local")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void deleteOnAFrozenShareIsCancelledAndKeepsTheFile() {
        openShare();
        Form1->ListView1->SetItemIndex(rowOf("d.jpg"));
        answerAll(platform::IDYES);
        share_->freeze();
        const CancelWhenShown user(QStringLiteral("Deleting..."));
        StallMeter meter;
        Form1->BtnPasteClick();
        report("Delete", meter.longest(), user);
        thaw();
        QVERIFY(QFile::exists(served("d.jpg")));
    }

    // The share stops answering while a copy is being written onto it: the copy under way never
    // appears under its name, its temporary goes once the worker comes back, and a move keeps its
    // source.
    void ontoAShareThatFreezesHalfWay_data() {
        QTest::addColumn<bool>("moving");
        QTest::newRow("Copy To") << false;
        QTest::newRow("Move To") << true;
    }

    void ontoAShareThatFreezesHalfWay() {
        QFETCH(bool, moving);
        const QString name = moving ? QStringLiteral("mv.jpg") : QStringLiteral("big.jpg");
        QFile big(host("Local/" + name));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(big_);
        big.close();
        Form1->explor->OpenPath(QStringLiteral("C:\\Local"));
        QVERIFY(rowOf(name) >= 0);
        TDestinationForm* dialog = moving ? static_cast<TDestinationForm*>(moveform)
                                          : static_cast<TDestinationForm*>(copyform);
        openDialog(dialog, name, QStringLiteral("C:\\nas"));
        const std::string served = share_->served();
        const CancelWhenShown user(
            moving ? QStringLiteral("Moving...") : QStringLiteral("Copying..."), [&] {
                if (!share_->frozen() && temporariesIn(served) > 0)
                    share_->freeze();
                return share_->frozen();
            });
        StallMeter meter;
        dialog->SpeedButton1Click();
        report(moving ? "Move To onto the share" : "Copy To onto the share", meter.longest(), user);
        thaw();
        QVERIFY(!QFile::exists(this->served(name)));
        QCOMPARE(temporariesIn(served), 0);
        if (moving)
            QCOMPARE(contentOf(host("Local/" + name)), big_);
    }

    // The tree's Copy and Paste of a folder onto the share, through the shell's file operation.
    void pasteOntoAFrozenShareIsCancelledAndWritesNothing() {
        QDir(root_.path()).mkpath("Local/trip");
        writePlainJpeg(host("Local/trip/t.jpg"));
        Form1->explor->OpenPath(QStringLiteral("C:\\Local\\trip"));
        Form1->explor->SetClipboardOp(coCopy);
        openShare();
        answerAll(platform::IDOK);
        share_->freeze();
        const CancelWhenShown user(QStringLiteral("Copying..."));
        StallMeter meter;
        Form1->explor->PasteFolder();
        report("Paste", meter.longest(), user);
        thaw();
        QVERIFY(!QFile::exists(served("trip")));
        QCOMPARE(temporariesIn(share_->served()), 0);
    }

    void treeSizeOfAFrozenShareIsCancelled() {
        openShare();
        answerAll(platform::IDOK);
        share_->freeze();
        const CancelWhenShown user(QStringLiteral("Tree Size"));
        StallMeter meter;
        QCOMPARE(Form1->explor->ShowTreeSize(), -1.0);
        report("Tree Size", meter.longest(), user);
        QVERIFY(platform::recordedMessageBoxes().empty());
        thaw();
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    ShareCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "share_commands_test.moc"
