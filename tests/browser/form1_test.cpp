// The main window driven through its handlers over a drive map of temporary folders: the window
// set, listing rules and row texts, Back / Up one level / Refresh, the properties report and the
// file commands.
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/application.h"
#include "app/window_set.h"
#include "browser/core/picture_texts.h"
#include "browser/core/row_texts.h"
#include "browser/destination_dialogs.h"
#include "browser/image_table.h"
#include "browser/tform1.h"
#include "browser/tform5.h"
#include "browser/tform6.h"
#include "dirtree/mav_dir_tree.h"
#include "dirtree/tree_node.h"
#include "platform/core/drives.h"
#include "platform/qt/image_list.h"
#include "platform/qt/jpeg.h"
#include "platform/qt/ui.h"
#include "tests/platform/interference.h"
#include "tests/support/picture_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_test.h"
#include "thumbs/tmainform.h"
#include "viewer/tform4.h"
#include "widgets/timage.h"

using namespace lumo::test;

namespace {

QString testData(const char* name) {
    return QStringLiteral(LUMO_TESTDATA "/photos/") + QLatin1String(name);
}

// A decodable picture whose EXIF block sends the reader beyond the end of the file.
void writeBrokenExifJpeg(const QString& hostPath) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const std::string plain = platform::encodeJpeg(image);
    QByteArray app1("\xFF\xE1\x00\x10"
                    "Exif\x00\x00"
                    "II*\x00\x00\x00\x00\x70",
                    18);
    QFile file(hostPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromRawData(plain.data(), 2));
    file.write(app1);
    file.write(QByteArray::fromRawData(plain.data() + 2, static_cast<qsizetype>(plain.size() - 2)));
}

// The same at a host path given as bytes (a name need not be UTF-8).
void writePlainJpegBytes(const std::string& hostPath) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(200, 120, 40));
    const std::string bytes = platform::encodeJpeg(image);
    std::ofstream(hostPath, std::ios::binary) << bytes;
}

QStringList rowTexts(int row) {
    QStringList texts{Form1->ListView1->Caption(row)};
    texts += Form1->ListView1->Items()->Row(row).SubItems;
    return texts;
}

int rowOf(const QString& caption) {
    for (int i = 0; i < Form1->ListView1->Count(); ++i)
        if (Form1->ListView1->Caption(i) == caption)
            return i;
    return -1;
}

} // namespace

class Form1Test : public WindowTest {
    Q_OBJECT
private:
    void openFolder(const QString& programPath) {
        Form1->explor->OpenPath(programPath);
        QCOMPARE(Form1->EdSelFolder->text().toLower(),
                 (programPath + "\\").toLower().replace("\\\\", "\\"));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        QDir(root_.path()).mkpath("Pics/Sub");
        QDir(root_.path()).mkpath("Pics/d.jpg");
        QDir(root_.path()).mkpath("Dest");
        QDir(root_.path()).mkpath("Empty");
        QDir(root_.path()).mkpath("Turned");
        writeFile(host("Turned/eight.jpg").toStdString(),
                  turnedJpegBytes(quarteredPicture(96, 48, distinctQuarters()), 8));
        writePlainJpeg(host("top.jpg"));
        writePlainJpeg(host("Pics/a.JPG"));
        writePlainJpeg(host("Pics/.e.jpg"));
        writePlainJpeg(host("Pics/c.jpeg"));
        writeBrokenExifJpeg(host("Pics/broken.jpg"));
        QFile(host("Pics/notes.txt")).open(QIODevice::WriteOnly);
        if (QFile::exists(testData("Canon_EOS_40D.jpg")))
            QVERIFY(QFile::copy(testData("Canon_EOS_40D.jpg"), host("Pics/b.jpg")));
        CreateWindowSet();
    }

    void cleanupTestCase() { DestroyWindowSet(); }

    void startsWithTheWindowSetAndListsTheRootFolder() {
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Lumograph"));
        QCOMPARE(MainForm->windowTitle(), QStringLiteral("Lumograph"));
        QCOMPARE(moveform->windowTitle(), QStringLiteral("Move Items"));
        QCOMPARE(copyform->windowTitle(), QStringLiteral("Copy Items"));
        QCOMPARE(Form4->windowTitle(), QStringLiteral("Vora Vivozeru"));
        QCOMPARE(Form5->windowTitle(), QStringLiteral("Lumograph"));
        QVERIFY(!MainForm->isVisible() && !moveform->isVisible() && !Form4->isVisible());
        QCOMPARE(Form1->EdSelFolder->text(), QStringLiteral("C:\\"));
        QVERIFY(Form1->EdSelFolder->isReadOnly());
        QVERIFY(!Form1->BtnBack->isEnabled());
        QVERIFY(Form1->History.BackFwdList.isEmpty());
        QCOMPARE(Form1->ListView1->Count(), 1);
        QCOMPARE(Form1->ListView1->Caption(0), QStringLiteral("top.jpg"));
        QVERIFY(!Form1->Detail1->isEnabled());
    }

    void tableHasTheTwentyNineHeadersFiftyPixelsWide() {
        QAbstractItemModel* model = Form1->ListView1->model();
        QCOMPARE(model->columnCount(), 29);
        for (int column = 0; column < 29; ++column) {
            QCOMPARE(model->headerData(column, Qt::Horizontal).toString(),
                     QString::fromLatin1(ImageTableHeaders[static_cast<size_t>(column)]));
            QCOMPARE(Form1->ListView1->columnWidth(column), 50);
        }
    }

    void listsPicturesByTheFileSystemsRules() {
        openFolder(QStringLiteral("C:\\Pics"));
        QVERIFY(rowOf("a.JPG") >= 0);  // matched without regard to case
        QVERIFY(rowOf(".e.jpg") >= 0); // hidden pictures are listed
        QVERIFY(rowOf("broken.jpg") >= 0);
        QCOMPARE(rowOf("c.jpeg"), -1); // another extension
        QCOMPARE(rowOf("d.jpg"), -1);  // a folder named like a picture
        QCOMPARE(rowOf("notes.txt"), -1);

        // A picture without EXIF and one whose block cannot be read show the texts the table's
        // row function gives them (name, size, dashes: tested with that function).
        for (const char* name : {"a.JPG", "broken.jpg"}) {
            QStringList shared;
            for (const std::string& text : ImageRowTexts(name, std::string("C:\\Pics\\") + name))
                shared << QString::fromStdString(text);
            QCOMPARE(rowTexts(rowOf(name)), shared);
        }
    }

    void showsTheExifColumnsOfACameraPicture() {
        if (!QFile::exists(host("Pics/b.jpg")))
            QSKIP("camera pictures not available");
        openFolder(QStringLiteral("C:\\Pics"));
        const QStringList texts = rowTexts(rowOf("b.jpg"));
        QCOMPARE(texts.at(2), QStringLiteral("Canon"));
        QCOMPARE(texts.at(3), QStringLiteral("Canon EOS 40D"));
        QVERIFY(texts.at(12).startsWith(QStringLiteral("Orientation: 1 (")));
        QCOMPARE(texts.at(8), QStringLiteral("2008:05:30 15:56:01"));
        // The table shows exactly what the shared row function gives the command-line tool.
        const auto shared = ImageRowTexts("b.jpg", "C:\\Pics\\b.jpg");
        for (int column = 0; column < 29; ++column)
            QCOMPARE(texts.at(column), QString::fromStdString(shared[static_cast<size_t>(column)]));
    }

    void emptyFolderKeepsTheHeadersAndNoRows() {
        openFolder(QStringLiteral("C:\\Empty"));
        QCOMPARE(Form1->ListView1->Count(), 0);
        QCOMPARE(Form1->ListView1->model()->columnCount(), 29);

        // Commands that act on a row do nothing on an empty table.
        answerAll(platform::IDYES);
        Form1->BtnCutClick();
        Form1->BtnCopyClick();
        Form1->BtnPasteClick();
        QVERIFY(!moveform->isVisible());
        QVERIFY(!copyform->isVisible());
        QVERIFY(platform::recordedMessageBoxes().empty());
    }

    // The rules of the history, Back and Up one level are the shared navigation's (tested with
    // it); here the window's own part: its tree and buttons reach them and the table follows.
    void backAndUpOneLevelListTheFolderTheyOpen() {
        openFolder(QStringLiteral("C:\\"));
        QTreeWidgetItem* drive = Form1->explor->currentItem();
        drive->setExpanded(true);
        QTreeWidgetItem* pics = findNode(drive, QStringLiteral("Pics"));
        QVERIFY(pics);
        pressOnLabel(Form1->explor, pics); // leaves C:\ (recorded)
        QVERIFY(rowOf("a.JPG") >= 0);
        Form1->BtnBack->click();
        QCOMPARE(Form1->EdSelFolder->text(), QStringLiteral("C:\\"));
        QCOMPARE(rowOf("top.jpg"), 0);
        QVERIFY(!Form1->BtnBack->isEnabled());

        openFolder(QStringLiteral("C:\\Pics\\Sub"));
        Form1->BtnPrevLevel->click();
        QCOMPARE(Form1->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        QVERIFY(rowOf("a.JPG") >= 0);
    }

    void refreshRebuildsAndReselectsTheFolder() {
        openFolder(QStringLiteral("C:\\Pics"));
        writePlainJpeg(host("Pics/new.jpg"));
        QCOMPARE(rowOf("new.jpg"), -1);
        Form1->BtnRefreshClick();
        QCOMPARE(Form1->EdSelFolder->text(), QStringLiteral("C:\\Pics\\"));
        QVERIFY(rowOf("new.jpg") >= 0);
        QVERIFY(QFile::remove(host("Pics/new.jpg")));
    }

    void propertiesReportHasItsThreeForms() {
        openFolder(QStringLiteral("C:\\Pics"));
        Form1->ListView1->SetItemIndex(rowOf("a.JPG"));
        Form1->Properties1Click();
        QVERIFY(Form5->isVisible());
        QStringList lines = Form5->Lines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), QStringLiteral("Exif Header is not valid"));
        QCOMPARE(lines.at(1), QStringLiteral("Filename : a.JPG"));
        QCOMPARE(lines.at(3), QStringLiteral("Dimension: 64 x 48"));

        Form1->ListView1->SetItemIndex(rowOf("broken.jpg"));
        Form1->Properties1Click();
        lines = Form5->Lines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), QStringLiteral("Error reading file"));
        QCOMPARE(lines.at(3), QStringLiteral("Dimension: 40 x 30"));

        if (rowOf("b.jpg") >= 0) {
            Form1->ListView1->SetItemIndex(rowOf("b.jpg"));
            Form1->Properties1Click();
            lines = Form5->Lines();
            QCOMPARE(lines.size(), 30);
            QCOMPARE(lines.at(0), QStringLiteral("Filename : b.jpg"));
            QCOMPARE(lines.at(2), QStringLiteral("Dimension: 100 x 68"));
            QCOMPARE(lines.at(3), QStringLiteral("Make: Canon"));
            QVERIFY(Form5->Image1->DrawRect().width() <= 153);
        }
        Form5->hide();
    }

    // The properties picture of a picture the camera turned is drawn upright; the report keeps the
    // stored dimensions.
    void propertiesPictureIsUpright() {
        openFolder(QStringLiteral("C:\\Turned"));
        Form1->ListView1->SetItemIndex(rowOf("eight.jpg"));
        Form1->Properties1Click();
        QVERIFY(nearColours(quarterColours(Form5->Image1->Picture()),
                            uprightQuarters(distinctQuarters(), 8)));
        QCOMPARE(Form5->Image1->UprightSize(), QSize(48, 96));
        QVERIFY(Form5->Lines().contains(QStringLiteral("Dimension: 96 x 48")));
        Form5->hide();
    }

    void propertiesOfAnUnreadablePictureLeavesTheDialogAsItWas() {
        openFolder(QStringLiteral("C:\\Pics"));
        Form1->ListView1->SetItemIndex(rowOf("a.JPG"));
        Form1->Properties1Click();
        Form5->hide();
        const QStringList before = Form5->Lines();
        QFile garbage(host("Pics/zz.jpg"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a picture");
        garbage.close();
        Form1->explorDirChange(Form1->explor, Form1->explor->SelectedPath());
        Form1->ListView1->SetItemIndex(rowOf("zz.jpg"));
        // The command's error reaches the user in the standard error box and the program goes on.
        answerAll(platform::IDOK);
        Form1->Properties1->trigger();
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1));
        QCOMPARE(platform::recordedMessageBoxes().front().caption, QStringLiteral("Lumograph"));
        QVERIFY(!platform::recordedMessageBoxes().front().text.isEmpty());
        QVERIFY(!Form5->isVisible());
        QCOMPARE(Form5->Lines(), before);
        QVERIFY(QFile::remove(host("Pics/zz.jpg")));
    }

    void moveCopyAndDeleteActOnTheSelectedFile() {
        writePlainJpeg(host("Pics/m.jpg"));
        openFolder(QStringLiteral("C:\\Pics"));
        Form1->ListView1->SetItemIndex(rowOf("m.jpg"));
        Form1->BtnCutClick();
        QVERIFY(moveform->isVisible());
        QCOMPARE(
            moveform->Label1->text(),
            QStringLiteral("Select the place where you wan to move m.jpg. Then click move button"));
        QCOMPARE(moveform->Edit2->text(), QStringLiteral("C:\\Pics\\"));
        moveform->explor->OpenPath(QStringLiteral("C:\\Dest"));
        moveform->SpeedButton1Click();
        QVERIFY(!moveform->isVisible());
        QVERIFY(!QFile::exists(host("Pics/m.jpg")));
        QVERIFY(QFile::exists(host("Dest/m.jpg")));
        QCOMPARE(rowOf("m.jpg"), -1);

        // Copy onto a folder that already holds the name leaves that file unchanged.
        QFile existing(host("Dest/a.JPG"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
        existing.close();
        Form1->ListView1->SetItemIndex(rowOf("a.JPG"));
        Form1->BtnCopyClick();
        copyform->explor->OpenPath(QStringLiteral("C:\\Dest"));
        copyform->SpeedButton1Click();
        QFile check(host("Dest/a.JPG"));
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("keep me"));
        QVERIFY(QFile::exists(host("Pics/a.JPG")));

        // Copy into a folder without that name.
        writePlainJpeg(host("Pics/k.jpg"));
        Form1->explorDirChange(Form1->explor, Form1->explor->SelectedPath());
        Form1->ListView1->SetItemIndex(rowOf("k.jpg"));
        Form1->BtnCopyClick();
        copyform->SpeedButton1Click();
        QVERIFY(QFile::exists(host("Dest/k.jpg")));
        QVERIFY(QFile::exists(host("Pics/k.jpg")));

        // Delete: "No" keeps the file, "Yes" removes it and lists the folder again.
        Form1->ListView1->SetItemIndex(rowOf("k.jpg"));
        answerAll(platform::IDNO);
        Form1->BtnPasteClick();
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1));
        QCOMPARE(platform::recordedMessageBoxes().front().caption, QStringLiteral("Confirm"));
        QCOMPARE(platform::recordedMessageBoxes().front().text,
                 QStringLiteral("Are you sure want to permanently delete : C:\\Pics\\k.jpg?"));
        QVERIFY(QFile::exists(host("Pics/k.jpg")));
        answerAll(platform::IDYES);
        Form1->BtnPasteClick();
        QVERIFY(!QFile::exists(host("Pics/k.jpg")));
        QCOMPARE(rowOf("k.jpg"), -1);
    }

    void commandsActOnTheRowsOwnNameWhateverItsBytes() {
        // Two names that read alike once decoded lossily: a Latin-1 e acute and the UTF-8
        // replacement character. Each row leads to its own file, whatever its bytes.
        const std::string names = root_.path().toStdString() + "/Names/";
        QVERIFY(QDir(root_.path()).mkpath("Names/caf\xC3\xA9"));
        QVERIFY(::mkdir((names + "caf\xE9").c_str(), 0777) == 0);
        for (const char* name : {"caf\xE9.jpg", "caf\xEF\xBF\xBD.jpg",
                                 "\xFC"
                                 "ber.jpg",
                                 "caf\xE9/inside.jpg"})
            writePlainJpegBytes(names + name);

        Form1->explor->Reload(); // the tree learns of the new folders
        openFolder(QStringLiteral("C:\\Names"));
        QCOMPARE(Form1->ListView1->Count(), 3);
        const int latin = rowOf(QStringLiteral("caf\u00e9.jpg"));
        QVERIFY(latin >= 0);
        QCOMPARE(Form1->ListView1->Items()->Row(latin).SubItems.at(0), QStringLiteral("1KB"));
        Form1->ListView1->SetItemIndex(latin);
        answerAll(platform::IDYES);
        Form1->BtnPasteClick();
        QVERIFY(::access((names + "caf\xEF\xBF\xBD.jpg").c_str(), F_OK) == 0);
        QVERIFY(::access((names + "caf\xE9.jpg").c_str(), F_OK) != 0);
        QCOMPARE(Form1->ListView1->Count(), 2);

        // Copy and move of a name that is not UTF-8 reach the file under its own bytes.
        Form1->ListView1->SetItemIndex(rowOf(QStringLiteral("\u00fcber.jpg")));
        Form1->BtnCopyClick();
        QVERIFY(copyform->Label1->text().contains(QStringLiteral("\u00fcber.jpg")));
        copyform->explor->OpenPath(QStringLiteral("C:\\Dest"));
        copyform->SpeedButton1Click();
        const std::string dest = root_.path().toStdString() + "/Dest/";
        QVERIFY(::access((dest + "\xFC"
                                 "ber.jpg")
                             .c_str(),
                         F_OK) == 0);
        Form1->ListView1->SetItemIndex(rowOf(QStringLiteral("\u00fcber.jpg")));
        Form1->BtnCutClick();
        moveform->explor->OpenPath(QStringLiteral("C:\\Empty"));
        moveform->SpeedButton1Click();
        QVERIFY(::access((names + "\xFC"
                                  "ber.jpg")
                             .c_str(),
                         F_OK) != 0);
        QVERIFY(::access((root_.path().toStdString() + "/Empty/\xFC"
                                                       "ber.jpg")
                             .c_str(),
                         F_OK) == 0);

        // The tree opens a folder whose name is not UTF-8 (its neighbour "café" is UTF-8).
        QTreeWidgetItem* drive = Form1->explor->Root()->child(0);
        drive->setExpanded(true);
        QTreeWidgetItem* namesNode = findNode(drive, QStringLiteral("Names"));
        QVERIFY(namesNode);
        namesNode->setExpanded(true);
        QCOMPARE(namesNode->childCount(), 2);
        QTreeWidgetItem* latinFolder = nullptr;
        for (int i = 0; i < namesNode->childCount(); ++i) {
            if (namesNode->child(i)->data(0, NameBytesRole).isValid())
                latinFolder = namesNode->child(i);
        }
        QVERIFY(latinFolder);
        QCOMPARE(latinFolder->text(0), QStringLiteral("caf\u00e9"));
        pressOnLabel(Form1->explor, latinFolder);
        QCOMPARE(Form1->ListView1->Count(), 1);
        QCOMPARE(Form1->ListView1->Caption(0), QStringLiteral("inside.jpg"));
        Form1->explor->OpenPath(QStringLiteral("C:\\Names\\caf\u00e9"));
        QCOMPARE(Form1->ListView1->Count(), 0);
    }

    void listingWhileFilesLeaveTheFolderReadsItOnce() {
        QDir(root_.path()).mkpath("Churn");
        for (int i = 0; i < 40; ++i)
            writePlainJpeg(host(QStringLiteral("Churn/p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
        Form1->explor->Reload();
        openFolder(QStringLiteral("C:\\Churn"));
        QCOMPARE(Form1->ListView1->Count(), 40);
        // Once the listing has the folder's entries and starts on the first row (its icon comes
        // first), half of the pictures leave the folder.
        bool left = false;
        const QMetaObject::Connection leave =
            connect(Form1->ImageList1, &platform::ImageList::changed, this, [&](int index) {
                if (left || index < 0)
                    return;
                left = true;
                for (int i = 20; i < 40; ++i)
                    QFile::remove(host(QStringLiteral("Churn/p%1.jpg").arg(i)));
            });
        lumo::test::FolderOpens opens(host("Churn").toStdString());
        QVERIFY(opens.available());
        Form1->explorDirChange(Form1->explor, Form1->explor->SelectedPath());
        disconnect(leave);
        QVERIFY(left);
        QCOMPARE(Form1->ListView1->Count(), 40);
        QCOMPARE(Form1->ListView1->Caption(39), QStringLiteral("p39.jpg"));
        QCOMPARE(Form1->ListView1->Items()->Row(39).SubItems.at(1), QStringLiteral("-"));
        // One listing opens the folder once (at least once: the count sees it); a search per
        // vanished name would open it twenty times more.
        const int folderOpens = opens.count();
        QVERIFY2(folderOpens >= 1 && folderOpens <= 2, QByteArray::number(folderOpens));
    }

    void picturesThatCannotBeLoadedEndInTheErrorBox() {
        // A pipe named like a picture is listed, but opening it never blocks the window.
        QDir(root_.path()).mkpath("Special");
        QVERIFY(::mkfifo(host("Special/pipe.jpg").toStdString().c_str(), 0600) == 0);
        Form1->explor->Reload();
        openFolder(QStringLiteral("C:\\Special"));
        QCOMPARE(Form1->ListView1->Count(), 1);
        Form1->ListView1->SetItemIndex(0);
        answerAll(platform::IDOK);
        Form1->Properties1->trigger();
        QCOMPARE(platform::recordedMessageBoxes().size(), size_t(1));
        QVERIFY(platform::recordedMessageBoxes().front().text.contains("not a regular file"));
        // The thumbnail window follows the folder and previews the pipe (its own box); the
        // command's step that selects it there fails too and ends the command before the viewer
        // opens. Every box names the refusal; none comes from a blocked read.
        Form4->hide();
        Form1->ViewFullscreen1->trigger();
        const auto& boxes = platform::recordedMessageBoxes();
        QVERIFY(boxes.size() >= size_t(2));
        for (const platform::MessageBoxCall& box : boxes)
            QVERIFY(box.text.contains("not a regular file"));
        QVERIFY(!Form4->isVisible());
    }

    void cancelOnlyHidesTheDialog() {
        openFolder(QStringLiteral("C:\\Pics"));
        Form1->ListView1->SetItemIndex(rowOf("a.JPG"));
        Form1->BtnCutClick();
        moveform->SpeedButton3Click();
        QVERIFY(!moveform->isVisible());
        QVERIFY(QFile::exists(host("Pics/a.JPG")));
    }

    // Last: closing the main window ends the event loop; closing any other window only hides it.
    void onlyTheMainWindowEndsTheProgram() {
        // The main window stays hidden at first, so each of the others is the last one visible.
        Form1->hide();
        bool othersClosed = false;
        QTimer::singleShot(0, [&othersClosed] {
            for (QWidget* window :
                 std::initializer_list<QWidget*>{Form5, Form6, moveform, copyform, Form4}) {
                window->show();
                window->close();
            }
            // Let any quit request from those closes reach the loop before the main window goes.
            QTimer::singleShot(0, [&othersClosed] {
                othersClosed = true;
                Form1->show();
                Form1->close();
            });
        });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(othersClosed);
        QVERIFY(!Form5->isVisible() && !Form6->isVisible() && !moveform->isVisible());
        QVERIFY(Form5 && Form6 && moveform && copyform && Form4); // hidden, never destroyed
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    Form1Test test;
    return QTest::qExec(&test, argc, argv);
}
#include "form1_test.moc"
