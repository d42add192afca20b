// The ages in months a phase is meant for, typed into the phase dialog and
// shown in the phases list.
#include "RecordWindowsTestSupport.h"

#include "RecordMessages.h"

namespace {

class PhaseAgesTest : public ProviderRecordWindowTest {
protected:
    // Types the two ages into the dialog the button opens and presses OK.
    void EnterAges(const char* button, const QString& from, const QString& to)
    {
        ClickAndDrive(Button(button), [&](QDialog* dialog) {
            if (QString::fromLatin1(button) == QLatin1String("BitBtnNew")) {
                // Phase 2: 1 is taken.
                QTest::keyClick(Field<QComboBox>(dialog, "ComboBoxID"), Qt::Key_Down);
                Type(Field<QLineEdit>(dialog, "EditDescription"), QStringLiteral("Fase nuova"));
            }
            Replace(Field<QLineEdit>(dialog, "EditAgeFrom"), from);
            Replace(Field<QLineEdit>(dialog, "EditAgeTo"), to);
            ClickOK(dialog);
        });
    }
    QStringList Ages() { return Rows("SELECT IDPhase, AgeFromMonths, AgeToMonths FROM Phases ORDER BY IDPhase"); }
};

TEST_P(PhaseAgesTest, BothAgesAreOptionalAndShownAsTheDialogSaysThem)
{
    const struct {
        const char *from, *to;
        const char* stored; // from|to
        const char* listed;
    } cases[] = {
        {"", "", "|", ""},
        {"0", "11", "0|11", "da 0 a 11"},
        {"48", "", "48|", "da 48"},
        {"", "71", "|71", "fino a 71"},
        {"12", "12", "12|12", "da 12 a 12"},
        // Only digits go in: no sign, no letters.
        {"-3a", "x7", "3|7", "da 3 a 7"},
    };
    db_.AddPhase(1, QStringLiteral("Prima"));
    Open(TRecordWindow::Phases);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " to " + c.to);
        ClickRow(0);
        EnterAges("BitBtnEdit", QString::fromLatin1(c.from), QString::fromLatin1(c.to));
        EXPECT_EQ(Ages(), QStringList{QStringLiteral("1|") + QString::fromLatin1(c.stored)});
        EXPECT_EQ(Column(2), QStringList{QString::fromLatin1(c.listed)});
    }
    EXPECT_TRUE(DialogScript::ShownDialogs().empty());

    // A new phase takes its ages too, and the dialog shows stored ones.
    EnterAges("BitBtnNew", QStringLiteral("24"), QStringLiteral("35"));
    EXPECT_EQ(Ages(), QStringList({"1|3|7", "2|24|35"}));
    ClickRow(1);
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) {
        EXPECT_EQ(Field<QLineEdit>(dialog, "EditAgeFrom")->text(), "24");
        EXPECT_EQ(Field<QLineEdit>(dialog, "EditAgeTo")->text(), "35");
        ClickCancel(dialog);
    });
}

TEST_P(PhaseAgesTest, ARangeThatEndsBeforeItBeginsIsRefusedAndCanBeMended)
{
    db_.AddPhase(1, QStringLiteral("Prima"));
    Open(TRecordWindow::Phases);
    ClickRow(0);
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) {
        Replace(Field<QLineEdit>(dialog, "EditAgeFrom"), QStringLiteral("24"));
        Replace(Field<QLineEdit>(dialog, "EditAgeTo"), QStringLiteral("12"));
        ClickOK(dialog);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget(), Field<QLineEdit>(dialog, "EditAgeTo"));
        TypeText(Field<QLineEdit>(dialog, "EditAgeTo"), QStringLiteral("35"));
        ClickOK(dialog);
    });
    EXPECT_EQ(DialogScript::Texts("warning"), QStringList{PhaseAgeRangeReversedText(24, 12)});
    EXPECT_EQ(Ages(), QStringList{"1|24|35"});
}

INSTANTIATE_FOR_EACH_PROVIDER(PhaseAgesTest);

} // namespace
