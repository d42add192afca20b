#include "BuildConfig.h"
#include "Dialogs.h"
#include "UnitAbout.h"
#include "UnitSplash.h"
#include "ui_UnitAbout.h"
#include "ui_UnitSplash.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(Splash, WhitePanelInsideATwoPixelFrameAndTheArtworkLoaded)
{
    TFormSplash splash;
    splash.show();
    EXPECT_EQ(splash.size(), QSize(243, 107));
    EXPECT_EQ(splash.Controls().PanelMain->geometry(), QRect(2, 2, 239, 103));
    EXPECT_FALSE(splash.Controls().LabelProductName->isVisible());
    EXPECT_EQ(splash.Controls().LabelProductName->text(), QStringLiteral("Baltero"));
    EXPECT_FALSE(splash.Controls().Image1->pixmap().isNull());
    EXPECT_FALSE(splash.Controls().ImageCompanyLogo->pixmap().isNull());
    EXPECT_FALSE(splash.Controls().ImageProductName->pixmap().isNull());
    EXPECT_EQ(splash.Controls().ImageProductName->pixmap().deviceIndependentSize().toSize(), QSize(162, 52));
}

TEST(AboutVersion, NumbersComeFromTheVersionText)
{
    EXPECT_EQ(TFormAbout::VersionText(QStringLiteral("2.0.1.35")), QStringLiteral("Versione 2.0.1 (Build 35)"));
    EXPECT_EQ(TFormAbout::VersionText(QStringLiteral("3.1")), QStringLiteral("Versione 3.1.0 (Build 0)"));
    const QString unreadable = QStringLiteral("Versione -1.-1.-1 (Build -1)");
    EXPECT_EQ(TFormAbout::VersionText(QString()), unreadable);
    EXPECT_EQ(TFormAbout::VersionText(QStringLiteral("1.x.0.1")), unreadable);
    EXPECT_EQ(TFormAbout::VersionText(QStringLiteral("1.0.0.1.7")), unreadable);
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override { DialogScript::Begin(); }
    void TearDown() override { DialogScript::End(); }
};

TEST_F(AboutTest, ShowsTheConfiguredVersionAndNotices)
{
    TFormAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Informazioni su Baltero"));
    EXPECT_EQ(about.size(), QSize(433, 248));
    const QString expected = QStringLiteral("Versione %1.%2.%3 (Build %4)")
                                 .arg(BALTERO_VERSION_MAJOR)
                                 .arg(BALTERO_VERSION_MINOR)
                                 .arg(BALTERO_VERSION_PATCH)
                                 .arg(BALTERO_VERSION_TWEAK);
    EXPECT_EQ(about.Controls().LabelVersion->text(), expected);
    EXPECT_TRUE(about.Controls().LabelCopyright->text().contains(QString::fromUtf8(BALTERO_RIGHTS_HOLDER)));
    EXPECT_EQ(about.Controls().LabelComments->text(), QString::fromUtf8(BALTERO_LEGAL_NOTICE));
    EXPECT_TRUE(about.Controls().LabelComments->text().contains(QStringLiteral("GPL-3.0-or-later")));
    EXPECT_EQ(about.Controls().LabelCompanyWebAddress->text(), QString::fromUtf8(BALTERO_WEB_SITE_NAME));
    EXPECT_EQ(about.Controls().LabelCompanyWebAddress->toolTip(), QString::fromUtf8(BALTERO_WEB_SITE_NAME));
    EXPECT_EQ(about.Controls().LabelCompanyEMail->text(), QString::fromUtf8(BALTERO_MAIL));
    EXPECT_EQ(about.Controls().LabelProductName->text(), QStringLiteral("Baltero"));
    EXPECT_EQ(about.Controls().LabelProductNameShadow->geometry().topLeft(),
              about.Controls().LabelProductName->geometry().topLeft() + QPoint(1, 0));
}

TEST_F(AboutTest, LinksGoToTheDesktop)
{
    TFormAbout about;
    about.show();
    QTest::mouseClick(about.Controls().LabelCompanyWebAddress, Qt::LeftButton);
    QTest::mouseClick(about.Controls().LabelCompanyEMail, Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("desktop")),
              (QStringList{QString::fromUtf8(BALTERO_WEB_SITE), QStringLiteral("mailto:") + QString::fromUtf8(BALTERO_MAIL)}));
    EXPECT_TRUE(about.isVisible()) << "following a link leaves the window open";
}

TEST_F(AboutTest, EscEnterAndOkCloseWithOk)
{
    for (const int key : {int(Qt::Key_Escape), int(Qt::Key_Return), 0}) {
        TFormAbout about;
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        about.activateWindow();
        if (key)
            QTest::keyClick(&about, Qt::Key(key));
        else
            QTest::mouseClick(about.Controls().BitBtnOK, Qt::LeftButton);
        EXPECT_FALSE(about.isVisible()) << "key " << key;
        EXPECT_EQ(about.result(), QDialog::Accepted) << "key " << key;
    }
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("desktop")).isEmpty()) << "Enter must not follow a link";
}

TEST_F(AboutTest, EnterOnAFocusedLinkClosesTheWindowInsteadOfFollowingIt)
{
    TFormAbout about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    about.Controls().LabelCompanyWebAddress->setFocus();
    QTest::keyClick(about.Controls().LabelCompanyWebAddress, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("desktop")).isEmpty());
}

TEST_F(AboutTest, EveryControlThatTakesFocusHasAnAccessibleName)
{
    TFormAbout about;
    about.show();
    int focusable = 0;
    for (QWidget* widget : about.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible())
            continue;
        ++focusable;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << widget->objectName().toStdString();
    }
    EXPECT_EQ(focusable, 3);
}

} // namespace
