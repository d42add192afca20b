// A failure no command caught reaches the user as a message and the program
// goes on answering.
#include "Application.h"
#include "Dialogs.h"
#include "Exception.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(Application, UncaughtFailureIsShownAndTheProgramGoesOn)
{
    DialogScript::Begin();
    QPushButton button(QStringLiteral("Prova"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] {
        ++clicks;
        if (clicks == 1)
            throw Exception(QStringLiteral("NYADO exception: TNyConnection::Execute: disk I/O error"));
        if (clicks == 2)
            throw std::runtime_error("out of range");
    });
    button.show();

    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);

    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("error")),
              QStringList({QStringLiteral("NYADO exception: TNyConnection::Execute: disk I/O error"),
                           QStringLiteral("out of range")}));
    DialogScript::End();
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
