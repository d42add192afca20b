// Names that differ only in letter case, accented capitals too, are one name:
// the four dialogs of the register and the questionnaire refuse them, on
// insertion and on renaming, and the register lists order accented names
// among the others.
#include "RecordWindowsTestSupport.h"

#include "NameCheck.h"
#include "RecordMessages.h"

#include <ostream>
#include <tuple>

namespace {

struct NamedWindow {
    TRecordWindow window;
    const char* table;
    const char* nameField;
    const char* nameEdit;
    QString (*header)(); // the save error that the refusal's text follows
};

// Names the case in ctest's list by its table instead of its bytes.
void PrintTo(const NamedWindow& window, std::ostream* out)
{
    *out << window.table;
}

const NamedWindow kNamedWindows[] = {
    {TRecordWindow::Children, "Children", "Name", "EditName", Message11003},
    {TRecordWindow::Teachers, "Teachers", "Name", "EditName", Message11007},
    {TRecordWindow::Areas, "Areas", "Description", "EditDescription", RepeatedAreaDescriptionText},
    {TRecordWindow::Phases, "Phases", "Description", "EditDescription", RepeatedPhaseDescriptionText},
};

// Each window on the file and on the server, which folds letter case its own way.
class RepeatedNamesTest : public RecordWindowTest,
                          public ::testing::WithParamInterface<std::tuple<NamedWindow, TestProvider>> {
protected:
    RepeatedNamesTest()
        : RecordWindowTest(std::get<1>(GetParam()))
    {
    }
    static const NamedWindow& Named() { return std::get<0>(GetParam()); }

    void Add(int number, const QString& name)
    {
        switch (Named().window) {
        case TRecordWindow::Children: db_.AddChild(name); break;
        case TRecordWindow::Teachers: db_.AddTeacher(name); break;
        case TRecordWindow::Areas: db_.AddArea(number, name); break;
        default: db_.AddPhase(number, name); break;
        }
    }

    QStringList Names() { return Rows(QStringLiteral("SELECT ") + Named().nameField + " FROM " + Named().table); }

    // Types the name into the open dialog (a new area or phase gets a free
    // number) and presses OK; true when the dialog closed.
    static bool Save(QDialog* dialog, const QString& name)
    {
        if (auto* number = dialog->findChild<QComboBox*>(QStringLiteral("ComboBoxID")); number && number->isEnabled())
            number->setCurrentIndex(50);
        Replace(Field<QLineEdit>(dialog, Named().nameEdit), name);
        ClickOK(dialog);
        return !dialog->isVisible();
    }
};

TEST_P(RepeatedNamesTest, NewNameTheSameButForLetterCaseIsRefusedLikeAnExactDuplicate)
{
    const struct {
        QString stored;
        QString typed;
    } cases[] = {
        {QStringLiteral("Niccol\u00f2"), QStringLiteral("NICCOL\u00d2")},
        {QStringLiteral("\u00c9lisa"), QStringLiteral("\u00e9lisa")},
        {QStringLiteral("Et\u00e0 prescolare"), QStringLiteral("ET\u00c0 PRESCOLARE")},
    };
    int number = 1;
    for (const auto& c : cases)
        Add(number++, c.stored);
    Open(Named().window);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        DialogScript::ClearShown();
        ClickAndDrive(Button("BitBtnNew"), [&](QDialog* dialog) {
            EXPECT_FALSE(Save(dialog, c.typed));
            EXPECT_EQ(DialogScript::Texts("warning"), QStringList({Named().header() + RepeatedNameText(c.typed, c.stored)}));
            ClickCancel(dialog);
        });
    }
    EXPECT_EQ(Names().size(), 3);

    // An accent, not a letter case, makes another name.
    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) { EXPECT_TRUE(Save(dialog, QStringLiteral("Elisa"))); });
    EXPECT_EQ(Names().size(), 4);
}

TEST_P(RepeatedNamesTest, RenamingToAnotherRecordsNameIsRefusedToItsOwnNameNot)
{
    Add(1, QStringLiteral("Anna"));
    Add(2, QStringLiteral("\u00c9lisa"));
    Open(Named().window);
    const int anna = Column(0).indexOf(Named().window == TRecordWindow::Areas || Named().window == TRecordWindow::Phases
                                           ? QStringLiteral("1")
                                           : QStringLiteral("Anna"));
    ASSERT_GE(anna, 0);
    ClickRow(anna);
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) {
        EXPECT_FALSE(Save(dialog, QStringLiteral("\u00e9LISA")));
        EXPECT_EQ(DialogScript::Texts("warning").size(), 1);
        ClickCancel(dialog);
    });
    ClickRow(1 - anna);
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) { EXPECT_TRUE(Save(dialog, QStringLiteral("\u00e9LISA"))); });
    EXPECT_EQ(DialogScript::Texts("warning").size(), 1);
    QStringList names = Names();
    names.sort();
    EXPECT_EQ(names, QStringList({"Anna", "\u00e9LISA"}));
}

INSTANTIATE_TEST_SUITE_P(Dialogs, RepeatedNamesTest,
                         ::testing::Combine(::testing::ValuesIn(kNamedWindows),
                                            ::testing::Values(TestProvider::File, TestProvider::Server)),
                         [](const ::testing::TestParamInfo<std::tuple<NamedWindow, TestProvider>>& info) {
                             return std::string(std::get<0>(info.param).table) + "_"
                                    + ProviderName({std::get<1>(info.param), info.index});
                         });

// Names stored before the dialogs compared them this way may repeat (in a
// file: the server's schema never took them); the record keeps its name when
// only its notes change.
TEST_F(RecordWindowTest, RecordStoredWithARepeatedNameCanStillBeEdited)
{
    db_.AddChild(QStringLiteral("\u00c9lisa"));
    db_.AddChild(QStringLiteral("\u00e9lisa"));
    Open(TRecordWindow::Children);
    ClickRow(0);
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) {
        Type(Field<QPlainTextEdit>(dialog, "MemoInfo"), QStringLiteral("Nota"));
        ClickOK(dialog);
        EXPECT_FALSE(dialog->isVisible());
    });
    EXPECT_TRUE(DialogScript::Texts("warning").isEmpty());
    EXPECT_EQ(db_.Count("Children", QStringLiteral("Info = 'Nota'")), 1);
}

class RegisterOrderTest : public ProviderRecordWindowTest {};

TEST_P(RegisterOrderTest, RegisterListsOrderAccentedNamesAmongTheOthers)
{
    const QStringList stored = {"Zoe", "\u00c9lisa", "bruno", "Anna", "\u00c8mma", "ettore", "\u00d2scar", "Nadia"};
    const QStringList ordered = {"Anna", "bruno", "\u00c9lisa", "\u00c8mma", "ettore", "Nadia", "\u00d2scar", "Zoe"};
    for (TRecordWindow which : {TRecordWindow::Children, TRecordWindow::Teachers}) {
        for (const QString& name : stored)
            which == TRecordWindow::Children ? db_.AddChild(name) : db_.AddTeacher(name);
        Open(which);
        EXPECT_EQ(Column(0), ordered);
        // Row i is still the record at position i + 1 of the window's recordset.
        window_->Recordset()->SetAbsolutePosition(3);
        EXPECT_EQ(window_->Recordset()->GetFieldAsString(QStringLiteral("Name")), ordered[2]);
        delete window_.data();
    }
}

INSTANTIATE_FOR_EACH_PROVIDER(RegisterOrderTest);

} // namespace
