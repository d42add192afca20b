// The compilation editor, driven as a user drives it: clicks, keys, the
// start-phase dialog, OK and "Annulla", with the database checked after each
// save, failed or not.
#include "WindowTestSupport.h"

#include "CompilationMessages.h"
#include "DateEntry.h"
#include "DateTime.h"
#include "HtmlPrinting.h"
#include "NumberFormat.h"
#include "Settings.h"
#include "TestReport.h"
#include "UnitSetStartPhase.h"
#include "UnitTableEdit.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QRegularExpression>
#include <QScreen>

namespace {

// Standard output of a poppler tool run on a PDF file; empty when it failed.
QByteArray Poppler(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed (poppler-utils installed?): "
                      << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

// The results table as read off the printed page: pdftotext keeps each row on
// one line at the columns' places, so every value is put in the column whose
// heading is centred nearest above it. Values that run together (no room
// between neighbouring columns) come out as one value in one column.
std::vector<QStringList> PrintedRows(const QString& pageText)
{
    const QStringList headings{"AREA", "FASE", "SI", "NO", "A VOLTE", "NON SO", "VALORI", "TOTALE"};
    const QStringList lines = pageText.split(QLatin1Char('\n'));
    qsizetype line = 0;
    while (line < lines.size() && !(lines[line].contains(QStringLiteral("AREA")) && lines[line].contains(QStringLiteral("TOTALE"))))
        ++line;
    if (line == lines.size())
        return {};
    std::vector<double> centres;
    qsizetype from = 0;
    for (const QString& heading : headings) {
        from = lines[line].indexOf(heading, from);
        centres.push_back(from + heading.size() / 2.0);
        from += heading.size();
    }
    std::vector<QStringList> rows;
    const QRegularExpression value(QStringLiteral("\\S+(?: \\S+)*"));
    for (++line; line < lines.size() && !lines[line].contains(QStringLiteral("Totale:")); ++line) {
        if (lines[line].trimmed().isEmpty())
            continue;
        QStringList row(headings.size());
        for (auto match = value.globalMatch(lines[line]); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            const double centre = found.capturedStart() + found.capturedLength() / 2.0;
            qsizetype column = 0;
            for (qsizetype c = 1; c < qsizetype(centres.size()); ++c)
                if (std::abs(centres[c] - centre) < std::abs(centres[column] - centre))
                    column = c;
            row[column] += found.captured();
        }
        rows.push_back(row);
    }
    return rows;
}

// The straight dark lines of a rendered page: horizontal ones as
// {y, x from, x to}, grouped so that a rule a few pixels thick counts once.
struct Rule {
    int at, from, to;
};

std::vector<Rule> HorizontalRules(const QImage& page, int minimumLength)
{
    std::vector<Rule> rules;
    for (int y = 0; y < page.height(); ++y) {
        int best = 0, bestFrom = 0, run = 0;
        for (int x = 0; x < page.width(); ++x) {
            run = qGray(page.pixel(x, y)) < 128 ? run + 1 : 0;
            if (run > best) {
                best = run;
                bestFrom = x - run + 1;
            }
        }
        if (best < minimumLength)
            continue;
        if (!rules.empty() && y - rules.back().at <= 2)
            rules.back().at = y;
        else
            rules.push_back({y, bestFrom, bestFrom + best - 1});
    }
    return rules;
}

// The x of every column of pixels that is dark all the way from top to bottom.
std::vector<int> VerticalRules(const QImage& page, int top, int bottom)
{
    std::vector<int> rules;
    int last = -10;
    for (int x = 0; x < page.width(); ++x) {
        int dark = 0;
        for (int y = top; y <= bottom; ++y)
            dark += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
        if (dark < (bottom - top + 1) * 9 / 10)
            continue;
        if (x - last > 2)
            rules.push_back(x);
        last = x;
    }
    return rules;
}

// Areas 10 and 20, phases 1 to 3. Area 10: two questions in phase 1, two in
// phase 2, one in phase 3; area 20: one in phase 1, one in phase 2, three in
// phase 3. Ten questions in all; children Anna and Bruno, educators Carla and
// Dario. On the file and on the server.
class TableEdit : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        if (IsSkipped())
            return;
        db.AddArea(10, QStringLiteral("Motricit\u00e0"));
        db.AddArea(20, QStringLiteral("Linguaggio"));
        for (int phase = 1; phase <= 3; ++phase)
            db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
        const int cells[][3] = {{10, 1, 2}, {10, 2, 2}, {10, 3, 1}, {20, 1, 1}, {20, 2, 1}, {20, 3, 3}};
        for (const auto& cell : cells)
            for (int order = 1; order <= cell[2]; ++order)
                keys << db.AddQuestion(cell[0], cell[1], order,
                                       QStringLiteral("Domanda %1.%2.%3").arg(cell[0]).arg(cell[1]).arg(order));
        anna = db.AddChild(QStringLiteral("Anna"));
        bruno = db.AddChild(QStringLiteral("Bruno"));
        carla = db.AddTeacher(QStringLiteral("Carla"));
        dario = db.AddTeacher(QStringLiteral("Dario"));
        TSettings::GetInstance()->SetAutoAdvancing(false);
    }
    ~TableEdit() override { TSettings::ReleaseInstance(); }

    // How the child box shows a child of the fixture, with the date of birth.
    static QString ChildItem(const QString& name)
    {
        return name + QStringLiteral(" (") + FormatShortDate(DateTimeFromQDate(QDate(2020, 3, 4))) + u')';
    }

    // The editor on a freshly opened list recordset: in edit mode positioned
    // on the compilation with the given key.
    TFormTableEdit& Open(bool editMode, int key = 0)
    {
        list = db.Db().OpenRecordset(CompilationsListSql());
        if (editMode) {
            for (int position = 1; position <= list->RecordCount(); ++position) {
                list->SetAbsolutePosition(position);
                if (list->GetFieldAsInteger(QStringLiteral("IDCompiledTable")) == key)
                    break;
            }
        }
        editor = std::make_unique<TFormTableEdit>(nullptr, *list, editMode);
        editor->show();
        editor->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        Questions()->setFocus();
        return *editor;
    }

    template <typename T>
    T* Child(const char* name)
    {
        T* child = editor->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QTreeView* Questions() { return Child<QTreeView>("ListViewData"); }
    QTreeWidget* Areas() { return Child<QTreeWidget>("ListViewAreas"); }
    QPushButton* Button(const char* name) { return Child<QPushButton>(name); }
    QString Label(const char* name) { return Child<QLabel>(name)->text(); }
    QString Total() { return Label("LabelTotalPoints"); }
    QStringList Answers() { return Column(Questions(), 4); }
    QString PressedButtons()
    {
        const std::pair<const char*, char> buttons[] = {{"SpeedButtonAnswerYes", 'Y'},
                                                        {"SpeedButtonAnswerSometimes", 'S'},
                                                        {"SpeedButtonAnswerNo", 'N'},
                                                        {"SpeedButtonAnswerDontKnow", 'D'}};
        QString down;
        for (const auto& [name, letter] : buttons)
            if (Button(name)->isChecked())
                down += QLatin1Char(letter);
        return down;
    }
    void Key(char key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(editor->focusWidget(), key, modifiers);
    }
    void SetAutoAdvance(bool on) { Child<QCheckBox>("CheckBoxAvanzaAutomaticamente")->setChecked(on); }
    bool Visible() { return editor->isVisible(); }

    // Opens "Fase di partenza...", picks the phase at the given position and
    // ends the dialog with the given button.
    void SetStartPhase(int phasePosition, const char* button)
    {
        const QByteArray buttonName(button);
        auto ran = OnModal<TFormSetStartPhase>([phasePosition, buttonName](TFormSetStartPhase* dialog) {
            dialog->ComboBoxStartPhase()->setCurrentIndex(phasePosition);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(buttonName)), Qt::LeftButton);
        });
        QTest::mouseClick(Button("BitBtnSetStartPhase"), Qt::LeftButton);
        EXPECT_TRUE(*ran) << "the start-phase dialog did not come up";
    }

    void Refuse(int idQuestion)
    {
        db.RefuseRows("INSERT", QStringLiteral("CompiledTablesAnswers"), QStringLiteral("NEW.IDQuestion=%1").arg(idQuestion));
    }
    void StopRefusing() { db.StopRefusing(); }

    // A compilation of Bruno and Dario with some answers and area 20 starting
    // at phase 2.
    int StoredCompilation()
    {
        db.Db().Execute(QStringLiteral("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                                       "VALUES(%1, %2, '2025-03-14 10:30:00', 'Osservazione di marzo')")
                            .arg(bruno)
                            .arg(dario));
        const int key = db.Db().Lookup(QStringLiteral("SELECT MAX(IDCompiledTable) AS K FROM CompiledTables"),
                                       QStringLiteral("K")).toInt();
        const int answers[] = {0, 1, 2, 3, -1, 0, 2, 0, 1, -1};
        for (int i = 0; i < keys.size(); ++i)
            StoreAnswer(db, key, keys[i], answers[i]);
        StoreStartPhase(db, key, 10, 1);
        StoreStartPhase(db, key, 20, 2);
        return key;
    }

    TestDatabase db{GetParam()};
    ScriptedDialogs dialogs;
    QList<int> keys; // in questionnaire order
    int anna = 0, bruno = 0, carla = 0, dario = 0;
    std::unique_ptr<TNyRecordset> list;
    std::unique_ptr<TFormTableEdit> editor;
};

// What the editor does with keys, buttons and its own fields, whichever
// engine holds the data: on the file only.
class EditorControls : public TableEdit {};

} // namespace

TEST_P(EditorControls, NewCompilationStartsFromTodayTheFirstChildAndEducator)
{
    Open(false);
    const TDateTime today = DateTimeFromQDate(QDate::currentDate());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Nuova compilazione"));
    EXPECT_EQ(editor->size(), QSize(777, 521));
    EXPECT_EQ(Child<QDateEdit>("DateTimePickerDate")->date(), QDate::currentDate());
    EXPECT_EQ(Child<QComboBox>("ComboBoxChild")->currentText(), ChildItem(QStringLiteral("Anna")));
    EXPECT_EQ(Child<QComboBox>("ComboBoxTeacher")->currentText(), QStringLiteral("Carla"));
    EXPECT_EQ(Child<QLineEdit>("EditDescription")->text(),
              QStringLiteral("Descrizione [") + FormatLongDate(today) + QLatin1Char(']'));
    EXPECT_EQ(Answers(), QStringList(10, QStringLiteral("---")));
    EXPECT_EQ(SelectedRow(Questions()), 0);
    EXPECT_EQ(Label("LabelQuestion"), QStringLiteral("Domanda 10.1.1"));
    EXPECT_EQ(Label("LabelAreaDescription"), QStringLiteral("Motricit\u00e0"));
    EXPECT_EQ(Label("LabelPhaseDescription"), QStringLiteral("Fase 1: Fase 1"));
    EXPECT_EQ(Column(Areas(), 2), (QStringList{QStringLiteral("5"), QStringLiteral("5")}));
    EXPECT_EQ(Column(Areas(), 3), (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    EXPECT_EQ(Total(), FormatPoints(0.0));
    EXPECT_FALSE(editor->Modified());

    // Nothing changed: "Annulla" closes without asking and leaves no row.
    const int rows = list->RecordCount();
    QTest::mouseClick(Button("BitBtnCancel"), Qt::LeftButton);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(DialogScript::ShownDialogs().empty());
    EXPECT_EQ(list->RecordCount(), rows - 1) << "the pending new row is dropped";
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 0);
}

TEST_P(TableEdit, StoredCompilationOpensWithItsAnswersStartPhasesAndHeader)
{
    const int key = StoredCompilation();
    Open(true, key);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Modifica compilazione"));
    EXPECT_EQ(Child<QDateEdit>("DateTimePickerDate")->date(), QDate(2025, 3, 14));
    EXPECT_EQ(Child<QComboBox>("ComboBoxChild")->currentText(), ChildItem(QStringLiteral("Bruno")));
    EXPECT_EQ(Child<QComboBox>("ComboBoxTeacher")->currentText(), QStringLiteral("Dario"));
    EXPECT_EQ(Child<QLineEdit>("EditDescription")->text(), QStringLiteral("Osservazione di marzo"));
    // Area 20 starts at phase 2: its phase-1 question is not listed.
    EXPECT_EQ(Column(Questions(), 3),
              (QStringList{"Domanda 10.1.1", "Domanda 10.1.2", "Domanda 10.2.1", "Domanda 10.2.2", "Domanda 10.3.1",
                           "Domanda 20.2.1", "Domanda 20.3.1", "Domanda 20.3.2", "Domanda 20.3.3"}));
    EXPECT_EQ(Answers(),
              (QStringList{"S\u00ec", "A volte", "No", "Non so", "---", "No", "S\u00ec", "A volte", "---"}));
    EXPECT_EQ(Column(Areas(), 3), (QStringList{"1", "2"}));
    // Area 10: (1 + 0.5) / 2 + 0 / 1 + nothing = 0.75; area 20: phase 1
    // achieved, 1 + 0 + (1 + 0.5) / 2 = 1.75.
    EXPECT_EQ(Column(Areas(), 1), (QStringList{FormatPoints(0.75), FormatPoints(1.75)}));
    EXPECT_EQ(Column(Areas(), 2), (QStringList{"1", "1"}));
    EXPECT_EQ(Total(), FormatPoints(2.5));
    EXPECT_EQ(PressedButtons(), QStringLiteral("Y"));
    EXPECT_FALSE(editor->Modified());
    EXPECT_DOUBLE_EQ(editor->DateValue(), DateTimeFromQDateTime(QDateTime(QDate(2025, 3, 14), QTime(10, 30))))
        << "the time of day is kept";
}

TEST_P(EditorControls, LowerCaseKeysAnswerTheSelectedQuestion)
{
    Open(false);
    ClickRow(Questions(), 1);
    Key('s');
    EXPECT_EQ(Answers()[1], QStringLiteral("S\u00ec"));
    EXPECT_EQ(PressedButtons(), QStringLiteral("Y"));
    EXPECT_EQ(SelectedRow(Questions()), 1) << "without auto-advance the selection stays";
    EXPECT_TRUE(editor->Modified());
    Key('v');
    EXPECT_EQ(Answers()[1], QStringLiteral("A volte"));
    EXPECT_EQ(PressedButtons(), QStringLiteral("S"));
    Key('n');
    EXPECT_EQ(Answers()[1], QStringLiteral("No"));
    Key('o');
    EXPECT_EQ(Answers()[1], QStringLiteral("Non so"));
    EXPECT_EQ(PressedButtons(), QStringLiteral("D"));
    Key('o');
    EXPECT_EQ(Answers()[1], QStringLiteral("Non so")) << "a key never releases a button";

    // Capitals, other letters and Ctrl+S are not answers.
    Key('S', Qt::ShiftModifier);
    Key('x');
    Key('s', Qt::ControlModifier);
    EXPECT_EQ(Answers()[1], QStringLiteral("Non so"));

    // The scores follow every key: area 10's phase-1 cell (---, Non so) is 0
    // with one unanswered; then Sì on the first question makes it 1.
    EXPECT_EQ(Areas()->topLevelItem(0)->text(2), QStringLiteral("4"));
    ClickRow(Questions(), 0);
    Key('s');
    EXPECT_EQ(Areas()->topLevelItem(0)->text(1), FormatPoints(1.0));
    EXPECT_EQ(Areas()->topLevelItem(0)->text(2), QStringLiteral("3"));
    EXPECT_EQ(Total(), FormatPoints(1.0));

    // Keys work with the focus on the area list too; Canc takes the answer
    // away as a click on the pressed button does.
    Areas()->setFocus();
    Key('n');
    EXPECT_EQ(Answers()[0], QStringLiteral("No"));
    QTest::keyClick(editor->focusWidget(), Qt::Key_Delete);
    EXPECT_EQ(Answers()[0], QStringLiteral("---"));
    EXPECT_EQ(PressedButtons(), QString());
    EXPECT_EQ(Areas()->topLevelItem(0)->text(2), QStringLiteral("4"));
}

TEST_P(EditorControls, ButtonsAnswerAndAPressedButtonReleasedLeavesTheQuestionUnanswered)
{
    Open(false);
    ClickRow(Questions(), 5); // area 20, phase 1
    QTest::mouseClick(Button("SpeedButtonAnswerYes"), Qt::LeftButton);
    EXPECT_EQ(Answers()[5], QStringLiteral("S\u00ec"));
    EXPECT_EQ(Areas()->topLevelItem(1)->text(2), QStringLiteral("4"));
    EXPECT_EQ(Areas()->topLevelItem(1)->text(1), FormatPoints(1.0));

    QTest::mouseClick(Button("SpeedButtonAnswerNo"), Qt::LeftButton);
    EXPECT_EQ(PressedButtons(), QStringLiteral("N")) << "pressing one releases the others";
    EXPECT_EQ(Answers()[5], QStringLiteral("No"));
    EXPECT_EQ(Areas()->topLevelItem(1)->text(1), FormatPoints(0.0));

    QTest::mouseClick(Button("SpeedButtonAnswerNo"), Qt::LeftButton);
    EXPECT_EQ(PressedButtons(), QString());
    EXPECT_EQ(Answers()[5], QStringLiteral("---"));
    EXPECT_EQ(Areas()->topLevelItem(1)->text(2), QStringLiteral("5")) << "unanswered again";
    EXPECT_EQ(editor->Questionnaire().QuestionList[5].Answer, AnswerNone);

    // Moving away and back shows the question's own answer on the buttons.
    QTest::mouseClick(Button("SpeedButtonAnswerSometimes"), Qt::LeftButton);
    ClickRow(Questions(), 6);
    EXPECT_EQ(PressedButtons(), QString());
    ClickRow(Questions(), 5);
    EXPECT_EQ(PressedButtons(), QStringLiteral("S"));
}

TEST_P(EditorControls, AutoAdvanceMovesOnButStaysOnTheLastRow)
{
    TSettings::GetInstance()->SetAutoAdvancing(true);
    Open(false);
    EXPECT_TRUE(Child<QCheckBox>("CheckBoxAvanzaAutomaticamente")->isChecked()) << "taken from the settings";
    Key('s');
    Key('v');
    EXPECT_EQ(SelectedRow(Questions()), 2);
    EXPECT_EQ(Label("LabelQuestion"), QStringLiteral("Domanda 10.2.1"));
    EXPECT_EQ(Answers().mid(0, 3), (QStringList{"S\u00ec", "A volte", "---"}));

    ClickRow(Questions(), 9);
    Key('n');
    EXPECT_EQ(SelectedRow(Questions()), 9);
    EXPECT_EQ(Answers()[9], QStringLiteral("No"));
    Key('s');
    EXPECT_EQ(Answers()[9], QStringLiteral("S\u00ec")) << "the last row is answered again, not skipped";

    // Stored back on OK, off as the user left it.
    SetAutoAdvance(false);
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(TSettings::GetInstance()->AutoAdvancing());
}

TEST_P(EditorControls, AutoAdvanceKeepsTheQuestionsToComeInView)
{
    TSettings::GetInstance()->SetAutoAdvancing(true);
    Open(false);
    editor->resize(editor->minimumSizeHint());
    QApplication::processEvents();
    QTreeView* list = Questions();
    const auto shown = [list](int row) {
        return list->viewport()->rect().contains(list->visualRect(list->model()->index(row, 0)));
    };
    ASSERT_FALSE(shown(list->model()->rowCount() - 1)) << "the list must be too short for its rows";
    int moves = 0;
    for (int row = 1; row < list->model()->rowCount() - 1; ++row) {
        SCOPED_TRACE(row);
        const int before = list->verticalScrollBar()->value();
        Key('s');
        ASSERT_EQ(SelectedRow(list), row);
        EXPECT_TRUE(shown(row));
        // Where the list moves, the next question shows below the current one.
        if (list->verticalScrollBar()->value() != before) {
            ++moves;
            EXPECT_TRUE(shown(row + 1));
        }
    }
    EXPECT_GT(moves, 0);
}

TEST_P(EditorControls, LettersTypedIntoTheHeaderFieldsAreNotAnswers)
{
    Open(false);
    auto* description = Child<QLineEdit>("EditDescription");
    description->clear();
    description->setFocus();
    QTest::keyClicks(description, QStringLiteral("sono nove"));
    EXPECT_EQ(description->text(), QStringLiteral("sono nove"));

    auto* child = Child<QComboBox>("ComboBoxChild");
    child->setFocus();
    child->lineEdit()->selectAll();
    QTest::keyClick(child, 'b');
    EXPECT_EQ(child->currentText(), QStringLiteral("b")) << "the box's own search";
    QTest::keyClick(child->completer()->popup(), Qt::Key_Escape);
    auto* date = Child<QDateEdit>("DateTimePickerDate");
    date->setFocus();
    QTest::keyClick(date, 's');
    QTest::keyClick(date, 'n');

    EXPECT_EQ(Answers(), QStringList(10, QStringLiteral("---")));
    EXPECT_EQ(PressedButtons(), QString());
}

TEST_P(EditorControls, StartPhaseForTheCurrentAreaHidesItsEarlierQuestionsAndRescores)
{
    Open(false);
    ClickRow(Questions(), 1);
    Key('s');
    EXPECT_EQ(Areas()->topLevelItem(0)->text(1), FormatPoints(1.0));
    ClickRow(Questions(), 5); // area 20 is now the current area
    SetStartPhase(1, "BitBtnApplyToCurrentArea");

    EXPECT_EQ(Column(Areas(), 3), (QStringList{"1", "2"}));
    EXPECT_EQ(Column(Questions(), 3),
              (QStringList{"Domanda 10.1.1", "Domanda 10.1.2", "Domanda 10.2.1", "Domanda 10.2.2", "Domanda 10.3.1",
                           "Domanda 20.2.1", "Domanda 20.3.1", "Domanda 20.3.2", "Domanda 20.3.3"}));
    EXPECT_EQ(Answers()[1], QStringLiteral("S\u00ec")) << "answers survive the rebuilt list";
    // Area 20's phase 1 now counts as achieved.
    EXPECT_EQ(Column(Areas(), 1), (QStringList{FormatPoints(1.0), FormatPoints(1.0)}));
    EXPECT_EQ(Column(Areas(), 2), (QStringList{"4", "4"}));
    EXPECT_EQ(Total(), FormatPoints(2.0));
    // The selection follows the area list to area 20's first active question.
    EXPECT_EQ(Label("LabelQuestion"), QStringLiteral("Domanda 20.2.1"));
    EXPECT_TRUE(editor->Modified());

    // The dialog offers the phases and starts from the current area's phase.
    auto seen = std::make_shared<QString>();
    auto ran = OnModal<TFormSetStartPhase>([seen](TFormSetStartPhase* dialog) {
        QStringList items;
        for (int i = 0; i < dialog->ComboBoxStartPhase()->count(); ++i)
            items << dialog->ComboBoxStartPhase()->itemText(i);
        *seen = items.join(QLatin1Char('/')) + QLatin1Char('@') + dialog->ComboBoxStartPhase()->currentText()
            + QLatin1Char('@') + dialog->windowTitle();
        dialog->reject();
    });
    QTest::mouseClick(Button("BitBtnSetStartPhase"), Qt::LeftButton);
    EXPECT_TRUE(*ran);
    EXPECT_EQ(*seen, QStringLiteral("1 (Fase 1)/2 (Fase 2)/3 (Fase 3)@2 (Fase 2)@Impostazione fase di partenza"));
    EXPECT_EQ(Column(Areas(), 3), (QStringList{"1", "2"})) << "cancelled: nothing changes";
}

TEST_P(EditorControls, StartPhaseForEveryAreaHidesEveryEarlierQuestion)
{
    const int key = StoredCompilation();
    Open(true, key);
    SetStartPhase(2, "BitBtnApplyToEveryArea");
    EXPECT_EQ(Column(Areas(), 3), (QStringList{"3", "3"}));
    EXPECT_EQ(Column(Questions(), 3),
              (QStringList{"Domanda 10.3.1", "Domanda 20.3.1", "Domanda 20.3.2", "Domanda 20.3.3"}));
    // Phases 1 and 2 count 1 each; area 10's phase 3 is unanswered, area 20's
    // is (Sì + A volte) / 2.
    EXPECT_EQ(Column(Areas(), 1), (QStringList{FormatPoints(2.0), FormatPoints(2.75)}));
    EXPECT_EQ(Column(Areas(), 2), (QStringList{"1", "1"}));
    EXPECT_EQ(Total(), FormatPoints(4.75));
    EXPECT_EQ(SelectedRow(Questions()), 0);
    EXPECT_EQ(Label("LabelQuestion"), QStringLiteral("Domanda 10.3.1"));
}

TEST_P(EditorControls, AreaClickSelectsTheAreasFirstActiveQuestion)
{
    Open(false);
    ClickRow(Areas(), 1);
    EXPECT_EQ(SelectedRow(Questions()), 5);
    EXPECT_EQ(Label("LabelAreaDescription"), QStringLiteral("Linguaggio"));
    ClickRow(Areas(), 0);
    EXPECT_EQ(SelectedRow(Questions()), 0);
    // The arrow keys move through the areas as clicks do.
    QTest::keyClick(Areas(), Qt::Key_Down);
    EXPECT_EQ(SelectedRow(Questions()), 5);
}

TEST_P(EditorControls, ChangedDateAsksBeforeClosing)
{
    const int key = StoredCompilation();
    const QStringList before = StoredCompilations(db);
    Open(true, key);
    auto* date = Child<QDateEdit>("DateTimePickerDate");
    date->setFocus();
    QTest::keyClick(date, Qt::Key_Up);
    EXPECT_NE(date->date(), QDate(2025, 3, 14));
    EXPECT_TRUE(editor->Modified());

    DialogScript::PushAnswer(TBoxAnswer::No);
    QTest::mouseClick(Button("BitBtnCancel"), Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), QStringList{Message19001()});
    EXPECT_TRUE(Visible()) << "No keeps the window open";

    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::keyClick(date, Qt::Key_Escape);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(StoredCompilations(db), before);
    EXPECT_EQ(list->GetFieldAsInteger(QStringLiteral("IDCompiledTable")), key);
    EXPECT_EQ(list->GetFieldAsString(QStringLiteral("Description")), QStringLiteral("Osservazione di marzo"));
}

TEST_P(TableEdit, FailedSaveInTheMiddleOfTheAnswersStoresNothingAndKeepsTheInput)
{
    const int key = StoredCompilation();
    const QStringList before = StoredCompilations(db);
    Open(true, key);
    SetAutoAdvance(true);
    ClickRow(Questions(), 0);
    for (char answer : {'n', 'n', 'n', 'n', 'n', 'n', 'n', 'n'})
        Key(answer);
    SetStartPhase(0, "BitBtnApplyToEveryArea");
    Child<QLineEdit>("EditDescription")->setText(QStringLiteral("Riveduta"));
    Refuse(keys[6]);

    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    ASSERT_TRUE(Visible()) << "the editor stays open";
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message11301())) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("refused")));
    EXPECT_EQ(StoredCompilations(db), before) << "header, start phases and answers as before the save";
    EXPECT_EQ(list->GetFieldAsString(QStringLiteral("Description")), QStringLiteral("Osservazione di marzo"))
        << "the list's row shows what is stored";
    EXPECT_EQ(Child<QLineEdit>("EditDescription")->text(), QStringLiteral("Riveduta"));
    EXPECT_EQ(Answers()[3], QStringLiteral("No"));
    EXPECT_TRUE(editor->isEnabled()) << "the progress window gave the editor back";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(editor->Modified());

    // "Annulla" now asks; No keeps the input.
    DialogScript::PushAnswer(TBoxAnswer::No);
    QTest::mouseClick(Button("BitBtnCancel"), Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), QStringList{Message19001()});
    ASSERT_TRUE(Visible());

    // Once the database accepts, the next OK stores everything.
    StopRefusing();
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables"),
                       QStringLiteral("IDCompiledTable=%1 AND IDChild=%2 AND IDTeacher=%3 AND "
                                      "DateTime='2025-03-14 10:30:00' AND Description='Riveduta'")
                           .arg(key)
                           .arg(bruno)
                           .arg(dario)),
              1);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1 AND IDAnswer=2").arg(key)),
              8);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"),
                       QStringLiteral("IDCompiledTable=%1 AND IDQuestion=%2 AND IDAnswer=0").arg(key).arg(keys[5])),
              1) << "the question area 20 had hidden keeps its stored answer";
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1").arg(key)), 10);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesStartPhase"), QStringLiteral("IDCompiledTable=%1 AND IDPhase=1").arg(key)),
              2);
}

TEST_P(TableEdit, AfterTwoDifferentFailedSavesCancelLeavesTheListRowAsStored)
{
    const int key = StoredCompilation();
    Open(true, key);
    Child<QLineEdit>("EditDescription")->setText(QStringLiteral("Mai salvata"));
    db.RefuseRows("UPDATE", QStringLiteral("CompiledTables"), QString(), QStringLiteral("header refused"));
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    db.StopRefusing();
    Refuse(keys[2]);
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("header refused")));
    EXPECT_TRUE(warnings[1].contains(QStringLiteral("refused")));

    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::mouseClick(Button("BitBtnCancel"), Qt::LeftButton);
    ASSERT_FALSE(Visible());
    EXPECT_EQ(list->GetFieldAsString(QStringLiteral("Description")), QStringLiteral("Osservazione di marzo"));
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables"), QStringLiteral("Description='Osservazione di marzo'")), 1);
}

TEST_P(TableEdit, NewCompilationWhoseFirstSaveFailedIsStoredOnceUnderItsOwnKey)
{
    const int earlier = StoredCompilation();
    const QStringList before = StoredCompilations(db);
    Open(false);
    SetAutoAdvance(true);
    for (char answer : {'s', 'v', 'n', 'o', 's', 's', 'v', 'n', 's', 's'})
        Key(answer);
    Refuse(keys[7]);
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    ASSERT_TRUE(Visible());
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")).size(), 1);
    EXPECT_EQ(StoredCompilations(db), before) << "no orphan header row, no partial answers";

    StopRefusing();
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    ASSERT_FALSE(Visible()) << DialogScript::Texts(QStringLiteral("warning")).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 2) << "one new row, not two";
    const int key = list->GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
    EXPECT_NE(key, earlier);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables"), QStringLiteral("IDCompiledTable=%1 AND IDChild=%2").arg(key).arg(anna)), 1);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1").arg(key)), 10);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesStartPhase"), QStringLiteral("IDCompiledTable=%1").arg(key)), 2);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers")), 20);
}

TEST_P(TableEdit, SavedNewCompilationReopensIdentical)
{
    Open(false);
    Child<QComboBox>("ComboBoxChild")->setCurrentIndex(1);
    Child<QComboBox>("ComboBoxTeacher")->setCurrentIndex(1);
    Child<QLineEdit>("EditDescription")->setText(QStringLiteral("Prima osservazione"));
    SetAutoAdvance(true);
    Questions()->setFocus();
    for (char answer : {'s', 'v', 'n', 'o'})
        Key(answer);
    ClickRow(Questions(), 8);
    Key('s');
    Key('v');
    ClickRow(Areas(), 0);
    SetStartPhase(1, "BitBtnApplyToCurrentArea");
    const QStringList answers = Answers();
    const QStringList areaRows = Column(Areas(), 1) + Column(Areas(), 2) + Column(Areas(), 3);
    const QString total = Total();
    std::vector<std::uint8_t> codes;
    for (const TQuestion& question : editor->Questionnaire().QuestionList)
        codes.push_back(question.Answer);

    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    ASSERT_FALSE(Visible());
    const int key = list->GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
    editor.reset();

    Open(true, key);
    EXPECT_EQ(Child<QComboBox>("ComboBoxChild")->currentText(), ChildItem(QStringLiteral("Bruno")));
    EXPECT_EQ(Child<QComboBox>("ComboBoxTeacher")->currentText(), QStringLiteral("Dario"));
    EXPECT_EQ(Child<QLineEdit>("EditDescription")->text(), QStringLiteral("Prima osservazione"));
    EXPECT_EQ(Child<QDateEdit>("DateTimePickerDate")->date(), QDate::currentDate());
    EXPECT_EQ(Answers(), answers);
    EXPECT_EQ(Column(Areas(), 1) + Column(Areas(), 2) + Column(Areas(), 3), areaRows);
    EXPECT_EQ(Total(), total);
    std::vector<std::uint8_t> reloaded;
    for (const TQuestion& question : editor->Questionnaire().QuestionList)
        reloaded.push_back(question.Answer);
    EXPECT_EQ(reloaded, codes) << "the hidden phase-1 answers of area 10 were saved too";
}

TEST_P(EditorControls, ExportAsksAboutUnansweredQuestionsWritesTheReportAndPrints)
{
    const int key = StoredCompilation();
    Open(true, key);
    const QString file = db.Path(QStringLiteral("report.html"));

    // Unanswered questions: No ends the command before the save dialog.
    DialogScript::PushAnswer(TBoxAnswer::No);
    QTest::mouseClick(Button("BitBtnExportAndPrint"), Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), QStringList{Message21002()});
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("save")).isEmpty());

    // Yes, a file name, and Yes to printing.
    DialogScript::ClearShown();
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushText(file);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushAnswer(TBoxAnswer::Ok);
    QTest::mouseClick(Button("BitBtnExportAndPrint"), Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("save")), QStringList{"Esportazione e stampa compilazione"});
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), (QStringList{Message21002(), Message21000()}));
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("print")), QStringList{file});
    QFile report(file);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QString html = QString::fromLatin1(report.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("Bruno"))) << "the child chosen in the editor";
    EXPECT_TRUE(html.contains(QStringLiteral("Dario")));
    EXPECT_TRUE(html.contains(QStringLiteral("Osservazione di marzo")));
    EXPECT_TRUE(html.contains(QStringLiteral("Totale: ") + Total()));
    EXPECT_FALSE(editor->Modified()) << "exporting changes nothing";

    // A folder that does not exist: message 21001, nothing printed.
    DialogScript::ClearShown();
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushText(db.Path(QStringLiteral("missing/report.html")));
    QTest::mouseClick(Button("BitBtnExportAndPrint"), Qt::LeftButton);
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message21001()));
    EXPECT_GT(warnings[0].size(), Message21001().size()) << "followed by the reason";
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("print")).isEmpty());
    EXPECT_FALSE(QFile::exists(db.Path(QStringLiteral("missing/report.html"))));
}

// Printing is a module loaded on first use: without it the report is still
// saved, and the message says what is missing.
TEST_P(EditorControls, WithoutThePrintModuleTheSavedReportIsNotPrintedAndTheErrorSaysWhy)
{
    const int key = StoredCompilation();
    Open(true, key);
    const QString file = db.Path(QStringLiteral("report.html"));
    const QString pdf = db.Path(QStringLiteral("report.pdf"));
    const QString missing = db.Path(QStringLiteral("missing/baltero-print.so"));
    const QByteArray ownModule = qgetenv(kPrintModuleVariable);
    qputenv(kPrintModuleVariable, missing.toLocal8Bit());
    DialogScript::PrintToPdf(pdf);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushText(file);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushAnswer(TBoxAnswer::Ok);
    QTest::mouseClick(Button("BitBtnExportAndPrint"), Qt::LeftButton);
    qputenv(kPrintModuleVariable, ownModule);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_FALSE(QFile::exists(pdf));
    const QStringList errors = DialogScript::Texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("La stampa non \u00e8 possibile: manca il modulo di stampa (") + missing))
        << qPrintable(errors[0]);
}

TEST_P(EditorControls, ThePrintedReportHasTheGridAndTheColumnsOfTheSavedOne)
{
    const int key = StoredCompilation();
    db.Db().Execute(QStringLiteral("UPDATE Children SET DateOfBirth=NULL WHERE IDChild=%1").arg(bruno));
    Open(true, key);
    const QString file = db.Path(QStringLiteral("report.html"));
    const QString pdf = db.Path(QStringLiteral("report.pdf"));
    DialogScript::PrintToPdf(pdf);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushText(file);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushAnswer(TBoxAnswer::Ok);
    QTest::mouseClick(Button("BitBtnExportAndPrint"), Qt::LeftButton);
    ASSERT_EQ(DialogScript::Texts(QStringLiteral("print")), QStringList{file});
    QFile report(file);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QString html = QString::fromLatin1(report.readAll());
    std::vector<QStringList> saved = ReportRows(html);
    ASSERT_EQ(saved.size(), 5u) << "three phases of area 10, two of area 20";
    for (QStringList& row : saved)
        row.replaceInStrings(QRegularExpression(QStringLiteral("^ $")), QString());

    // A child without a date of birth: nothing after the label, on file and
    // on paper.
    EXPECT_TRUE(html.contains(QStringLiteral("Data di nascita: \r\n</b>\r\n\r\n</td>"))) << qPrintable(html);
    const QString text = QString::fromUtf8(Poppler(QStringLiteral("pdftotext"), {"-layout", pdf, "-"}));
    EXPECT_TRUE(text.contains(QStringLiteral("Data di nascita:"))) << qPrintable(text);
    EXPECT_FALSE(text.contains(QStringLiteral("1899"))) << qPrintable(text);

    // Each value stands apart under its own heading.
    EXPECT_EQ(PrintedRows(text), saved) << qPrintable(text);

    // A grid of 1 + 5 rows and 8 columns, as wide as the text on the page:
    // from the left edge of the header to the right edge of the footer.
    Poppler(QStringLiteral("pdftoppm"), {"-r", "100", "-gray", "-png", "-singlefile", pdf, db.Path(QStringLiteral("page"))});
    const QImage page(db.Path(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    int inkLeft = page.width(), inkRight = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
    const std::vector<Rule> rows = HorizontalRules(page, page.width() / 2);
    ASSERT_EQ(rows.size(), 7u) << "one rule above, below and between the rows of the results table";
    for (const Rule& rule : rows) {
        SCOPED_TRACE(rule.at);
        EXPECT_NEAR(rule.from, inkLeft, 3);
        EXPECT_NEAR(rule.to, inkRight, 3);
    }
    const std::vector<int> columns = VerticalRules(page, rows.front().at, rows.back().at);
    ASSERT_EQ(columns.size(), 9u) << "one rule left, right and between the columns";
    EXPECT_NEAR(columns.front(), rows.front().from, 2);
    EXPECT_NEAR(columns.back(), rows.front().to, 2);
}

TEST_P(EditorControls, ExportOfAFullyAnsweredCompilationAsksNothingBeforeTheSaveDialog)
{
    Open(false);
    SetAutoAdvance(true);
    for (int i = 0; i < 10; ++i)
        Key('s');
    // Cancelling the save dialog writes nothing.
    DialogScript::PushText(std::nullopt);
    QTest::mouseClick(Button("BitBtnExportAndPrint"), Qt::LeftButton);
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("question")).isEmpty());
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("save")).size(), 1);
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("print")).isEmpty());
}

TEST_P(TableEdit, ALongStoredDescriptionIsNotCutByTheEditor)
{
    const int key = StoredCompilation();
    const QString description = QStringLiteral("Copia di ").repeated(12) + QStringLiteral("Osservazione");
    db.Db().Execute(QStringLiteral("UPDATE CompiledTables SET Description='%1' WHERE IDCompiledTable=%2")
                        .arg(description)
                        .arg(key));
    Open(true, key);
    EXPECT_EQ(Child<QLineEdit>("EditDescription")->text(), description);
    Key('s');
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    ASSERT_FALSE(Visible());
    EXPECT_EQ(db.Db().Lookup(QStringLiteral("SELECT Description FROM CompiledTables WHERE IDCompiledTable=%1").arg(key),
                             QStringLiteral("Description")),
              description);
}

struct TypedObservationCase {
    QString typed;
    QDate stored;    // invalid: refused
    QString refusal; // the warning when refused
};

// The children were born on 4 March 2020.
TEST_P(TableEdit, ObservationDateTypedByHandIsStoredAsTypedAndNeverBeforeTheBirth)
{
    const QString field = TFormTableEdit::DateFieldName();
    const QString birth = QStringLiteral("la data di nascita del bambino");
    const TypedObservationCase cases[] = {
        {QStringLiteral("12/03/2023"), QDate(2023, 3, 12), {}},
        {QStringLiteral("4-3-20"), QDate(2020, 3, 4), {}},
        {QStringLiteral("01022024"), QDate(2024, 2, 1), {}},
        {QStringLiteral("30/02/2024"), {}, DateNotValidText(field, QStringLiteral("30/02/2024"))},
        {QStringLiteral("03/03/2020"), {}, DateTooEarlyText(field, birth, QDate(2020, 3, 4))},
    };
    for (const TypedObservationCase& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        DialogScript::ClearShown();
        const int before = db.Count(QStringLiteral("CompiledTables"));
        Open(false);
        auto* date = Child<QDateEdit>("DateTimePickerDate");
        date->setFocus();
        QTest::keyClicks(date, c.typed);
        QTest::keyClick(date, Qt::Key_Tab);
        EXPECT_EQ(Answers(), QStringList(10, QStringLiteral("---"))) << "digits are no answer keys";
        QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
        if (c.stored.isValid()) {
            ASSERT_FALSE(Visible()) << DialogScript::Texts(QStringLiteral("warning")).join(QLatin1Char('\n')).toStdString();
            const QString stored = db.Db().Lookup(
                QStringLiteral("SELECT CAST(DateTime AS TEXT) AS D FROM CompiledTables ORDER BY IDCompiledTable DESC"),
                QStringLiteral("D"));
            EXPECT_EQ(stored, c.stored.toString(Qt::ISODate) + QStringLiteral(" 00:00:00"));
            continue;
        }
        ASSERT_TRUE(Visible());
        EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{c.refusal});
        EXPECT_EQ(editor->focusWidget(), date);
        EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), before);
        DialogScript::PushAnswer(TBoxAnswer::Yes);
        QTest::mouseClick(Button("BitBtnCancel"), Qt::LeftButton);
        EXPECT_FALSE(Visible());
    }
}

namespace {

TEST_P(EditorControls, EveryControlThatTakesTheFocusHasAnAccessibleName)
{
    Open(false);
    QStringList unnamed;
    int reachable = 0;
    for (QWidget* widget : editor->findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy() || !widget->isVisibleTo(editor.get()))
            continue;
        ++reachable;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << widget->objectName();
    }
    EXPECT_EQ(unnamed, QStringList());
    EXPECT_GE(reachable, 10);
}

TEST_P(EditorControls, TheChosenAnswerStandsOutAndTheAnswerButtonsTakeNoFocus)
{
    Open(false);
    ClickRow(Questions(), 0);
    QTest::mouseClick(Button("SpeedButtonAnswerYes"), Qt::LeftButton);
    ASSERT_EQ(PressedButtons(), QStringLiteral("Y"));
    // The face of a button beside its caption, away from the frame.
    auto face = [](QPushButton* button) {
        const QImage image = button->grab().toImage();
        return QColor(image.pixel(image.width() / 10 + 4, image.height() / 2));
    };
    const QColor chosen = face(Button("SpeedButtonAnswerYes"));
    const QColor other = face(Button("SpeedButtonAnswerNo"));
    EXPECT_GE(other.lightness() - chosen.lightness(), 100) << chosen.name().toStdString() << " " << other.name().toStdString();
    for (const char* name : {"SpeedButtonAnswerYes", "SpeedButtonAnswerSometimes", "SpeedButtonAnswerNo",
                             "SpeedButtonAnswerDontKnow"})
        EXPECT_EQ(Button(name)->focusPolicy(), Qt::NoFocus) << name;
}

TEST_P(EditorControls, TheScreenAfterAnswersShowsWhatTheWindowDraws)
{
    // The controls that change on every answer repaint alone, over a kept
    // picture of the box beneath them; a stale picture or a control that
    // leaves part of itself unpainted shows on the screen and not in a
    // fresh drawing of the window.
    TSettings::GetInstance()->SetAutoAdvancing(true);
    Open(false);
    editor->resize(editor->minimumSizeHint());
    QApplication::processEvents();
    const auto screen = [&] {
        // A resize lays the window out and paints it over more than one turn
        // of the event loop.
        QTest::qWait(20);
        return editor->screen()->grabWindow(editor->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto drawn = [&] { return editor->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    for (char key : {'s', 'v', 'n', 'o', 's', 's', 'v', 'n'})
        Key(key);
    // The screen first: the window's drawing lays out what is pending.
    QImage shown = screen();
    EXPECT_EQ(shown, drawn());
    ClickRow(Questions(), 0);
    QTest::mouseClick(Button("SpeedButtonAnswerYes"), Qt::LeftButton);
    QTest::mouseClick(Button("SpeedButtonAnswerYes"), Qt::LeftButton);
    editor->resize(editor->size() + QSize(120, 90));
    Key('n');
    shown = screen();
    EXPECT_EQ(shown, drawn());

    // The captions of the boxes are blue; the labels inside them are not.
    const QImage image = drawn();
    const auto bluePixels = [&](const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                count += qBlue(pixel) > 200 && qRed(pixel) < 100 && qGreen(pixel) < 100 ? 1 : 0;
            }
        return count;
    };
    const auto areaOf = [&](QWidget* widget) { return QRect(widget->mapTo(editor.get(), QPoint(0, 0)), widget->size()); };
    auto* box = Child<QWidget>("GroupBoxQuestion");
    EXPECT_GT(bluePixels(areaOf(box).adjusted(0, 0, 0, box->fontMetrics().height() - box->height())), 20);
    EXPECT_EQ(bluePixels(areaOf(Child<QLabel>("LabelQuestion"))), 0);
    EXPECT_EQ(bluePixels(areaOf(Child<QLabel>("LabelTotalPoints"))), 0);
}

TEST_P(EditorControls, ListRowsHoldTheWholeLineAboveTheGridAtAnyFontSize)
{
    const QFont original = QApplication::font();
    for (int pointSize : {9, 16}) {
        SCOPED_TRACE(pointSize);
        QFont font = original;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        Open(false);
        for (QTreeView* list : {Questions(), static_cast<QTreeView*>(Areas())}) {
            const int lineSpacing = list->fontMetrics().lineSpacing();
            // The grid line takes the row's last pixel line.
            EXPECT_GE(list->visualRect(list->model()->index(0, 0)).height() - 1, lineSpacing) << list->objectName().toStdString();
        }
        editor->reject();
        editor.reset();
    }
    QApplication::setFont(original);
}

TEST_P(TableEdit, ChildAndEducatorBoxesAreOrderedByNameShowTheBirthAndAreFoundByAnyPart)
{
    const int abramo = db.AddChild(QStringLiteral("Abramo Rossi"));
    db.AddTeacher(QStringLiteral("Adele"));
    Open(false);
    auto* child = Child<QComboBox>("ComboBoxChild");
    const QString born = QStringLiteral(" (") + FormatShortDate(DateTimeFromQDate(QDate(2020, 3, 4))) + u')';
    QStringList children;
    for (int i = 0; i < child->count(); ++i)
        children << child->itemText(i);
    EXPECT_EQ(children, QStringList({"Abramo Rossi" + born, "Anna" + born, "Bruno" + born}));
    auto* teacher = Child<QComboBox>("ComboBoxTeacher");
    EXPECT_EQ(teacher->itemText(0), QStringLiteral("Adele"));
    EXPECT_EQ(teacher->itemText(2), QStringLiteral("Dario"));

    // Any part of the name, any letter case: only the matches are offered,
    // and choosing one selects that child.
    child->setFocus();
    child->lineEdit()->selectAll();
    QTest::keyClicks(child->lineEdit(), QStringLiteral("ROSS"));
    QCompleter* completer = child->completer();
    ASSERT_NE(completer, nullptr);
    EXPECT_EQ(completer->completionCount(), 1);
    EXPECT_EQ(completer->currentCompletion(), "Abramo Rossi" + born);
    EXPECT_EQ(Answers(), QStringList(10, QStringLiteral("---"))) << "letters typed into the box are no answers";
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    EXPECT_EQ(child->currentIndex(), 0);

    // A text that names no child gives back the chosen one when left.
    child->lineEdit()->selectAll();
    QTest::keyClicks(child->lineEdit(), QStringLiteral("nessuno"));
    Child<QLineEdit>("EditDescription")->setFocus();
    EXPECT_EQ(child->currentText(), "Abramo Rossi" + born);

    Child<QLineEdit>("EditDescription")->setText(QStringLiteral("Scelto cercando"));
    QTest::mouseClick(Button("BitBtnOK"), Qt::LeftButton);
    ASSERT_FALSE(Visible());
    EXPECT_EQ(db.Rows(QStringLiteral("SELECT IDChild, Description FROM CompiledTables")),
              QStringList{QStringLiteral("%1|Scelto cercando").arg(abramo)});
}

} // namespace

INSTANTIATE_FOR_EACH_PROVIDER(TableEdit);
INSTANTIATE_TEST_SUITE_P(, EditorControls, ::testing::Values(TestProvider::File), ProviderName);
