// A failure no command caught reaches the user as a message and the program
// goes on answering.
#include "Application.h"
#include "Dialogs.h"
#include "Exception.h"
#include "TestEnvironment.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(Application, UncaughtFailureIsShownAndTheProgramGoesOn)
{
    // Qt's own frames keep no clean-ups for an exception passing through
    // them: what the event delivery held is lost by design of this last
    // resort, so it is not reported as leaked here.
    const TLeaksNotReported leaksOfQtFrames;
    DialogScript::Begin();
    int clicks = 0;
    {
        QPushButton button(QStringLiteral("Prova"));
        QObject::connect(&button, &QPushButton::clicked, [&clicks] {
            ++clicks;
            if (clicks == 1)
                throw Exception(QStringLiteral("NYADO exception: TNyConnection::Execute: disk I/O error"));
            if (clicks == 2)
                throw std::runtime_error("out of range");
        });
        button.show();
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(&button, Qt::LeftButton);
    }

    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("error")),
              QStringList({QStringLiteral("NYADO exception: TNyConnection::Execute: disk I/O error"),
                           QStringLiteral("out of range")}));
    DialogScript::End();
}

int main(int argc, char** argv)
{
    PrepareTestEnvironment();
    TApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
