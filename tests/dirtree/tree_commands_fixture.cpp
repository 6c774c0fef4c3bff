// The common ground of the tree command tests (tree_commands_fixture.h).
#include "tests/dirtree/tree_commands_fixture.h"

#include <QDir>
#include <QFile>

#include "dirtree/folder_commands.h"
#include "dirtree/languages.h"
#include "platform/core/drives.h"
#include "platform/qt/network.h"
#include "platform/qt/shell.h"
#include "tests/dirtree/tree_window.h"

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const QString& caption) {
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == caption)
            return node->child(i);
    }
    return nullptr;
}

bool ShellMessageCounter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == platform::MessageEvent::eventType() &&
        static_cast<platform::MessageEvent*>(event)->msg == TMavDirTree21::WM_SHELLNOTIFY)
        ++Count;
    return false;
}

void TreeCommandsFixture::makeDir(const QString& relative) {
    QVERIFY(QDir().mkpath(host(relative)));
}

void TreeCommandsFixture::makeFile(const QString& relative, qint64 size) {
    QFile file(host(relative));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size)); // sparse: the size counts, not the blocks
}

bool TreeCommandsFixture::exists(const QString& relative) const {
    return QFileInfo::exists(host(relative));
}

QTreeWidgetItem* TreeCommandsFixture::drive(QChar letter) const {
    QTreeWidgetItem* root = tree->Root();
    for (int i = 0; root && i < root->childCount(); ++i) {
        if (root->child(i)->text(0).mid(2, 1) == letter)
            return root->child(i);
    }
    return nullptr;
}

QPoint TreeCommandsFixture::labelOf(TMavDirTree21* on, QTreeWidgetItem* node) const {
    on->scrollToItem(node);
    const QRect row = on->visualItemRect(node);
    for (int x = row.left(); x < row.right(); ++x) {
        const QPoint point(x, row.center().y());
        if (on->HitTest(point) == htOnItem)
            return point;
    }
    return row.center();
}

QWidget* TreeCommandsFixture::showProperties(const QString& path) {
    open(path);
    tree->setFocus();
    QTest::keyClick(tree.get(), Qt::Key_Return, Qt::AltModifier);
    QWidget* sheet = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("PropertiesSheet") && widget->isVisible())
            sheet = widget;
    }
    return sheet;
}

void TreeCommandsFixture::initTestCase() {
    qputenv("XDG_DATA_HOME", QDir(settings.path()).filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(settings.path()).filePath("config").toUtf8());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TreeCommandsFixture::init() {
    temp = std::make_unique<QTemporaryDir>();
    QVERIFY(temp->isValid());
    for (const char* dir : {"c/Photos/2008", "c/Photos/2009", "c/Empty", "c/zeta", "f"})
        makeDir(QString::fromLatin1(dir));
    using platform::DriveInfo;
    platform::setDriveMap({
        DriveInfo{'C', host("c").toStdString(), platform::DRIVE_FIXED, "", true},
        DriveInfo{'F', host("f").toStdString(), platform::DRIVE_REMOTE, "", true},
    });
    yesNoAnswer = platform::IDYES;
    platform::setMessageBoxAnswerer([this](const platform::MessageBoxCall& call) {
        return (call.flags & 0xF) == platform::MB_YESNO ? yesNoAnswer : platform::IDOK;
    });
    boxes().clear();
    ClipOp = coNone;
    tree = std::make_unique<TestTree>();
    QVERIFY(ShowAsTheWindowsDo(*tree, dirChanges));
}

void TreeCommandsFixture::cleanup() {
    tree.reset();
    platform::setMessageBoxAnswerer(nullptr);
    platform::setShellExecuteAnswerer(nullptr);
    platform::setFolderPickerAnswerer(nullptr);
    platform::setDisconnectDialogAnswerer(nullptr);
    platform::wnetCancelConnection("G:", true);
    CurrentLanguage = lnEnglish;
    LoadLanguageTexts();
}
