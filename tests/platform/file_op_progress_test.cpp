// The progress of long file operations: the bar and its text as plain values, the window that
// appears after a while and whose Cancel stops the operation (what was done stays, what was under
// way is taken back), posted messages that wait until the operation is over, and the worker the
// operation runs on, which a Cancel leaves behind when it is stuck.
#include "platform/qt/file_op_progress.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/winerror.h"
#include "platform/qt/file_op_worker.h"
#include "platform/qt/shell.h"
#include "platform/qt/shell_fileop.h"
#include "tests/platform/qt_helpers.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace platform::detail;
using namespace lumo::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

TEST(FileOpProgressText, BarAndTextFollowBytesAndItems) {
    struct Case {
        FileOpCounts counts;
        int permille;
        const char* text;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 0, "0 of 0 items"},
        {{0, 0, 30, 60}, 500, "30 of 60 items"},
        // An item weighs as 4096 bytes: 500 of 1000 + 4096 is 98 per mille.
        {{500, 1000, 0, 1}, 98, "0 of 1 items (500 bytes of 1.0 KB)"},
        {{999, 999, 1, 1}, 1000, "1 of 1 items (999 bytes of 999 bytes)"},
        {{1500000, 120000000, 12, 60000}, 4, "12 of 60000 items (1.5 MB of 120 MB)"},
        {{2000000000, 2000000000, 3, 3}, 1000, "3 of 3 items (2.0 GB of 2.0 GB)"},
        {{5000, 1000, 9, 3}, 1000, "3 of 3 items (1.0 KB of 1.0 KB)"}, // never past the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(progressPermille(c.counts), c.permille) << c.text;
        EXPECT_EQ(progressText(c.counts).toStdString(), c.text);
    }
}

QPushButton* CancelButton(QWidget* window) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Cancel"))
            return button;
    }
    return nullptr;
}

QLabel* TextOf(QWidget* window) {
    return window->findChild<QLabel*>();
}

class FileOpProgressTest : public ::testing::Test {
protected:
    void TearDown() override {
        FileOpProgress::setTiming(1000ms, 50ms);
        setMessageBoxAnswerer(nullptr);
    }
};

TEST_F(FileOpProgressTest, TheWindowComesAfterAWhileAndStaysUntilTheOperationHasStopped) {
    FileOpProgress::setTiming(1h, 0ms);
    {
        FileOpProgress quick(nullptr, FO_COPY);
        quick.refresh({100, 4000, 0, 3});
        EXPECT_EQ(quick.window(), nullptr); // too soon for a window
    }

    FileOpProgress::setTiming(0ms, 0ms);
    MessageRecorder window;
    FileOpProgress progress(nullptr, FO_MOVE);
    int cancels = 0;
    progress.setOnCancel([&] { ++cancels; });
    const FileOpCounts counts{3000, 4000, 1, 4};
    progress.refresh(counts);
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_EQ(progress.window()->windowTitle(), QStringLiteral("Moving..."));
    auto* bar = progress.window()->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), progressPermille(counts));
    EXPECT_EQ(TextOf(progress.window())->text(), progressText(counts));

    // A window's message posted meanwhile waits for the end of the operation.
    postMessage(&window, 1026, 0, 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.messages.empty());

    // Cancel asks once; the window stays, saying so, until the operation has stopped.
    QPushButton* cancel = CancelButton(progress.window());
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    QTest::keyClick(progress.window(), Qt::Key_Escape);
    progress.window()->close();
    progress.refresh({4000, 4000, 4, 4});
    EXPECT_TRUE(progress.cancelled());
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(progress.window()->isVisible());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(TextOf(progress.window())->text(), QStringLiteral("Cancelling..."));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(FileOpProgressTest, HeldMessagesArriveInTheirOrderAfterTheOperation) {
    FileOpProgress::setTiming(1h, 0ms);
    MessageRecorder window;
    {
        FileOpProgress progress(nullptr, FO_COPY);
        postMessage(&window, 1026, 0, 1);
        postMessage(&window, 1027, 0, 2);
        QCoreApplication::processEvents();
        EXPECT_TRUE(window.messages.empty());
    }
    postMessage(&window, 1028, 0, 3);
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 3; }));
    EXPECT_EQ(window.messages[0].msg, 1026u);
    EXPECT_EQ(window.messages[1].msg, 1027u);
    EXPECT_EQ(window.messages[2].msg, 1028u);
}

// A call on a share that stopped answering, played by the test: the worker waits until the test
// lets it go. Shared, so that a worker left behind owns it.
class StuckCall {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [this] { return free_; });
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            free_ = true;
        }
        released_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool free_ = false;
};

// Clicks Cancel in the progress window as soon as it is up, first posting a message to window.
class CancelClicker {
public:
    explicit CancelClicker(MessageRecorder* window = nullptr) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [window] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                QPushButton* cancel = widget->isVisible() ? CancelButton(widget) : nullptr;
                if (cancel == nullptr || !cancel->isEnabled())
                    continue;
                if (window != nullptr)
                    postMessage(window, 1026, 0, 1);
                cancel->click();
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

TEST_F(FileOpProgressTest, TheWorkersQuestionsAreAskedOnTheWindowThreadAndItsErrorComesBack) {
    std::vector<bool> onWindowThread;
    setMessageBoxAnswerer([&](const MessageBoxCall&) {
        onWindowThread.push_back(QThread::currentThread() == qApp->thread());
        return IDNO;
    });
    auto answers = std::make_shared<std::vector<int>>();
    auto worker = std::make_shared<std::thread::id>();
    EXPECT_TRUE(runFileWork(nullptr, FO_DELETE, false, [answers, worker](FileOpSession& session) {
        *worker = std::this_thread::get_id();
        answers->push_back(session.ask(QStringLiteral("Sure?"), QStringLiteral("Confirm"),
                                       MB_YESNO | MB_ICONQUESTION));
        answers->push_back(session.ask(QStringLiteral("Really?"), QStringLiteral("Confirm"),
                                       MB_YESNO | MB_ICONQUESTION));
        setLastError(ERROR_ACCESS_DENIED);
    }));
    EXPECT_EQ(lastError(), ERROR_ACCESS_DENIED);
    EXPECT_NE(*worker, std::this_thread::get_id());
    EXPECT_EQ(*answers, (std::vector<int>{IDNO, IDNO}));
    EXPECT_EQ(onWindowThread, (std::vector<bool>{true, true}));
}

TEST_F(FileOpProgressTest, AWorkerThatStopsAfterCancelIsWaitedFor) {
    FileOpProgress::setTiming(0ms, 10ms);
    const CancelClicker clicker;
    // A copy that goes on until it is told to stop.
    EXPECT_TRUE(runFileWork(nullptr, FO_COPY, false, [](FileOpSession& session) {
        while (session.bytesCopied(1))
            std::this_thread::yield();
        setLastError(ERROR_CANCELLED);
    }));
    EXPECT_EQ(lastError(), ERROR_CANCELLED);
}

TEST_F(FileOpProgressTest, AWorkerStuckAfterCancelIsLeftBehindAndThenDoesNothingMore) {
    ASSERT_TRUE(waitFor([] { return fileWorkersRunning() == 0; }));
    FileOpProgress::setTiming(0ms, 10ms);
    MessageRecorder window;
    auto call = std::make_shared<StuckCall>();
    auto sawCancel = std::make_shared<std::atomic<bool>>(false);
    {
        const CancelClicker clicker(&window);
        EXPECT_FALSE(runFileWork(nullptr, FO_COPY, false, [call, sawCancel](FileOpSession& s) {
            call->wait();
            *sawCancel = s.stopRequested();
        }));
    }
    EXPECT_EQ(lastError(), ERROR_CANCELLED);
    EXPECT_EQ(fileWorkersRunning(), 1);
    // The message posted while the operation ran comes once it is over for the window.
    ASSERT_TRUE(waitFor([&] { return !window.messages.empty(); }));
    EXPECT_EQ(window.messages[0].msg, 1026u);

    call->release(); // the share answers again
    ASSERT_TRUE(waitFor([] { return fileWorkersRunning() == 0; }));
    EXPECT_TRUE(*sawCancel);
}

// The shell's operation as a plain function, cancelled by the test playing the user.
class CancelledOperationTest : public FileOpProgressTest {
protected:
    void SetUp() override {
        setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true}});
        for (const std::string item : {"one", "two"}) {
            fs::create_directories(c / ("src/" + item));
            for (int i = 0; i < 40; ++i)
                writeFile(c / ("src/" + item + "/file" + std::to_string(i)),
                          std::string(5000, 'x'));
        }
        fs::create_directories(c / "dest");
    }
    void TearDown() override {
        setDriveMap({});
        FileOpProgressTest::TearDown();
    }

    // Copies both folders into dest.
    FileOpOutcome copyBoth(ScriptedSession& session) {
        return runFileOperation({FO_COPY,
                                 std::string("C:\\src\\one") + '\0' + "C:\\src\\two" + '\0' + '\0',
                                 std::string("C:\\dest") + '\0' + '\0', FOF_NOCONFIRMATION},
                                session);
    }
    std::vector<std::string> namesIn(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir c;
};

TEST_F(CancelledOperationTest, WhatWasCopiedStaysAndWhatWasUnderWayGoes) {
    ScriptedSession session;
    // Cancelled in the middle of the second folder's content.
    session.cancelWhen = [](const ScriptedSession& s) {
        return s.item == 1 && s.bytesOfItem > 20000;
    };
    const FileOpOutcome outcome = copyBoth(session);
    EXPECT_EQ(outcome.code, int(ERROR_CANCELLED));
    EXPECT_TRUE(outcome.aborted);
    EXPECT_FALSE(outcome.failed);
    EXPECT_EQ(namesIn(c / "dest"), std::vector<std::string>{"one"});
    EXPECT_EQ(namesIn(c / "dest/one").size(), 40u);
    EXPECT_EQ(readFile(c / "dest/one/file39"), std::string(5000, 'x'));
    EXPECT_EQ(namesIn(c / "src/two").size(), 40u);
}

TEST_F(CancelledOperationTest, CancelBeforeAnythingIsCopiedLeavesNothing) {
    ScriptedSession session;
    session.cancelWhen = [](const ScriptedSession&) {
        return true;
    };
    const FileOpOutcome outcome = copyBoth(session);
    EXPECT_EQ(outcome.code, int(ERROR_CANCELLED));
    EXPECT_TRUE(outcome.aborted);
    EXPECT_TRUE(namesIn(c / "dest").empty());

    // A silent operation shows no window and so cannot be cancelled.
    FileOpProgress::setTiming(0ms, 0ms);
    const CancelClicker clicker;
    ShFileOpStruct op;
    op.func = FO_COPY;
    op.from = std::string("C:\\src\\one") + '\0' + '\0';
    op.to = std::string("C:\\dest") + '\0' + '\0';
    op.flags = FOF_SILENT | FOF_NOCONFIRMATION;
    EXPECT_EQ(shFileOperation(op), 0);
    EXPECT_EQ(namesIn(c / "dest"), std::vector<std::string>{"one"});
}

} // namespace
