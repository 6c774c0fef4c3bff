// The thumbnail window driven through its handlers over a drive map of temporary folders: its
// layout and start state, listing with raw files, the worker's messages, Stop and Restart, the
// flag boxes reaching the next worker, switching views with the main window both ways, the
// main window's mends, a listing that other programs' folders do not restart, and closing while a
// worker runs.
#include <filesystem>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/application.h"
#include "app/window_set.h"
#include "browser/destination_dialogs.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "browser/tform5.h"
#include "browser/tform6.h"
#include "dirtree/mav_dir_tree.h"
#include "platform/core/drives.h"
#include "platform/core/files.h"
#include "platform/headless/thumbnail_cache.h"
#include "platform/qt/image_list.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/path_text.h"
#include "platform/qt/shell.h"
#include "platform/qt/ui.h"
#include "tests/support/picture_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_layout.h"
#include "tests/support/window_test.h"
#include "thumbs/extraction/thumbnail_thread.h"
#include "thumbs/thumbnail_list.h"
#include "thumbs/tmainform.h"
#include "viewer/tform4.h"
#include "widgets/timage.h"

using namespace lumo::test;

namespace {

constexpr int Timeout = 20000;

QString Status() {
    return MainForm->PnlStatus->text();
}

bool Idle() {
    return MainForm->FThread == nullptr;
}

// The title the desktop shows for a window. The toolkit appends the application's display name to
// every title once one has been set; whether one has is seen by renaming the application: a
// display name that was never set follows the application's name.
QString ShownTitle(const QWidget* window) {
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("lumograph-probe"));
    const QString display = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    const bool appended = display != QLatin1String("lumograph-probe");
    const QString title = window->windowTitle();
    return appended && !title.endsWith(display) ? title + QString::fromUtf8(" \u2014 ") + display
                                                : title;
}

} // namespace

class MainFormTest : public WindowTest {
    Q_OBJECT
private:
    // Lists a folder in the thumbnail window and waits until its worker has ended.
    void list(const QString& programPath) {
        MainForm->explor->OpenPath(programPath);
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
    }
    QStringList captions() const {
        QStringList all;
        for (int i = 0; i < MainForm->ItemCount(); ++i)
            all << MainForm->ItemCaption(i);
        return all;
    }
    // A CR2 raw file whose preview is a picture of one colour.
    void writeRaw(const QString& relative, QColor colour = Qt::darkGreen) {
        QImage preview(160, 120, QImage::Format_RGB32);
        preview.fill(colour);
        const std::string jpeg = platform::encodeJpeg(preview, 90);
        writeBytes(host(relative).toStdString(), CanonRawFile(Bytes(jpeg.begin(), jpeg.end())));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        // The raw step's temporary preview goes to the user's runtime folder, here on C:.
        // Made here, with the rights the program asks of it: made later, its folder-change notice
        // would restart whatever listing a later case has under way.
        for (const char* folder : {"run", "run/lumograph"}) {
            QDir(root_.path()).mkpath(folder);
            QFile(host(folder))
                .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("XDG_RUNTIME_DIR", host("run").toUtf8());
        for (const char* folder : {"Empty", "Text", "Pics", "Many", "Ten", "Raw", "Raw2", "Mixed",
                                   "Bytes", "Busy/Pics", "Turned"})
            QDir(root_.path()).mkpath(folder);
        for (int i = 0; i < 30; ++i)
            writePlainJpeg(
                host(QStringLiteral("Busy/Pics/p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
        // A damaged raw file: every listing of the folder reports it.
        QFile damaged(host("Busy/Pics/img.cr2"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a raw file");
        damaged.close();
        writeFile(host("Turned/six.jpg").toStdString(),
                  turnedJpegBytes(quarteredPicture(96, 48, distinctQuarters()), 6));
        QFile(host("Text/notes.txt")).open(QIODevice::WriteOnly);
        writePlainJpeg(host("Pics/a.jpg"), 64, 48, Qt::red);
        writePlainJpeg(host("Pics/b.jpg"), 48, 64, Qt::green);
        writePlainJpeg(host("Pics/c.jpg"), 80, 60, Qt::blue);
        writePlainJpeg(host("Pics/d.jpg"), 80, 60, Qt::yellow);
        for (int i = 0; i < 40; ++i)
            writePlainJpeg(host(QStringLiteral("Many/m%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 64,
                           48, Qt::blue);
        for (int i = 0; i < 10; ++i)
            writePlainJpeg(host(QStringLiteral("Ten/t%1.jpg").arg(i)), 64, 48, Qt::blue);
        CreateWindowSet();
    }

    void cleanupTestCase() { DestroyWindowSet(); }

    void startsAsItsLayoutSays() {
        QCOMPARE(MainForm->windowTitle(), QStringLiteral("Lumograph"));
        QCOMPARE(MainForm->size(), QSize(925, 604));
        QStringList hints;
        for (QToolButton* button :
             MainForm->ToolBar1->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
            if (!button->toolTip().isEmpty())
                hints << button->toolTip();
        QCOMPARE(hints, QStringList({"Back", "Up one level", "Refresh", "Search files", "Move to",
                                     "Copy to", "Delete", "Deteils"}));
        QCOMPARE(MainForm->BtnBack->size(), QSize(51, 39));
        QVERIFY(!MainForm->BtnBack->isEnabled());
        QVERIFY(!MainForm->Thumbnail1->isEnabled());
        QStringList menus;
        for (QAction* menu : MainForm->menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, QStringList({"File", "Edit", "View", "Help"}));
        QCOMPARE(MainForm->ImageList1->width(), 120);
        QCOMPARE(MainForm->ImageList1->height(), 120);
        QCOMPARE(MainForm->Panel4->height(), 185);
        QVERIFY(MainForm->PnlTop->isHidden() && MainForm->PnlBtm->isHidden());
        QVERIFY(MainForm->Image2->isHidden());
        QCOMPARE(MainForm->ComboBox1->currentText(), QStringLiteral("pf32Bit"));
        QCOMPARE(MainForm->GetColorDepth(), 32u);
        QCOMPARE(MainForm->GetExtractFlags(), 32u);
        QCOMPARE(MainForm->CheckBox1->toolTip(),
                 QStringLiteral("Render to the aspect ratio of the supplied rect"));
        QCOMPARE(MainForm->FNotify.Handle,
                 reinterpret_cast<uintptr_t>(static_cast<QObject*>(MainForm)));
        QCOMPARE(MainForm->FNotify.IconsDone, 1128u);
        QCOMPARE(MainForm->FNotify.ShareImage, 1129u);
        QCOMPARE(MainForm->FNotify.AddImage, 1126u);
        QCOMPARE(MainForm->FNotify.ReplaceImage, 1130u);
        QCOMPARE(MainForm->FNotify.CurrentItem, 1131u);
    }

    void windowTitlesAreShownAsTheirOwn() {
        for (QWidget* window : std::initializer_list<QWidget*>{Form1, MainForm, moveform, Form4})
            QCOMPARE(ShownTitle(window), window->windowTitle());
        QCOMPARE(ShownTitle(moveform), QStringLiteral("Move Items"));
        // A box's caption is shown as it is too, and an empty one is the application's title.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Lumograph"));
    }

    void toolbarsAndMenuBarsOfferNoMenu() {
        for (QMainWindow* window : std::initializer_list<QMainWindow*>{Form1, MainForm}) {
            for (QWidget* bar : {static_cast<QWidget*>(window->findChild<QToolBar*>()),
                                 static_cast<QWidget*>(window->menuBar())}) {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                        bar->mapToGlobal(QPoint(5, 5)));
                QCoreApplication::sendEvent(bar, &event);
                QVERIFY(QApplication::activePopupWidget() == nullptr);
            }
        }
    }

    void anEmptyFolderIsReadyAtOnce() {
        MainForm->explor->OpenPath("C:\\Empty");
        QVERIFY(Idle()); // no worker was started
        QCOMPARE(Status(), QStringLiteral(" Ready"));
        QCOMPARE(MainForm->ItemCount(), 0);
        QVERIFY(MainForm->Panel3->isHidden() && MainForm->Panel8->isHidden());
        QCOMPARE(MainForm->EdSelFolder->text(), QStringLiteral("C:\\Empty\\"));
    }

    void aFolderWithoutPicturesRunsAWorkerForNothing() {
        MainForm->explor->OpenPath("C:\\Text");
        QVERIFY(!Idle());
        QCOMPARE(Status(), QStringLiteral(" Extracting default icons"));
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        QCOMPARE(Status(), QStringLiteral(" Ready"));
        QVERIFY(!MainForm->BtnStop->isEnabled());
        QCOMPARE(MainForm->ItemCount(), 0);
    }

    void tenItemsShareOneDefaultImageUntilTheirThumbnailsArrive() {
        int imagesAtIconsDone = -1;
        const auto connection =
            connect(MainForm, &TMainForm::MessageApplied, this, [&](unsigned msg, int) {
                if (msg == WM_THUMB_ICONSDONE)
                    imagesAtIconsDone = MainForm->ImageList1->count();
            });
        list("C:\\Ten");
        disconnect(connection);
        QCOMPARE(imagesAtIconsDone, 1);
        QCOMPARE(MainForm->ImageList1->count(), 10);
        QSet<int> indices;
        for (int i = 0; i < 10; ++i)
            indices.insert(MainForm->ListView->Items()->Item(i).ImageIndex);
        QCOMPARE(indices.size(), 10);
        QVERIFY(!indices.contains(-1));
        // Every item has a thumbnail's room in the strip, also those listed before any image.
        const QRect item = MainForm->ListView->visualRect(MainForm->ListView->Items()->index(0));
        QVERIFY2(item.width() >= 120 && item.height() >= 120, "items too small for thumbnails");
        // The last thumbnail took over the default image's slot.
        QVERIFY(Near(MainForm->ImageList1->image(0).pixelColor(60, 60)));
    }

    void aRawOnlyFolderIsShownThroughItsSidecar() {
        writeRaw("Raw/IMG_1.CR2");
        MainForm->explor->OpenPath("C:\\Raw");
        // The hidden sidecar was written and listed under its own name while the worker runs.
        QCOMPARE(captions(), QStringList({"IMG_1.CR2.JPG"}));
        QVERIFY(platform::getFileAttributes("C:\\Raw\\IMG_1.CR2.JPG") &
                platform::FILE_ATTRIBUTE_HIDDEN);
        MainForm->SelectItem(0);
        QCOMPARE(MainForm->windowTitle(), QStringLiteral("Lumograph - IMG_1.CR2"));
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        QCOMPARE(captions(), QStringList({"IMG_1.CR2"}));
        QCOMPARE(MainForm->ImageList1->count(), 1);
        QVERIFY(MainForm->ListView->Items()->Item(0).ImageIndex == 0);
    }

    // The raw step's errors come in one box per listing, naming each raw file once by its path;
    // the decoder's error, which names no file, comes with the raw file's. A listing that a
    // restart takes over during its raw step leaves the box to the listing that follows.
    void rawErrorsComeInOneBoxPerListingAndThePicturesAreListed() {
        QFile bad(host("Mixed/bad.CR2"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a raw file");
        bad.close();
        // A raw file whose only preview, its thumbnail, is a JPEG stream without a picture.
        writeBytes(host("Mixed/STUB.CR2").toStdString(),
                   CanonRawFile({}, {0xFF, 0xD8, 0xFF, 0xD9}));
        writeRaw("Mixed/good.CR2");
        writePlainJpeg(host("Mixed/photo.jpg"));
        const QString text =
            QStringLiteral("Raw file C:\\Mixed\\bad.CR2 holds no JPEG preview\n"
                           "C:\\Mixed\\STUB.CR2: JPEG datastream contains no image");
        const auto oneBox = [&text] {
            QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1));
            QCOMPARE(platform::recordedMessageBoxes().front().text, text);
            QCOMPARE(platform::recordedMessageBoxes().front().caption, QStringLiteral("Lumograph"));
        };
        answerAll(platform::IDOK);
        list("C:\\Mixed");
        oneBox();
        QCOMPARE(captions(), QStringList({"good.CR2", "photo.jpg"}));
        QCOMPARE(Status(), QStringLiteral(" Ready"));

        answerAll(platform::IDOK);
        MainForm->BtnRefreshClick();
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        oneBox();

        // good.CR2 gets its sidecar again, and pending messages are handled after it.
        QVERIFY(QFile::remove(host("Mixed/good.CR2.JPG")));
        answerAll(platform::IDOK);
        QMetaObject::invokeMethod(
            this, [] { MainForm->BtnRefreshClick(); }, Qt::QueuedConnection);
        MainForm->BtnRefreshClick();
        QTRY_VERIFY_WITH_TIMEOUT(Idle() && Status() == QStringLiteral(" Ready") &&
                                     captions() == QStringList({"good.CR2", "photo.jpg"}),
                                 Timeout);
        oneBox();
    }

    void aFolderChosenWhileSidecarsAreWrittenIsListedAfterwards() {
        writeRaw("Raw2/IMG_2.CR2");
        // The raw step handles pending messages after each sidecar: another folder chosen there
        // must not list while this listing runs, and is listed once it is over.
        QMetaObject::invokeMethod(
            this, [] { MainForm->explor->OpenPath("C:\\Pics"); }, Qt::QueuedConnection);
        MainForm->explor->OpenPath("C:\\Raw2");
        QVERIFY(QFile::exists(host("Raw2/IMG_2.CR2.JPG")));
        QCOMPARE(MainForm->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        QTRY_COMPARE_WITH_TIMEOUT(captions(), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}),
                                  Timeout);
        QTRY_VERIFY_WITH_TIMEOUT(Idle() && Status() == QStringLiteral(" Ready"), Timeout);
    }

    void aFolderChangeStopsTheWorkerAndListsTheNewFolderWhenItEnded() {
        MainForm->explor->OpenPath("C:\\Many");
        QVERIFY(!Idle());
        MainForm->explor->OpenPath("C:\\Pics");
        QCOMPARE(Status(), QStringLiteral(" Aborting. Please wait..."));
        QVERIFY(MainForm->FRestartPending);
        QCOMPARE(MainForm->ItemCount(), 40); // the previous folder until the worker has ended
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->ItemCount(), 4, Timeout);
        QTRY_VERIFY_WITH_TIMEOUT(Idle() && Status() == QStringLiteral(" Ready"), Timeout);
        QCOMPARE(captions(), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
        // The preview the folder change asked for came once the new items were there.
        QCOMPARE(MainForm->ItemIndex(), 0);
        QVERIFY(MainForm->Memo1->toPlainText().contains("Filename : a.jpg"));
    }

    void foldersOtherProgramsMakeDoNotRestartTheListing() {
        int listings = 0;
        const auto connection =
            connect(MainForm, &TMainForm::MessageApplied, this, [&listings](unsigned msg, int) {
                if (msg == WM_THUMB_ICONSDONE)
                    ++listings;
            });
        answerAll(platform::IDOK);
        MainForm->explor->OpenPath("C:\\Busy\\Pics");
        MainForm->SelectItem(2);
        MainForm->ListViewClick();
        const QString selected = MainForm->ItemCaption(2);
        // Another program makes and removes folders beside the folder and in it while the
        // thumbnails are made.
        QVERIFY(makeAndRemoveFolders(MainForm->explor,
                                     {"Busy/other", "Busy/Pics/inside", "Busy/other"}, Timeout));
        QTRY_VERIFY_WITH_TIMEOUT(Idle() && !MainForm->FRestartPending, Timeout);
        disconnect(connection);
        QCOMPARE(listings, 1);
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1)); // img.cr2, once
        QCOMPARE(MainForm->EdSelFolder->text(), QStringLiteral("C:\\Busy\\Pics\\"));
        QCOMPARE(MainForm->ItemCount(), 30);
        QSet<int> images;
        for (int i = 0; i < MainForm->ItemCount(); ++i)
            images.insert(MainForm->ListView->Items()->Item(i).ImageIndex);
        QCOMPARE(images.size(), 30); // every picture its own thumbnail
        QVERIFY(!images.contains(-1));
        QCOMPARE(MainForm->ItemIndex(), 2);
        QCOMPARE(MainForm->ItemCaption(2), selected);
        QVERIFY(MainForm->Memo1->toPlainText().contains("Filename : " + selected));
    }

    void theFlagBoxesAndThePixelFormatReachTheNextWorker() {
        list("C:\\Pics");
        MainForm->CheckBox1->setChecked(true);
        QVERIFY(!MainForm->CheckBox3->isChecked());
        MainForm->CheckBox3->setChecked(true);
        QVERIFY(!MainForm->CheckBox1->isChecked());
        MainForm->CheckBox1->setChecked(true);
        MainForm->CheckBox4->setChecked(true);
        MainForm->ComboBox1->setCurrentText("pf16Bit");
        MainForm->BtnRefreshClick();
        QVERIFY(!Idle());
        QCOMPARE(MainForm->FThread->Job().Flags, 4u | 512u);
        QCOMPARE(MainForm->FThread->Job().ColorDepth, 16u);
        QCOMPARE(QString::fromStdString(MainForm->FThread->Job().ThumbnailCache), cacheFolder());
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        // The worker's extractor filled the desktop's thumbnail cache.
        for (const char* name : {"Pics/a.jpg", "Pics/d.jpg"}) {
            const std::string uri = platform::fileUri(host(QLatin1String(name)).toStdString());
            QVERIFY(QFile::exists(cacheFolder() + QStringLiteral("/normal/") +
                                  QString::fromStdString(platform::thumbnailFileName(uri))));
        }
        MainForm->CheckBox4->setChecked(false);
        MainForm->CheckBox3->setChecked(true);
        MainForm->ComboBox1->setCurrentText("pf32Bit");
        QCOMPARE(MainForm->GetExtractFlags(), 32u);
    }

    void theStopButtonEndsAWorker() {
        MainForm->explor->OpenPath("C:\\Many");
        QVERIFY(MainForm->BtnStop->isEnabled());
        MainForm->BtnStopClick();
        QVERIFY(!MainForm->BtnStop->isEnabled());
        QCOMPARE(Status(), QStringLiteral(" Aborting. Please wait..."));
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        QCOMPARE(Status(), QStringLiteral(" Ready"));
        QCOMPARE(MainForm->ItemCount(), 40);
    }

    void previewReportAndProperties() {
        list("C:\\Pics");
        MainForm->SelectItem(1);
        MainForm->ListViewClick();
        QVERIFY(MainForm->Panel3->isVisible() || !MainForm->isVisible());
        QCOMPARE(MainForm->Image2->PictureWidth(), 48);
        const QStringList lines = MainForm->Memo1->toPlainText().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(1), QStringLiteral("Filename : b.jpg"));
        QCOMPARE(lines.at(3), QStringLiteral("Dimension: 48 x 64"));
        MainForm->Properties1Click();
        QVERIFY(Form5->isVisible());
        QCOMPARE(Form5->Lines(), lines);
        Form5->hide();
    }

    void theCaptionForgetsAPictureTheNewFolderDoesNotShow() {
        for (const char* folder : {"C:\\Empty", "C:\\Text"}) {
            list("C:\\Pics");
            MainForm->SelectItem(2);
            QCOMPARE(MainForm->windowTitle(), QStringLiteral("Lumograph - c.jpg"));
            list(QString::fromLatin1(folder));
            QCOMPARE(MainForm->ItemCount(), 0);
            QCOMPARE(MainForm->windowTitle(), QStringLiteral("Lumograph"));
        }
    }

    void theReportWrapsItsLongLinesInsideItsWidth() {
        const QString name = QStringLiteral("a_picture_whose_name_is_far_longer_than_the_report_"
                                            "box_is_wide.jpg");
        QDir(root_.path()).mkpath(QStringLiteral("Long"));
        writePlainJpeg(host(QStringLiteral("Long/") + name));
        MainForm->show();
        list("C:\\Long");
        MainForm->ListViewClick();
        QPlainTextEdit* memo = MainForm->Memo1;
        QVERIFY(memo->toPlainText().contains(QStringLiteral("Filename : ") + name));
        QVERIFY(memo->width() <= 241);
        // The name's line is broken onto further lines in the box, not cut off at its edge.
        QTRY_VERIFY(memo->document()->findBlockByNumber(1).layout()->lineCount() > 1);
        QCOMPARE(memo->horizontalScrollBar()->maximum(), 0);
        MainForm->hide();
    }

    // A picture the camera turned a quarter: the preview and the properties picture upright, the
    // report with the picture's values as stored.
    void previewAndPropertiesPictureAreUpright() {
        list("C:\\Turned");
        MainForm->SelectItem(0);
        MainForm->ListViewClick();
        const Quarters upright = uprightQuarters(distinctQuarters(), 6);
        QCOMPARE(MainForm->Image1->UprightSize(), QSize(48, 96));
        QCOMPARE(MainForm->Image1->Picture().height(), 2 * MainForm->Image1->Picture().width());
        QVERIFY(nearColours(quarterColours(MainForm->Image1->Picture()), upright));
        const QRect drawn = MainForm->Image1->DrawRect();
        QVERIFY(drawn.height() > drawn.width());
        const QStringList lines = MainForm->Memo1->toPlainText().split('\n');
        QVERIFY(lines.contains(QStringLiteral("Dimension: 96 x 48")));
        QVERIFY(lines.filter(QRegularExpression("^Orientation: 6 \\(")).size() == 1);
        MainForm->Properties1Click();
        QVERIFY(nearColours(quarterColours(Form5->Image1->Picture()), upright));
        QCOMPARE(Form5->Image1->UprightSize(), QSize(48, 96));
        Form5->hide();
    }

    // The rules of the history, Back and Up one level are the shared navigation's (tested with
    // it); here the window's own part: its tree and buttons reach them, and each route restarts
    // the listing for the folder it ends on.
    void backAndUpOneLevelListTheFolderTheyEndOn() {
        list("C:\\Pics");
        QTreeWidgetItem* drive = MainForm->explor->Root()->child(0);
        drive->setExpanded(true);
        QTreeWidgetItem* ten = findNode(drive, QStringLiteral("Ten"));
        QVERIFY(ten);
        pressOnLabel(MainForm->explor, ten); // leaves C:\Pics (recorded)
        QTRY_VERIFY_WITH_TIMEOUT(Idle() && MainForm->ItemCount() == 10, Timeout);
        MainForm->BtnBack->click();
        QCOMPARE(MainForm->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        QTRY_COMPARE_WITH_TIMEOUT(captions(), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}),
                                  Timeout);
        QVERIFY(!MainForm->BtnBack->isEnabled());
        MainForm->BtnPrevLevel->click();
        QCOMPARE(MainForm->EdSelFolder->text(), QStringLiteral("C:\\"));
        QTRY_VERIFY_WITH_TIMEOUT(Idle() && MainForm->ItemCount() == 0, Timeout);
    }

    void switchingViewsCarriesTheFolderAndTheIndexBothWays() {
        Form1->show();
        MainForm->hide();
        Form1->explor->OpenPath("C:\\Pics");
        Form1->ListView1->SetItemIndex(2);
        Form1->ToolButton3Click();
        QVERIFY(MainForm->isVisible() && !Form1->isVisible());
        QCOMPARE(MainForm->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->ItemIndex(), 2, Timeout);
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->Memo1->toPlainText().contains("Filename : c.jpg"),
                                 Timeout);
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);

        MainForm->SelectItem(3);
        MainForm->ToolButton3Click();
        QVERIFY(Form1->isVisible() && !MainForm->isVisible());
        QCOMPARE(Form1->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        QCOMPARE(Form1->ListView1->ItemIndex(), 3);

        // The thumbnail window was last sent to this folder: a double-click does not list it
        // again (with or without the trailing backslash), it only selects the row's picture.
        Form1->ListView1->SetItemIndex(1);
        Form1->ListView1DblClick();
        QVERIFY(Idle());
        QCOMPARE(MainForm->ItemIndex(), 1);
        QVERIFY(Form4->isVisible());
        QCOMPARE(Form4->Edit2->text(), QStringLiteral("b.jpg"));
        Form4->hide();

        // Fullscreen from the thumbnail window: the main table follows, the viewer opens.
        MainForm->SelectItem(0);
        MainForm->ListViewDblClick();
        QCOMPARE(Form1->ListView1->ItemIndex(), 0);
        QVERIFY(Form4->isVisible());
        QCOMPARE(Form4->Edit1->text(), QStringLiteral("C:\\Pics\\"));
        QCOMPARE(Form4->Edit2->text(), QStringLiteral("a.jpg"));
        // The viewer decodes off the window's thread.
        QTRY_COMPARE_WITH_TIMEOUT(Form4->Image1->PictureWidth(), 64, Timeout);
        Form4->hide();
    }

    void searchHelpAndAbout() {
        list("C:\\Pics");
        std::vector<platform::ShellExecuteCall> launched;
        platform::setShellExecuteAnswerer([&](const platform::ShellExecuteCall& call) {
            launched.push_back(call);
            return intptr_t{42};
        });
        MainForm->BtnFindClick();
        MainForm->HelpContain1Click();
        platform::setShellExecuteAnswerer(nullptr);
        QCOMPARE(launched.size(), size_t(2));
        QCOMPARE(launched[0].verb, QStringLiteral("find"));
        QCOMPARE(launched[0].file, std::string("C:\\Pics\\"));
        QCOMPARE(launched[0].directory, std::string("C:\\Pics\\"));
        QCOMPARE(launched[0].showCmd, int(platform::SW_SHOWNORMAL));
        // The help file beside the program (which lies outside this test's drive C:).
        QVERIFY(launched[1].verb.isEmpty());
        QVERIFY(QString::fromStdString(launched[1].file).endsWith("\\lumograph help.chm"));
        QCOMPARE(launched[1].showCmd, int(platform::SW_SHOW));
        MainForm->About1Click();
        QVERIFY(Form6->isVisible());
        Form6->hide();
    }

    void deleteLeavesAReadOnlyPictureAndRemovesAnother() {
        writePlainJpeg(host("Pics/gone.jpg"));
        writePlainJpeg(host("Pics/kept.jpg"));
        QFile(host("Pics/kept.jpg")).setPermissions(QFile::ReadOwner | QFile::ReadGroup);
        MainForm->ToolButton2Click(); // refresh: the new files are listed
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        answerAll(platform::IDYES);
        for (const QString& name : {QStringLiteral("gone.jpg"), QStringLiteral("kept.jpg")}) {
            MainForm->SelectItem(static_cast<int>(captions().indexOf(name)));
            MainForm->BtnPasteClick();
            QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        }
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(2));
        QCOMPARE(platform::recordedMessageBoxes().front().text,
                 QStringLiteral("Are you sure want to permanently delete : C:\\Pics\\gone.jpg?"));
        QVERIFY(!QFile::exists(host("Pics/gone.jpg")));
        QVERIFY(QFile::exists(host("Pics/kept.jpg")));
        QVERIFY(!captions().contains("gone.jpg"));
        // The main window's delete leaves it too.
        Form1->explor->OpenPath("C:\\Pics");
        for (int i = 0; i < Form1->ListView1->Count(); ++i)
            if (Form1->ListView1->Caption(i) == QLatin1String("kept.jpg"))
                Form1->ListView1->SetItemIndex(i);
        Form1->BtnPasteClick();
        QVERIFY(QFile::exists(host("Pics/kept.jpg")));
        QFile(host("Pics/kept.jpg")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QFile::remove(host("Pics/kept.jpg")));
        answerAll(platform::IDOK);
    }

    void namesThatAreNotUtf8LeadToTheirOwnFiles() {
        // "caf\xE9.jpg" is not UTF-8; its neighbour is the UTF-8 name a lossy decoding gives it.
        const std::string folder = root_.path().toStdString() + "/Bytes/";
        const std::string latin = "caf\xE9.jpg", replaced = "caf\xEF\xBF\xBD.jpg";
        writePlainJpeg(host("Bytes/latin.jpg"), 30, 20, Qt::red);
        writePlainJpeg(host("Bytes/replaced.jpg"), 40, 20, Qt::green);
        std::filesystem::rename(folder + "latin.jpg", folder + latin);
        std::filesystem::rename(folder + "replaced.jpg", folder + replaced);
        list("C:\\Bytes");
        int item = -1;
        for (int i = 0; i < MainForm->ItemCount(); ++i)
            if (platform::pathBytes(MainForm->ItemCaption(i)) == latin)
                item = i;
        QVERIFY(item >= 0);
        MainForm->SelectItem(item);
        MainForm->ListViewClick();
        QCOMPARE(MainForm->Image2->PictureWidth(), 30);
        MainForm->ListViewDblClick();
        QTRY_COMPARE_WITH_TIMEOUT(Form4->Image1->PictureWidth(), 30, Timeout);
        Form4->hide();
        answerAll(platform::IDYES);
        MainForm->BtnPasteClick();
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), Timeout);
        QVERIFY(!std::filesystem::exists(folder + latin));
        QVERIFY(std::filesystem::exists(folder + replaced));
        answerAll(platform::IDOK);
    }

    void theReportOfThirtyLinesFitsItsBox() {
        QStringList lines;
        for (int i = 0; i < 30; ++i)
            lines << QStringLiteral("Flash: 16 (Flash did not fire, compulsory flash mode) %1")
                         .arg(i);
        TImage preview;
        Form5->ShowLines(lines, preview);
        QTRY_VERIFY(Form5->isVisible());
        // Every line is in view, and no scroll bar takes room from them.
        QCOMPARE(Form5->Memo1->verticalScrollBar()->maximum(), 0);
        QCOMPARE(Form5->Memo1->horizontalScrollBar()->maximum(), 0);
        QVERIFY(!Form5->Memo1->verticalScrollBar()->isVisible());
        QVERIFY(!Form5->Memo1->horizontalScrollBar()->isVisible());
        QVERIFY(Form5->Memo1->width() >= 267 && Form5->Memo1->height() >= 417);
        Form5->hide();
    }

    // Last: closing the thumbnail window while its worker runs ends the program; the worker is
    // stopped and joined when the window set goes.
    void closingWhileAWorkerRunsEndsTheProgram() {
        MainForm->show();
        MainForm->explor->OpenPath("C:\\Many");
        QVERIFY(!Idle());
        QTimer::singleShot(0, [] { MainForm->close(); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(MainForm->FThread == nullptr || MainForm->FThread->Terminated());
    }

private:
    static bool Near(QColor seen) {
        return seen.blue() > 180 && seen.red() < 80 && seen.green() < 80;
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    MainFormTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "mainform_test.moc"
