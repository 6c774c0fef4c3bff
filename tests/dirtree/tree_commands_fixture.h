// The common ground of the tree command tests: a tree over a fresh drive map of temporary folders
// for each test, message boxes answered and recorded, and the programs' start in a mount namespace.
#pragma once

#include <memory>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "dirtree/mav_dir_tree.h"
#include "dirtree/popup_menu.h"
#include "platform/qt/ui.h"
#include "tests/support/own_mounts.h"

// The tree with the control's editing state visible, to see whether a caption is being edited.
class TestTree : public TMavDirTree21 {
public:
    using QAbstractItemView::state;
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    QLineEdit* Editor() const { return viewport()->findChild<QLineEdit*>(); }
};

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& caption);

// Counts the change messages a tree is sent.
class ShellMessageCounter : public QObject {
public:
    explicit ShellMessageCounter(QWidget* tree) { tree->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override;
};

// Drive C: (fixed) with Photos\2008, Photos\2009, Empty and zeta, and drive F: (remote, empty),
// shown in a fresh tree for each test. Yes/no questions get yesNoAnswer, every other box OK.
class TreeCommandsFixture : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<QTemporaryDir> temp;
    QTemporaryDir settings; // the trash and the saved network drives of these tests
    std::unique_ptr<TestTree> tree;
    QStringList dirChanges;
    int yesNoAnswer = platform::IDYES;

    QString host(const QString& relative) const { return temp->filePath(relative); }
    void makeDir(const QString& relative);
    void makeFile(const QString& relative, qint64 size);
    bool exists(const QString& relative) const;
    QTreeWidgetItem* drive(QChar letter) const;
    // A point on a node's label, in viewport coordinates.
    QPoint labelOf(TMavDirTree21* on, QTreeWidgetItem* node) const;
    QTreeWidgetItem* open(const QString& path) {
        tree->OpenPath(path);
        return tree->currentItem();
    }
    // Opens path and asks for its properties with Alt+Enter on the tree; the sheet shown, or null.
    QWidget* showProperties(const QString& path);
    std::vector<platform::MessageBoxCall>& boxes() { return platform::recordedMessageBoxes(); }
    TMavDirTree21PopUp* menu() const { return tree->PopupMenu(); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
};

// The main of a tree command test program: the mount namespace is entered first, while the program
// has one thread, so that the tests can mount volumes inside their folders.
template <class Test> int RunTreeCommandsTest(int argc, char** argv) {
    lumo::test::EnterOwnMountNamespace();
    QApplication application(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
