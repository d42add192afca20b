#include "UnitSplash.h"

#include "BuildConfig.h"
#include "Pictures.h"
#include "ui_UnitSplash.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace {
// The frame colour that shows around the white panel.
const QColor SplashBackground(255, 121, 75);
const int FrameWidth = 2;
}

TFormSplash::TFormSplash(QWidget* owner)
    // An ordinary frameless window rather than one kept on top: a message
    // shown during start-up (a database that does not open) must not end up
    // hidden behind the splash.
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
    , ui_(std::make_unique<Ui::TFormSplash>())
{
    ui_->setupUi(this);
    setFixedSize(243, 107);
    setWindowTitle(QStringLiteral(BALTERO_APPLICATION_TITLE));

    QPalette background = palette();
    background.setColor(QPalette::Window, SplashBackground);
    setPalette(background);
    setAutoFillBackground(true);

    QPalette white = ui_->PanelMain->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui_->PanelMain->setPalette(white);
    ui_->PanelMain->setGeometry(FrameWidth, FrameWidth, width() - 2 * FrameWidth, height() - 2 * FrameWidth);

    ui_->Image1->setPixmap(LoadPicture(QStringLiteral("program-icon"), QSize(32, 32)));
    ui_->ImageCompanyLogo->setPixmap(LoadPicture(QStringLiteral("logo"), QSize(16, 16)));
    ui_->ImageProductName->setPixmap(LoadPicture(QStringLiteral("product-name"), QSize(162, 52)));

    // The name is drawn by the product-name picture; the label only keeps the
    // title for whoever reads the window's text.
    ui_->LabelProductName->setText(QStringLiteral(BALTERO_APPLICATION_TITLE));
    QFont bold = ui_->LabelProductName->font();
    bold.setBold(true);
    bold.setPixelSize(32);
    ui_->LabelProductName->setFont(bold);
    ui_->LabelProductName->hide();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFormSplash::~TFormSplash() = default;
