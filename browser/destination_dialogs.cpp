#include "browser/destination_dialogs.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "browser/tform1.h"
#include "dirtree/mav_dir_tree.h"
#include "dirtree/shell_helpers.h"
#include "platform/qt/file_commands.h"
#include "platform/qt/path_text.h"
#include "thumbs/tmainform.h"
#include "widgets/handler_guard.h"
#include "widgets/window_frames.h"
#include "widgets/window_parts.h"

Tmoveform* moveform = nullptr;
Tcopyform* copyform = nullptr;

TDestinationForm::TDestinationForm(const QString& name, const QString& caption,
                                   const QString& action, QWidget* parent)
    : QWidget(parent) {
    setObjectName(name);
    setWindowTitle(caption);
    auto* column = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setFixedWidth(300);
    column->addWidget(Label1);

    GroupBox1 = new QGroupBox(QStringLiteral("Select Directory"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* inner = new QVBoxLayout(GroupBox1);
    explor = CreateFolderTree(GroupBox1);
    explor->setFixedSize(280, 300);
    inner->addWidget(explor);
    auto* buttons = new QHBoxLayout;
    SpeedButton1 = new QPushButton(action, GroupBox1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton3 = new QPushButton(QStringLiteral("Cancel"), GroupBox1);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton3);
    inner->addLayout(buttons);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->hide();
    column->addWidget(GroupBox1);

    connect(SpeedButton1, &QPushButton::clicked, this, Guarded([this] { SpeedButton1Click(); }));
    connect(SpeedButton3, &QPushButton::clicked, this, Guarded([this] { SpeedButton3Click(); }));
    MakeFixedDialogFrame(this);
}

void TDestinationForm::showEvent(QShowEvent* event) {
    if (!placed_) {
        CentreOnDesktop(this);
        placed_ = true;
    }
    QWidget::showEvent(event);
}

void TDestinationForm::Open(const QString& fileName, const QString& sourceFolder) {
    ShowAndRaise(this);
    Edit1->setText(fileName);
    Edit2->setText(sourceFolder);
    Label1->setText(QStringLiteral("Select the place where you wan to move ") +
                    platform::displayText(platform::pathBytes(fileName)) +
                    QStringLiteral(". Then click move button"));
}

void TDestinationForm::SpeedButton1Click() {
    // The tree's path of a drive already ends in a backslash; the file system reads a doubled
    // one as a single separator.
    const QString destination = explor->SelectedPath() + QLatin1Char('\\') + Edit1->text();
    const QString source = Edit2->text() + Edit1->text();
    Transfer(platform::pathBytes(source), platform::pathBytes(destination));
    Form1->explorDirChange(Form1->explor, Form1->explor->SelectedPath());
    if (MainForm)
        MainForm->explorDirChange(MainForm->explor, MainForm->explor->SelectedPath());
    hide();
}

void TDestinationForm::SpeedButton3Click() {
    hide();
}

Tmoveform::Tmoveform(QWidget* parent)
    : TDestinationForm(QStringLiteral("moveform"), QStringLiteral("Move Items"),
                       QStringLiteral("Move"), parent) {}

void Tmoveform::Transfer(const std::string& source, const std::string& destination) {
    platform::moveFileShowingProgress(this, source, destination);
}

Tcopyform::Tcopyform(QWidget* parent)
    : TDestinationForm(QStringLiteral("copyform"), QStringLiteral("Copy Items"),
                       QStringLiteral("Copy"), parent) {}

void Tcopyform::Transfer(const std::string& source, const std::string& destination) {
    platform::copyFileShowingProgress(this, source, destination);
}
