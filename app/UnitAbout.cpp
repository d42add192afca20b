#include "UnitAbout.h"

#include "BuildConfig.h"
#include "Dialogs.h"
#include "Pictures.h"
#include "ui_UnitAbout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

namespace {

QString Title()
{
    return QStringLiteral(BALTERO_APPLICATION_TITLE);
}

void SetFont(QWidget* widget, int pixelSize, bool bold, bool italic = false)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    widget->setFont(font);
}

void SetTextColor(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

} // namespace

TFormAbout::TFormAbout(QWidget* owner)
    : QDialog(owner)
    , ui_(std::make_unique<Ui::TFormAbout>())
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setFixedSize(433, 248);
    setWindowTitle(QStringLiteral("Informazioni su ") + Title());

    ui_->ImageProgramIcon->setPixmap(LoadPicture(QStringLiteral("program-icon"), QSize(32, 32)));
    ui_->ImageCompanyLogo->setPixmap(LoadPicture(QStringLiteral("logo"), QSize(32, 32)));

    ui_->LabelProductName->setText(Title());
    ui_->LabelProductNameShadow->setText(Title());
    SetFont(ui_->LabelProductName, 32, true);
    SetFont(ui_->LabelProductNameShadow, 32, true);
    SetTextColor(ui_->LabelProductNameShadow, QColor(255, 255, 0));
    ui_->LabelProductNameShadow->move(ui_->LabelProductName->x() + 1, ui_->LabelProductName->y());
    ui_->LabelProductNameShadow->lower();
    // Two texts read aloud would be one too many.
    ui_->LabelProductNameShadow->setAccessibleName(QString());

    SetFont(ui_->LabelProductDescription, 13, true, true);
    SetTextColor(ui_->LabelProductDescription, QColor(0, 128, 128));

    ui_->LabelVersion->setText(VersionText(QStringLiteral(BALTERO_VERSION_STRING)));
    SetFont(ui_->LabelVersion, 13, true);

    ui_->LabelCopyright->setText(QStringLiteral("\u00a9 ") + QString::fromUtf8(BALTERO_RIGHTS_HOLDER) + QLatin1Char('.'));
    ui_->LabelComments->setText(QString::fromUtf8(BALTERO_LEGAL_NOTICE));

    const QString webAddress = QString::fromUtf8(BALTERO_WEB_SITE_NAME);
    const QString mail = QString::fromUtf8(BALTERO_MAIL);
    // They look and read like links, yet can be reached with Tab and pressed
    // with the space bar as any button.
    const QString linkStyle = QStringLiteral(
        "QPushButton { color: #0000ff; text-decoration: underline; border: none; padding: 0px; text-align: left; }"
        "QPushButton:focus { background-color: #dde6ff; }");
    for (QPushButton* link : {ui_->LabelCompanyWebAddress, ui_->LabelCompanyEMail})
        link->setStyleSheet(linkStyle);
    ui_->LabelCompanyWebAddress->setText(webAddress);
    ui_->LabelCompanyWebAddress->setToolTip(webAddress);
    ui_->LabelCompanyWebAddress->setAccessibleName(QStringLiteral("Sito internet: ") + webAddress);
    ui_->LabelCompanyEMail->setText(mail);
    ui_->LabelCompanyEMail->setToolTip(mail);
    ui_->LabelCompanyEMail->setAccessibleName(QStringLiteral("Posta elettronica: ") + mail);

    connect(ui_->LabelCompanyWebAddress, &QPushButton::clicked, this, &TFormAbout::LabelCompanyWebAddressClick);
    connect(ui_->LabelCompanyEMail, &QPushButton::clicked, this, &TFormAbout::LabelCompanyEMailClick);
    connect(ui_->BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    ui_->BitBtnOK->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFormAbout::~TFormAbout() = default;

QString TFormAbout::VersionText(const QString& version)
{
    int numbers[4] = {0, 0, 0, 0};
    const QStringList parts = version.split(QLatin1Char('.'));
    bool valid = !version.isEmpty() && parts.size() <= 4;
    for (int i = 0; valid && i < parts.size(); ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        valid = ok && numbers[i] >= 0 && numbers[i] <= 65535;
    }
    if (!valid)
        numbers[0] = numbers[1] = numbers[2] = numbers[3] = -1;
    return QStringLiteral("Versione %1.%2.%3 (Build %4)").arg(numbers[0]).arg(numbers[1]).arg(numbers[2]).arg(numbers[3]);
}

void TFormAbout::LabelCompanyWebAddressClick()
{
    OpenWithDesktop(QUrl(QString::fromUtf8(BALTERO_WEB_SITE)));
}

void TFormAbout::LabelCompanyEMailClick()
{
    OpenWithDesktop(QUrl(QStringLiteral("mailto:") + ui_->LabelCompanyEMail->text()));
}

void TFormAbout::reject()
{
    accept();
}
