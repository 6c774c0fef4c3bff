// TForm4: the "Vora Vivozeru" full-screen picture viewer — a black bar of buttons above a black
// scrolling area that holds the picture box. It walks the list it is given (Next, Previous and the
// Autoview slide show) and zooms the box in steps of 100 pixels. Pictures decode on a loader
// thread at the size the boxes need and are drawn stage by stage as they sharpen; while one is
// looked at, a second loader decodes the picture the next step will show. Keys and the mouse wheel
// do what the buttons do; a double-click on the picture closes the window. The window itself lives
// on the user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include "platform/qt/picture_decode.h"
#include "viewer/viewer_list.h"

class QLineEdit;
class QPushButton;
class QScrollArea;
class QTimer;
class TImage;
namespace geometry {
struct Rect;
}
namespace platform {
class OpenMessageBox;
class PictureLoader;
} // namespace platform

class TForm4 : public QWidget {
    Q_OBJECT
public:
    // list: what Next, Previous and the slide show walk (the program's is the thumbnail window's).
    explicit TForm4(std::unique_ptr<TViewerList> list, QWidget* parent = nullptr);
    ~TForm4() override;

    QWidget* Panel1;
    QPushButton* SpeedButton3; // "Previous"
    QPushButton* SpeedButton1; // "Next"
    QPushButton* SpeedButton6; // "Autoview", a toggle
    QPushButton* SpeedButton4; // "Zoom Down"
    QPushButton* SpeedButton5; // "Zoom Up"
    QPushButton* SpeedButton2; // "Close"
    QLineEdit* Edit1;          // hidden: the folder, ending in a backslash
    QLineEdit* Edit2;          // hidden: the file name
    QScrollArea* ScrollBox1;
    TImage* Image1;
    QTimer* Timer1; // the slide show: 5000 ms, stopped at start

    // How both openers show a picture: shows the window, puts folder (ending in a backslash) into
    // Edit1 and fileName into Edit2, and loads Edit1 + Edit2 into Image1. Raises the loader's
    // error when the file cannot be opened as a picture; the window is then shown with its
    // previous picture.
    void OpenPicture(const QString& folder, const QString& fileName);

    // Replaces the list Next, Previous and the slide show walk; drops a picture still being
    // decoded.
    void SetList(std::unique_ptr<TViewerList> list);

    void FormShow();
    void SpeedButton1Click(); // "Next"
    void SpeedButton3Click(); // "Previous"
    void SpeedButton4Click(); // "Zoom Down"
    void SpeedButton5Click(); // "Zoom Up"
    void SpeedButton6Click(); // "Autoview", after the click has toggled the button
    void SpeedButton2Click(); // "Close"
    void Timer1Timer();

Q_SIGNALS:
    // The sharpest picture of the latest load is in place (in Image1, and in the list's preview
    // and its copy when Next or Previous loaded it).
    void PictureShown();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape closes; Right, Down, Page Down and Space step to the next picture, Left, Up, Page Up
    // and Backspace to the previous one; Home and End go to the first and the last; + and -
    // (keypad too; = is + without Shift) zoom up and down. Each through its button's own handling.
    void keyPressEvent(QKeyEvent* event) override;
    // Turned away from the user, a notch steps to the next picture; towards, to the previous one.
    void wheelEvent(QWheelEvent* event) override;
    // The picture area's wheel turns and double-clicks, before it scrolls with them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A box a load draws into, with the picture it showed before: put back when the decode fails
    // after a first stage was drawn.
    struct Target {
        TImage* box = nullptr;
        QImage before;
        QSize beforeSize;
        int beforeOrientation = 1;
    };
    struct Load {
        quint64 ticket = 0;
        QString path;
        std::vector<Target> targets;
    };
    // The picture a step in the same direction will show, decoded while the shown one is looked
    // at, so that the step shows it at once.
    struct Prefetch {
        quint64 ticket = 0;
        QString path;
        platform::FileStamp stamp;                    // the file as it was when the decode started
        QSize needed;                                 // upright
        std::optional<platform::PictureStage> result; // the final stage, once decoded
    };

    void Step(int index, int direction);
    std::vector<TImage*> StepBoxes() const;
    void PrefetchNext();
    // Checks the picture's header (raising the loader's error, nothing changed) and starts its
    // decode for the boxes given.
    void LoadPicture(const QString& path, const std::vector<TImage*>& boxes, bool coarseFirst);
    // Decodes the shown picture again, larger, when the box now draws it larger than decoded.
    void RefineForBox();
    void StageReady(quint64 ticket, const platform::PictureStage& stage);
    void LoadFailed(quint64 ticket, const QString& message);
    void SetBox(const geometry::Rect& box);
    // Runs a step of Next, Previous or the slide show; a picture that cannot be loaded is reported
    // (ReportLoadError).
    void RunReported(const std::function<void()>& step);
    // A picture that cannot be loaded. During the slide show the report is left open while the
    // show steps on, and a later failure puts its text into that open report rather than stacking
    // another box on it; so does any failure while that report is still open. Otherwise the
    // standard error box, one at a time.
    void ReportLoadError(const QString& message);

    QWidget* canvas_;
    platform::PictureLoader* loader_;
    platform::PictureLoader* prefetcher_;
    platform::OpenMessageBox* slideShowReport_;
    std::unique_ptr<TViewerList> list_;
    std::optional<Load> load_; // the decode whose stages are being drawn
    std::optional<Prefetch> prefetch_;
    QString shownPath_; // the picture Image1 shows, when a load put it there
    int lastStep_ = 1;  // +1 after Next, -1 after Previous
    int wheelTurn_ = 0; // eighths of a degree turned since the last step, less than a notch
    bool reportingError_ = false;
};

extern TForm4* Form4;
