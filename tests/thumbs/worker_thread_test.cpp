// The worker on its own thread, posting to an object of this thread: its messages and bitmaps,
// the thread-done callback after them, its error box, a stop request, and being destroyed while
// it runs or while it waits for its error box to be answered.
#include <chrono>
#include <thread>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "platform/headless/image_message.h"
#include "tests/platform/qt_helpers.h"
#include "tests/thumbs/picture_fixture.h"
#include "thumbs/extraction/thumbnail_thread.h"

namespace {

// Stands for the thumbnail window: keeps the messages and the sizes of the bitmaps they carry.
class Window : public MessageRecorder {
public:
    std::vector<QSize> bitmaps; // in posting order, one per message with a bitmap
    ThumbnailNotify Notify() {
        return {reinterpret_cast<uintptr_t>(this),
                WM_THUMB_ICONSDONE,
                WM_THUMB_SHAREIMAGE,
                WM_THUMB_ADDIMAGE,
                WM_THUMB_REPLACEIMAGE,
                WM_THUMB_CURRENTITEM};
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == platform::MessageEvent::eventType())
            if (const platform::Bitmap* bitmap =
                    platform::messageImage(static_cast<const platform::MessageEvent&>(*e)))
                bitmaps.emplace_back(bitmap->width, bitmap->height);
        return MessageRecorder::event(e);
    }
};

std::vector<std::pair<unsigned, quintptr>> Sequence(const Window& window) {
    std::vector<std::pair<unsigned, quintptr>> sequence;
    for (const RecordedMessage& m : window.messages)
        sequence.emplace_back(m.msg, m.wParam);
    return sequence;
}

class WorkerThread : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        platform::recordedMessageBoxes().clear();
        platform::setMessageBoxAnswerer(
            [](const platform::MessageBoxCall&) { return platform::IDOK; });
    }
    void TearDown() override {
        platform::setMessageBoxAnswerer(nullptr);
        PictureFixture::TearDown();
    }
    std::unique_ptr<TThumbnailExtractorThread> Worker(Window& window,
                                                      std::vector<std::string> captions) {
        auto worker = std::make_unique<TThumbnailExtractorThread>(window.Notify(), Program(""),
                                                                  std::move(captions), 120, 120, 32,
                                                                  platform::IEIFLAG_SCREEN);
        worker->OnTerminate = [this] {
            ++done_;
        };
        return worker;
    }
    int done_ = 0;
};

TEST_F(WorkerThread, PostsBothPassesThenRunsTheDoneCallback) {
    WritePicture("a.jpg", 640, 480, Qt::blue);
    WritePicture("b.jpg", 160, 90, Qt::green);
    WritePicture("c.jpg", 480, 640, Qt::red);
    Window window;
    auto worker = Worker(window, {"a.jpg", "b.jpg", "c.jpg"});
    worker->Start();
    ASSERT_TRUE(waitFor([&] { return done_ == 1; }));
    const std::vector<std::pair<unsigned, quintptr>> expected = {
        {WM_THUMB_CURRENTITEM, 0}, {WM_THUMB_ADDIMAGE, 0},    {WM_THUMB_CURRENTITEM, 1},
        {WM_THUMB_SHAREIMAGE, 1},  {WM_THUMB_CURRENTITEM, 2}, {WM_THUMB_SHAREIMAGE, 2},
        {WM_THUMB_ICONSDONE, 0},   {WM_THUMB_CURRENTITEM, 0}, {WM_THUMB_ADDIMAGE, 0},
        {WM_THUMB_CURRENTITEM, 1}, {WM_THUMB_ADDIMAGE, 1},    {WM_THUMB_CURRENTITEM, 2},
        {WM_THUMB_REPLACEIMAGE, 2}};
    EXPECT_EQ(Sequence(window), expected);
    // Every bitmap the window gets is already fitted to its 120 x 120 images.
    EXPECT_EQ(window.bitmaps, std::vector<QSize>(4, QSize(120, 120)));
    EXPECT_TRUE(platform::recordedMessageBoxes().empty());
}

TEST_F(WorkerThread, AnUnparsableNameEndsItWithAnErrorBox) {
    WritePicture("a.jpg", 64, 48, Qt::blue);
    WritePicture("c.jpg", 64, 48, Qt::blue);
    Window window;
    auto worker = Worker(window, {"a.jpg", "gone.jpg", "c.jpg"});
    worker->Start();
    ASSERT_TRUE(waitFor([&] { return done_ == 1; }));
    ASSERT_EQ(platform::recordedMessageBoxes().size(), 1u);
    const platform::MessageBoxCall box = platform::recordedMessageBoxes().front();
    EXPECT_EQ(box.caption, QStringLiteral("EOleSysError"));
    EXPECT_EQ(box.text, QStringLiteral("The system cannot find the file specified."));
    EXPECT_EQ(box.flags, unsigned(platform::MB_ICONERROR));
    EXPECT_TRUE(worker->Terminated());
    // Item 0 has its thumbnail; the pass ended on item 1.
    EXPECT_EQ(Sequence(window).back(), std::make_pair(unsigned(WM_THUMB_CURRENTITEM), quintptr(1)));
    ASSERT_GT(window.messages.size(), 8u);
    EXPECT_EQ(Sequence(window)[8], std::make_pair(unsigned(WM_THUMB_ADDIMAGE), quintptr(0)));
}

TEST_F(WorkerThread, AStopRequestEndsItAndTheDoneCallbackStillRuns) {
    std::vector<std::string> captions;
    for (int i = 0; i < 50; ++i) {
        captions.push_back("p" + std::to_string(i) + ".jpg");
        WritePicture(captions.back(), 64, 48, Qt::blue);
    }
    Window window;
    auto worker = Worker(window, captions);
    worker->Start();
    worker->Abort();
    ASSERT_TRUE(waitFor([&] { return done_ == 1; }));
    // The default-icon pass ended early, said so once, and no thumbnail followed.
    int iconsDone = 0;
    for (const RecordedMessage& m : window.messages)
        iconsDone += m.msg == WM_THUMB_ICONSDONE;
    EXPECT_EQ(iconsDone, 1);
    EXPECT_EQ(window.messages.back().msg, unsigned(WM_THUMB_ICONSDONE));
    EXPECT_LT(window.messages.size(), 2 * captions.size());
}

TEST_F(WorkerThread, DestroyedWhileRunningItStopsAndIsJoined) {
    std::vector<std::string> captions;
    for (int i = 0; i < 50; ++i) {
        captions.push_back("p" + std::to_string(i) + ".jpg");
        WritePicture(captions.back(), 64, 48, Qt::blue);
    }
    auto window = std::make_unique<Window>();
    auto worker = Worker(*window, captions);
    worker->Start();
    ASSERT_TRUE(waitFor([&] { return !window->messages.empty(); }));
    worker.reset(); // stops it and joins: nothing of it runs after this
    window.reset(); // what it posted meanwhile goes with the window
    QCoreApplication::processEvents();
    EXPECT_EQ(done_, 0);
}

TEST_F(WorkerThread, DestroyedWhileItsErrorBoxWaitsItIsReleased) {
    WritePicture("a.jpg", 64, 48, Qt::blue);
    Window window;
    auto worker = Worker(window, {"a.jpg", "gone.jpg"});
    worker->Start();
    // This thread handles no event, so the box cannot be answered: the worker waits on it until
    // it is destroyed, and the destruction must not wait on the worker in turn. The worker says
    // it ended (its terminate request) just before it asks for the box.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!worker->Terminated() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(worker->Terminated());
    worker.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(platform::recordedMessageBoxes().empty()); // abandoned, never shown
    EXPECT_EQ(done_, 0);
}

} // namespace
