// The progress of long shell file operations: the bar and its text as plain values, the window
// that appears after a while and whose Cancel stops the operation (what was done stays, what was
// under way is taken back), and posted messages that wait until the operation is over.
#include "platform/qt/file_op_progress.h"

#include <filesystem>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/winerror.h"
#include "platform/qt/shell.h"
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

class FileOpProgressTest : public ::testing::Test {
protected:
    void TearDown() override { FileOpProgress::setTiming(1000ms, 50ms); }
};

TEST_F(FileOpProgressTest, TheWindowComesAfterAWhileAndCancelStops) {
    TempDir folder;
    writeFile(folder / "a", std::string(3000, 'a'));
    writeFile(folder / "b", std::string(1000, 'b'));

    FileOpProgress::setTiming(1h, 0ms);
    {
        FileOpProgress quick(nullptr, FO_COPY);
        EXPECT_TRUE(quick.addItem(folder.path(), true));
        EXPECT_TRUE(quick.bytesCopied(100));
        EXPECT_EQ(quick.window(), nullptr); // too soon for a window
    }

    FileOpProgress::setTiming(0ms, 0ms);
    MessageRecorder window;
    FileOpProgress progress(nullptr, FO_MOVE);
    EXPECT_TRUE(progress.addItem(folder.path(), true));
    EXPECT_TRUE(progress.addItem(folder / "elsewhere", false));
    EXPECT_EQ(progress.counts().bytesTotal, 4000u);
    EXPECT_EQ(progress.counts().entriesTotal, 4u); // the folder, its two files, one rename
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_EQ(progress.window()->windowTitle(), QStringLiteral("Moving..."));

    EXPECT_TRUE(progress.bytesCopied(3000));
    EXPECT_TRUE(progress.entryCopied());
    auto* bar = progress.window()->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), progressPermille(progress.counts()));
    EXPECT_GT(bar->value(), 0);
    EXPECT_TRUE(progress.startItem(1)); // the first item is done in full
    EXPECT_EQ(progress.counts().entriesDone, 3u);
    EXPECT_EQ(progress.counts().bytesDone, 4000u);

    // A window's message posted meanwhile waits for the end of the operation.
    postMessage(&window, 1026, 0, 1);
    EXPECT_TRUE(progress.entryCopied());
    EXPECT_TRUE(window.messages.empty());

    QPushButton* cancel = CancelButton(progress.window());
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_TRUE(progress.cancelled());
    EXPECT_FALSE(progress.bytesCopied(1));
    EXPECT_FALSE(progress.entryCopied());
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(FileOpProgressTest, HeldMessagesArriveInTheirOrderAfterTheOperation) {
    FileOpProgress::setTiming(1h, 0ms);
    MessageRecorder window;
    {
        FileOpProgress progress(nullptr, FO_COPY);
        postMessage(&window, 1026, 0, 1);
        postMessage(&window, 1027, 0, 2);
        EXPECT_TRUE(progress.entryCopied());
        EXPECT_TRUE(window.messages.empty());
    }
    postMessage(&window, 1028, 0, 3);
    ASSERT_TRUE(waitFor([&] { return window.messages.size() == 3; }));
    EXPECT_EQ(window.messages[0].msg, 1026u);
    EXPECT_EQ(window.messages[1].msg, 1027u);
    EXPECT_EQ(window.messages[2].msg, 1028u);
}

class CancelledOperationTest : public FileOpProgressTest {
protected:
    void SetUp() override {
        setDriveMap({{'C', c.path(), DRIVE_FIXED, "", true}});
        FileOpProgress::setTiming(0ms, 0ms);
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

    // Copies both folders into dest; the user clicks Cancel in the progress window as soon as
    // when() holds. Returns the operation's result.
    int copyCancelledWhen(const std::function<bool()>& when, bool& aborted) {
        QTimer watcher;
        watcher.setInterval(0);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QDialog*>(widget);
                if (dialog && dialog->isVisible() && when()) {
                    if (QPushButton* cancel = CancelButton(dialog))
                        cancel->click();
                }
            }
        });
        watcher.start();
        ShFileOpStruct op;
        op.func = FO_COPY;
        op.from = std::string("C:\\src\\one") + '\0' + "C:\\src\\two" + '\0' + '\0';
        op.to = std::string("C:\\dest") + '\0' + '\0';
        op.flags = FOF_NOCONFIRMATION;
        const int result = shFileOperation(op);
        aborted = op.anyOperationsAborted;
        return result;
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
    bool aborted = false;
    // Cancelled once the first folder is complete, while the second is being copied or about to.
    const int result = copyCancelledWhen([&] { return fs::exists(c / "dest/one"); }, aborted);
    EXPECT_EQ(result, int(ERROR_CANCELLED));
    EXPECT_TRUE(aborted);
    EXPECT_EQ(namesIn(c / "dest"), std::vector<std::string>{"one"});
    EXPECT_EQ(namesIn(c / "dest/one").size(), 40u);
    EXPECT_EQ(readFile(c / "dest/one/file39"), std::string(5000, 'x'));
    EXPECT_EQ(namesIn(c / "src").size(), 2u);
}

TEST_F(CancelledOperationTest, CancelBeforeAnythingIsCopiedLeavesNothing) {
    bool aborted = false;
    EXPECT_EQ(copyCancelledWhen([] { return true; }, aborted), int(ERROR_CANCELLED));
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(namesIn(c / "dest").empty());

    // A silent operation shows no window and so cannot be cancelled.
    ShFileOpStruct op;
    op.func = FO_COPY;
    op.from = std::string("C:\\src\\one") + '\0' + '\0';
    op.to = std::string("C:\\dest") + '\0' + '\0';
    op.flags = FOF_SILENT | FOF_NOCONFIRMATION;
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(qobject_cast<QDialog*>(widget) && widget->isVisible());
    });
    EXPECT_EQ(shFileOperation(op), 0);
    EXPECT_EQ(namesIn(c / "dest"), std::vector<std::string>{"one"});
}

} // namespace
