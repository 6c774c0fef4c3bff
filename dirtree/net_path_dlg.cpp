// The map-network-drive dialog: its fixed layout, the offered letters and the folder picker.
#include "dirtree/net_path_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "dirtree/shell_helpers.h"
#include "platform/core/drives.h"

namespace {

// The explanation breaks its line where the text holds "\r", as the dialog's label shows it.
const QString kExplanation =
    QStringLiteral("Specify an avilable Drive Letter in My Computer for the connection \rand the "
                   "path to the Network Computer that you want to connect to:");

// The layout is made for "MS Sans Serif" 8 pt, whose letters are small. Where that font is missing
// a stand-in is used, made small enough that the explanation keeps its two lines and the labels
// their width.
QFont DialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans Condensed")});
    const QStringList lines = kExplanation.split(QLatin1Char('\r'));
    for (qreal points = 8; points > 5; points -= 0.5) {
        font.setPointSizeF(points);
        const QFontMetrics metrics(font);
        bool fits =
            metrics.horizontalAdvance(QStringLiteral("Drive")) <= 25 && 2 * metrics.height() <= 28;
        for (const QString& line : lines)
            fits = fits && metrics.horizontalAdvance(line.trimmed()) <= 326;
        if (fits)
            break;
    }
    return font;
}

} // namespace

TDriveOffer OfferedDriveLetters(uint32_t logicalDrives) {
    int highest = -1;
    for (int bit = 0; bit < 26; ++bit) {
        if (logicalDrives & (1u << bit))
            highest = bit;
    }
    TDriveOffer offer;
    for (int bit = highest + 1; bit < 26; ++bit)
        offer.Letters.append(QString(QChar(char16_t(u'A' + bit))) + QLatin1Char(':'));
    if (!offer.Letters.isEmpty())
        offer.DriveText = offer.Letters.front();
    return offer;
}

TNetPathDlg::TNetPathDlg(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("NetPathDlg"));
    setWindowTitle(QStringLiteral("Map Network Drive"));
    setFixedSize(382, 160);
    setFont(DialogFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    Label1 = new QLabel(QString(kExplanation).replace(QLatin1Char('\r'), QLatin1Char('\n')), this);
    Label1->setWordWrap(true);
    Label1->setGeometry(28, 8, 326, 26);
    DriveLabel = new QLabel(QStringLiteral("Drive"), this);
    DriveLabel->setGeometry(28, 56, 25, 13);
    PathLabel = new QLabel(QStringLiteral("Path"), this);
    PathLabel->setGeometry(28, 88, 25, 13);

    DriveBox = new QComboBox(this);
    DriveBox->setObjectName(QStringLiteral("DriveBox"));
    DriveBox->setEditable(true);
    DriveBox->setGeometry(60, 52, 189, 21);
    PathBox = new QLineEdit(this);
    PathBox->setObjectName(QStringLiteral("PathBox"));
    PathBox->setGeometry(60, 84, 189, 21);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry(272, 52, 75, 23);
    BtnOK->setDefault(true);
    BtnBrowse = new QPushButton(QStringLiteral("Browse"), this);
    BtnBrowse->setObjectName(QStringLiteral("BtnBrowse"));
    BtnBrowse->setGeometry(272, 84, 75, 23);
    BtnBrowse->setAutoDefault(false);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(272, 116, 75, 23);
    BtnCancel->setAutoDefault(false);
    ReconnectBox = new QCheckBox(QStringLiteral("Reconnect at logon"), this);
    ReconnectBox->setObjectName(QStringLiteral("ReconnectBox"));
    ReconnectBox->setGeometry(60, 116, 141, 21);
    ReconnectBox->setChecked(true);

    // Tab order: drive, path, OK, Cancel, Browse; Escape closes with Cancel (QDialog's own).
    setTabOrder(DriveBox, PathBox);
    setTabOrder(PathBox, BtnOK);
    setTabOrder(BtnOK, BtnCancel);
    setTabOrder(BtnCancel, BtnBrowse);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnBrowse, &QPushButton::clicked, this, &TNetPathDlg::BtnBrowseClick);

    const TDriveOffer offer = OfferedDriveLetters(platform::logicalDrives());
    DriveText = offer.DriveText;
    DriveLetters = offer.Letters;
    DriveBox->addItems(DriveLetters);
}

bool TNetPathDlg::Execute() {
    DriveBox->setEditText(DriveText);
    PathBox->setText(NetPath);
    // Centred on the screen, as the dialog's border places it.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    const bool ok = exec() == QDialog::Accepted;
    Reconnect = ReconnectBox->isChecked();
    if (ok) {
        DriveText = DriveBox->currentText();
        NetPath = PathBox->text();
    }
    return ok;
}

void TNetPathDlg::BtnBrowseClick() {
    QString path;
    if (!BrowseForFolder(this, path, brNetwork, false))
        return;
    NetPath = DelSlash(path);
    PathBox->setText(NetPath);
}
