// Message boxes, beeps, the hourglass cursor and posted window messages on top of Qt.
#include "platform/qt/ui.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QThread>

namespace platform {

namespace {

std::mutex gAnswerMutex;
MessageBoxAnswerer gAnswerer;
std::atomic<int> gBeeps{0};

std::vector<MessageBoxCall>& recorded() {
    static std::vector<MessageBoxCall> calls;
    return calls;
}

bool onGuiThread() {
    return QCoreApplication::instance() == nullptr ||
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

// What a box answers when it cannot be shown at all: the safe, non-destructive choice.
int answerWithoutUser(unsigned flags) {
    switch (flags & 0xF) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

bool haveWindows() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// A box's buttons and what each answers.
using BoxButtons = std::vector<std::pair<QAbstractButton*, int>>;

// Text, caption, icon and buttons of a box as flags say.
BoxButtons setUpBox(QMessageBox& box, const QString& text, const QString& caption, unsigned flags) {
    box.setTextFormat(Qt::PlainText);
    box.setText(messageBoxLines(text));
    box.setWindowTitle(caption.isEmpty() ? QApplication::applicationDisplayName() : caption);
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    BoxButtons buttons;
    const auto add = [&](const QString& label, QMessageBox::ButtonRole role, int id) {
        buttons.emplace_back(box.addButton(label, role), id);
        return buttons.back().first;
    };
    switch (flags & 0xF) {
    case MB_OKCANCEL:
        box.setDefaultButton(
            qobject_cast<QPushButton*>(add(QStringLiteral("OK"), QMessageBox::AcceptRole, IDOK)));
        box.setEscapeButton(add(QStringLiteral("Cancel"), QMessageBox::RejectRole, IDCANCEL));
        break;
    case MB_YESNOCANCEL:
        add(QStringLiteral("&Yes"), QMessageBox::YesRole, IDYES);
        add(QStringLiteral("&No"), QMessageBox::NoRole, IDNO);
        box.setEscapeButton(add(QStringLiteral("Cancel"), QMessageBox::RejectRole, IDCANCEL));
        break;
    case MB_YESNO:
        add(QStringLiteral("&Yes"), QMessageBox::YesRole, IDYES);
        // Closing the box counts as the harmless answer.
        box.setEscapeButton(add(QStringLiteral("&No"), QMessageBox::NoRole, IDNO));
        break;
    default:
        box.setEscapeButton(add(QStringLiteral("OK"), QMessageBox::AcceptRole, IDOK));
        break;
    }
    return buttons;
}

int showBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) {
    if (!haveWindows()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        return answerWithoutUser(flags);
    }
    QMessageBox box(owner != nullptr ? owner : activeWindow());
    const BoxButtons buttons = setUpBox(box, text, caption, flags);
    box.exec();
    for (const auto& [button, id] : buttons) {
        if (box.clickedButton() == button)
            return id;
    }
    return answerWithoutUser(flags);
}

// Records the call when a test answers boxes; whether one does.
bool recordIfAnswered(const QString& text, const QString& caption, unsigned flags,
                      MessageBoxAnswerer* answerer = nullptr) {
    std::lock_guard lock(gAnswerMutex);
    if (!gAnswerer)
        return false;
    recorded().push_back({text, caption, flags});
    if (answerer != nullptr)
        *answerer = gAnswerer;
    return true;
}

int answerOrShow(QWidget* owner, const QString& text, const QString& caption, unsigned flags) {
    MessageBoxAnswerer answerer;
    recordIfAnswered(text, caption, flags, &answerer);
    if (answerer)
        return answerer({text, caption, flags});
    return showBox(owner, text, caption, flags);
}

} // namespace

QString messageBoxLines(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) {
    if (onGuiThread())
        return answerOrShow(owner, text, caption, flags);
    // A worker's box is shown by the user-interface thread while the worker waits.
    int result = answerWithoutUser(flags);
    QPointer<QWidget> guardedOwner(owner);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] { result = answerOrShow(guardedOwner.data(), text, caption, flags); },
        Qt::BlockingQueuedConnection);
    return result;
}

OpenMessageBox::OpenMessageBox(QObject* parent) : QObject(parent) {}

OpenMessageBox::~OpenMessageBox() {
    delete box_;
}

void OpenMessageBox::show(QWidget* owner, const QString& text, const QString& caption,
                          unsigned flags) {
    text_ = text;
    if (isOpen()) {
        if (box_ != nullptr)
            box_->setText(messageBoxLines(text));
        return;
    }
    if (recordIfAnswered(text, caption, flags)) {
        answeredOpen_ = true;
        return;
    }
    if (!haveWindows()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        return;
    }
    box_ = new QMessageBox(owner != nullptr ? owner : activeWindow());
    box_->setAttribute(Qt::WA_DeleteOnClose);
    box_->setWindowModality(Qt::NonModal);
    setUpBox(*box_, text, caption, flags);
    box_->show();
}

bool OpenMessageBox::isOpen() const {
    return answeredOpen_ || (box_ != nullptr && box_->isVisible());
}

void OpenMessageBox::close() {
    answeredOpen_ = false;
    if (box_ != nullptr)
        box_->close();
}

void setMessageBoxAnswerer(MessageBoxAnswerer answerer) {
    std::lock_guard lock(gAnswerMutex);
    gAnswerer = std::move(answerer);
}

std::vector<MessageBoxCall>& recordedMessageBoxes() {
    return recorded();
}

void messageBeep(unsigned) {
    ++gBeeps;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QApplication::beep();
}

int beepCount() {
    return gBeeps.load();
}

HourglassCursor::HourglassCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

HourglassCursor::~HourglassCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

void processMessages() {
    QCoreApplication::processEvents();
}

QWidget* activeWindow() {
    if (QWidget* focus = QApplication::focusWidget())
        return focus->window();
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->isWindow())
            return widget;
    }
    return nullptr;
}

} // namespace platform
