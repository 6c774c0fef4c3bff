// The browser windows' folder navigation on a tree of its own over a drive of temporary folders:
// which presses record the folder being left, Back through the history (also to a folder removed
// since), Up one level to the drive root and no further, and Refresh. Every route that moves ends
// in the window's folder-change handler exactly once.
#include "widgets/folder_navigation.h"

#include <memory>

#include <QDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidgetItem>

#include "tests/support/window_test.h"
#include "widgets/window_parts.h"

using namespace lumo::test;

class FolderNavigationTest : public WindowTest {
    Q_OBJECT
private:
    QWidget window_;
    TMavDirTree21* tree_ = nullptr;
    QToolButton* back_ = nullptr;
    TBackHistory history_;
    std::unique_ptr<TFolderNavigation> navigation_;
    QStringList applied_; // the tree's folder at each run of the window's handler

    void open(const QString& path) {
        tree_->OpenPath(path);
        applied_.clear();
    }
    QTreeWidgetItem* driveNode() const { return tree_->Root()->child(0); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        for (const char* folder : {"Pics/Sub", "Dest", "Gone"})
            QVERIFY(QDir(root_.path()).mkpath(folder));
        tree_ = CreateFolderTree(&window_);
        tree_->resize(300, 400);
        back_ = new QToolButton(&window_);
        navigation_ = std::make_unique<TFolderNavigation>(
            tree_, back_, history_, [this] { applied_ << tree_->SelectedPath(); });
        tree_->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int x,
                                    int y) {
            navigation_->MouseDown(x, y);
        };
        window_.show();
    }

    // Each case starts as a window does: an empty history and Back disabled.
    void init() { navigation_->Start(); }

    void pressesOnNodesRecordTheFolderLeftAndBackWalksThem() {
        open(QStringLiteral("C:\\"));
        driveNode()->setExpanded(true);
        QTreeWidgetItem* pics = findNode(driveNode(), QStringLiteral("Pics"));
        QTreeWidgetItem* dest = findNode(driveNode(), QStringLiteral("Dest"));
        QVERIFY(pics && dest);
        pressOnLabel(tree_, pics); // leaves C:\ (recorded)
        pressOnLabel(tree_, pics); // leaves C:\Pics for itself
        pressOnLabel(tree_, dest); // leaves C:\Pics again: not recorded twice
        // Presses on an expand button or below the last node record nothing.
        const QRect picsRect = tree_->visualItemRect(pics);
        QCOMPARE(tree_->HitTest(QPoint(picsRect.left() - 10, picsRect.center().y())), htOnButton);
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {},
                          QPoint(picsRect.left() - 10, picsRect.center().y()));
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {},
                          QPoint(10, tree_->viewport()->height() - 2));
        QCOMPARE(history_.BackFwdList, QStringList({"C:\\", "C:\\Pics"}));
        QVERIFY(back_->isEnabled());
        QVERIFY(applied_.isEmpty()); // a press only records; the tree applies its own change

        navigation_->Back();
        QCOMPARE(applied_, QStringList({"C:\\Pics\\"}));
        QVERIFY(back_->isEnabled());
        navigation_->Back();
        QCOMPARE(applied_, QStringList({"C:\\Pics\\", "C:\\"}));
        QVERIFY(!back_->isEnabled());
        QVERIFY(history_.BackFwdList.isEmpty());
        navigation_->Back(); // disabled: nothing happens
        QCOMPARE(applied_.size(), 2);
    }

    void backToAFolderRemovedSinceShowsTheTreesFolderAndStillSteps() {
        open(QStringLiteral("C:\\Gone"));
        navigation_->RecordFolderLeft();
        open(QStringLiteral("C:\\Dest"));
        QVERIFY(QDir(host("Gone")).removeRecursively());
        navigation_->Back();
        QCOMPARE(applied_, QStringList({"C:\\Dest\\"}));
        QVERIFY(!back_->isEnabled());
        QVERIFY(history_.BackFwdList.isEmpty());
    }

    void upOneLevelClimbsToTheDriveRootAndStops() {
        open(QStringLiteral("C:\\Pics\\Sub"));
        navigation_->UpOneLevel();
        navigation_->UpOneLevel();
        navigation_->UpOneLevel(); // at the drive root: nothing
        QCOMPARE(applied_, QStringList({"C:\\Pics\\", "C:\\"}));
    }

    void refreshRebuildsTheTreeAndSelectsTheFolderAgain() {
        open(QStringLiteral("C:\\Pics"));
        QVERIFY(QDir(root_.path()).mkpath("Pics/New"));
        QVERIFY(QDir(host("Pics/Sub")).removeRecursively());
        navigation_->Refresh();
        QCOMPARE(applied_, QStringList({"C:\\Pics\\"}));
        QTreeWidgetItem* pics = tree_->currentItem();
        pics->setExpanded(true);
        QVERIFY(findNode(pics, QStringLiteral("New")));
        QVERIFY(!findNode(pics, QStringLiteral("Sub")));
    }
};

QTEST_MAIN(FolderNavigationTest)
#include "folder_navigation_test.moc"
