// User-interface services of the host desktop in the form the program's windows call them:
// message boxes (also one left open while the program goes on), beeps, the hourglass cursor and
// posted window messages with numbers (posted_message.h).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/headless/posted_message.h"

class QMessageBox;
class QWidget;

namespace platform {

// MessageBox flags and results.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONHAND = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MessageBoxCall {
    QString text;
    QString caption;
    unsigned flags = 0;
};

// The one way the program shows a message box. Modal; returns IDOK / IDYES / IDNO / IDCANCEL.
// Buttons read "&Yes" / "&No" / "OK" / "Cancel". An empty caption shows the application title.
// Safe to call from a worker thread: the box is shown on the user-interface thread and the
// caller waits for the answer.
int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags);

// The text as a box shows it: as in the program's texts, a carriage return alone or followed by
// a line feed breaks the line. The box shows the text as it is, never as markup.
QString messageBoxLines(const QString& text);

// A message box that does not hold its caller up: it is shown and left open while the program goes
// on (the slide show reporting a picture it could not load goes on with the show). One box per
// object: while it is open, show() puts the new text into it rather than stacking a second box on
// it. Looks as messageBox's boxes do. User-interface thread only.
class OpenMessageBox : public QObject {
    Q_OBJECT
public:
    explicit OpenMessageBox(QObject* parent = nullptr);
    ~OpenMessageBox() override; // closes a box still open

    void show(QWidget* owner, const QString& text, const QString& caption, unsigned flags);
    bool isOpen() const;
    QString text() const { return text_; } // the last text shown
    void close();                          // as the user's "OK"

private:
    QPointer<QMessageBox> box_; // deletes itself when the user closes it
    bool answeredOpen_ = false; // opened while a test answers boxes
    QString text_;
};

// Tests answer message boxes instead of showing them: while an answerer is installed every call
// is appended to recordedMessageBoxes() and answered by it (no dialog appears). nullptr removes it.
// An OpenMessageBox that opens is recorded too and then stays open, without an answer, until its
// close(); a text put into it while it is open is no new box.
using MessageBoxAnswerer = std::function<int(const MessageBoxCall&)>;
void setMessageBoxAnswerer(MessageBoxAnswerer answerer);
std::vector<MessageBoxCall>& recordedMessageBoxes();

// MessageBeep(type). Counted for tests.
void messageBeep(unsigned type);
int beepCount();

// Screen.Cursor := crHourGlass for the life of the object (nests).
class HourglassCursor {
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};

// Application.ProcessMessages: handles the events that are pending now.
void processMessages();

// The window that currently has the focus, else the first visible top-level window (the owner the
// shell dialogs use when the caller gives none).
QWidget* activeWindow();

} // namespace platform
