// The progress window of long file operations and the hold on posted messages meanwhile.
#include "platform/qt/file_op_progress.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/shell.h"
#include "platform/qt/ui.h"

namespace platform::detail {

namespace {

std::chrono::milliseconds gShowAfter{1000};
std::chrono::milliseconds gRefresh{50};

// An entry counts as this many bytes in the bar, so that entries without content move it.
constexpr uint64_t kEntryWeight = 4096;

QString sizeText(uint64_t bytes) {
    static const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1000.0 && unit < 4) {
        value /= 1000.0;
        ++unit;
    }
    return unit == 0 ? QStringLiteral("%1 bytes").arg(bytes)
                     : QStringLiteral("%1 %2")
                           .arg(value, 0, 'f', value < 10.0 ? 1 : 0)
                           .arg(QLatin1String(kUnits[unit]));
}

// Keeps the posted window messages that arrive while an operation runs and posts them again, in
// their order, when it is over.
class MessageHold : public QObject {
public:
    MessageHold() { QCoreApplication::instance()->installEventFilter(this); }
    ~MessageHold() override {
        QCoreApplication::instance()->removeEventFilter(this);
        for (const Held& message : held_) {
            if (message.target)
                postMessage(message.target, message.msg, message.wParam, message.lParam);
        }
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() != MessageEvent::eventType())
            return false;
        const auto* message = static_cast<const MessageEvent*>(event);
        held_.push_back({target, message->msg, message->wParam, message->lParam});
        return true;
    }

private:
    struct Held {
        QPointer<QObject> target;
        unsigned msg;
        quintptr wParam;
        qintptr lParam;
    };
    std::vector<Held> held_;
};

// The window stays up after Cancel, saying so, until the operation has stopped: until then the
// other windows must not take input.
class ProgressDialog : public QDialog {
public:
    ProgressDialog(QWidget* owner, std::function<void()> onReject)
        : QDialog(owner), onReject_(std::move(onReject)) {}
    void reject() override { onReject_(); }

private:
    std::function<void()> onReject_;
};

} // namespace

int progressPermille(const FileOpCounts& counts) {
    const uint64_t total = counts.bytesTotal + counts.entriesTotal * kEntryWeight;
    if (total == 0)
        return 0;
    const uint64_t done = std::min(counts.bytesDone, counts.bytesTotal) +
                          std::min(counts.entriesDone, counts.entriesTotal) * kEntryWeight;
    return static_cast<int>(std::min<uint64_t>(1000, done * 1000 / total));
}

QString progressText(const FileOpCounts& counts) {
    const QString items = QStringLiteral("%1 of %2 items")
                              .arg(std::min(counts.entriesDone, counts.entriesTotal))
                              .arg(counts.entriesTotal);
    if (counts.bytesTotal == 0)
        return items;
    return QStringLiteral("%1 (%2 of %3)")
        .arg(items, sizeText(std::min(counts.bytesDone, counts.bytesTotal)),
             sizeText(counts.bytesTotal));
}

struct FileOpProgress::Impl {
    QPointer<QWidget> owner;
    QString title;
    QElapsedTimer clock;
    bool cancelled = false;
    std::function<void()> onCancel;
    std::unique_ptr<MessageHold> hold;
    std::unique_ptr<QDialog> dialog;
    QLabel* text = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* cancelButton = nullptr;

    void cancel() {
        if (cancelled)
            return;
        cancelled = true;
        text->setText(QStringLiteral("Cancelling..."));
        cancelButton->setEnabled(false);
        if (onCancel)
            onCancel();
    }

    void show() {
        // Cancel, Escape and closing the window all stop the operation.
        dialog = std::make_unique<ProgressDialog>(owner.data(), [this] { cancel(); });
        dialog->setWindowTitle(title);
        dialog->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(dialog.get());
        text = new QLabel;
        layout->addWidget(text);
        bar = new QProgressBar;
        bar->setRange(0, 1000);
        layout->addWidget(bar);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        cancelButton = new QPushButton(QStringLiteral("Cancel"));
        buttons->addWidget(cancelButton);
        layout->addLayout(buttons);
        QObject::connect(cancelButton, &QPushButton::clicked, dialog.get(), &QDialog::reject);
        dialog->resize(360, dialog->sizeHint().height());
        dialog->show();
    }
};

FileOpProgress::FileOpProgress(QWidget* owner, unsigned func) : impl_(std::make_unique<Impl>()) {
    impl_->owner = owner;
    impl_->title = func == FO_MOVE     ? QStringLiteral("Moving...")
                   : func == FO_DELETE ? QStringLiteral("Deleting...")
                   : func == FO_RENAME ? QStringLiteral("Renaming...")
                                       : QStringLiteral("Copying...");
    impl_->clock.start();
    impl_->hold = std::make_unique<MessageHold>();
}

FileOpProgress::~FileOpProgress() {
    impl_->dialog.reset();
    impl_->hold.reset(); // the held messages go out now
}

std::chrono::milliseconds FileOpProgress::refreshInterval() {
    return gRefresh;
}

void FileOpProgress::setTiming(std::chrono::milliseconds showAfter,
                               std::chrono::milliseconds refresh) {
    gShowAfter = showAfter;
    gRefresh = refresh;
}

void FileOpProgress::refresh(const FileOpCounts& counts) {
    if (!impl_->dialog && impl_->clock.elapsed() >= gShowAfter.count())
        impl_->show();
    if (impl_->dialog && !impl_->cancelled) {
        impl_->text->setText(progressText(counts));
        impl_->bar->setValue(progressPermille(counts));
    }
}

void FileOpProgress::restartClock() {
    impl_->clock.restart();
}

void FileOpProgress::setOnCancel(std::function<void()> onCancel) {
    impl_->onCancel = std::move(onCancel);
}

bool FileOpProgress::cancelled() const {
    return impl_->cancelled;
}

QWidget* FileOpProgress::window() const {
    return impl_->dialog.get();
}

} // namespace platform::detail
