// After OK, duplicate and delete a list window changes only the row concerned
// (the compilations list holds thousands): what it then shows, searched and
// ordered by the user's column or not, must be what a window opened afresh
// shows, and the rows must still lead to their records.
#include "RecordWindowsTestSupport.h"
#include "WindowTestSupport.h"

#include "ListFinder.h"
#include "NyRecordset.h"

#include <QHeaderView>
#include <QLabel>

namespace {

struct TListView {
    QList<QStringList> rows;    // the cells and the record's position: the rows shown top to bottom, then
                                // the records the search leaves out, in the recordset's order
    QString count;              // "3 di 5"
    QList<QStringList> records; // every field of the recordset, in order

    bool operator==(const TListView&) const = default;
};

void PrintTo(const TListView& view, std::ostream* out)
{
    *out << view.count.toStdString();
    for (const QStringList& row : view.rows)
        *out << "\n  " << row.join(QLatin1String(" | ")).toStdString();
}

TListView ViewOf(TFormRSShow* window)
{
    TListView view;
    const TRecordListModel& list = *window->ListModel();
    const auto row = [&list](int record, const char* shown) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c)
            cells << list.Text(record, c);
        return cells << QLatin1String(shown) << QString::number(record + 1);
    };
    for (int r = 0; r < list.rowCount(); ++r) {
        view.rows << row(list.RecordOfRow(r), "shown");
        // What the view reads is what the model holds for that record.
        for (int c = 0; c < list.columnCount(); ++c)
            EXPECT_EQ(list.index(r, c).data().toString(), view.rows.last()[c]);
    }
    for (int record = 0; record < list.RecordCount(); ++record)
        if (list.RowOfRecord(record) < 0)
            view.rows << row(record, "hidden");
    view.count = window->findChild<QLabel*>(QStringLiteral("LabelShownRows"))->text();
    // Read to the end, where filling the list leaves the recordset.
    TNyRecordset& recordset = *window->Recordset();
    for (recordset.MoveFirst(); !recordset.Eof(); recordset.MoveNext()) {
        QStringList fields;
        for (int f = 0; f < recordset.FieldCount(); ++f)
            fields << recordset.GetFieldAsString(f);
        view.records << fields;
    }
    return view;
}

class ListUpdateTest : public RecordWindowTest {
public:
    explicit ListUpdateTest(TestProvider provider = TestProvider::File)
        : RecordWindowTest(provider)
    {
    }

    void SetUp() override
    {
        RecordWindowTest::SetUp();
        if (IsSkipped())
            return;
        for (const char* name : {"Carla", "Anna", "Dario", "Bruno"}) {
            db_.AddChild(QLatin1String(name));
            db_.AddTeacher(QLatin1String(name));
        }
        db_.AddArea(1, QStringLiteral("Autonomia"));
        db_.AddPhase(1, QStringLiteral("Prima"));
        for (const char* text : {"Cammina", "Corre", "Salta"})
            db_.AddQuestion(1, 1, db_.Count(QStringLiteral("Questions")) + 1, QLatin1String(text));
        // One date, child and educator: the description orders the rows.
        for (const char* description : {"H", "B", "F", "D"})
            db_.Db().Execute(QStringLiteral("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                                            "VALUES(1, 1, '2025-03-01 00:00:00', '%1')")
                                 .arg(QLatin1String(description)));
    }

    // The compilation editor asks before saving unanswered questions.
    void Saved(const char* button, const char* field, const QString& text, bool confirm = false)
    {
        ClickAndDrive(Button(button), [field, text, confirm](QDialog* dialog) {
            if (auto* line = dialog->findChild<QLineEdit*>(QLatin1String(field)))
                line->setText(text);
            else
                Field<QPlainTextEdit>(dialog, field)->setPlainText(text);
            if (confirm)
                DialogScript::PushAnswer(TBoxAnswer::Yes);
            ClickOK(dialog);
        });
    }
    void Answered(const char* button)
    {
        DialogScript::PushAnswer(TBoxAnswer::Yes);
        QTest::mouseClick(Button(button), Qt::LeftButton);
    }

    void OrderBy(int column, bool descending)
    {
        QHeaderView* header = List()->header();
        for (int click = 0; click < (descending ? 2 : 1); ++click)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
    }
};

struct TListAction {
    const char* name;
    TRecordWindow window;
    const char* search;
    int orderColumn; // -1: the window's own order
    bool descending;
    int row; // selected before the action
    std::function<void(ListUpdateTest&)> act;
    bool reloadsAll; // the window rewrites other rows too
};

const TListAction kActions[] = {
    {"NewChild", TRecordWindow::Children, "", -1, false, 1,
     [](ListUpdateTest& t) { t.Saved("BitBtnNew", "EditName", QStringLiteral("Bice")); }, false},
    // Renamed out of the search: the row stays, hidden.
    {"EditChildSearchedAndOrdered", TRecordWindow::Children, "a", 0, true, 0,
     [](ListUpdateTest& t) { t.Saved("BitBtnEdit", "EditName", QStringLiteral("Zoe")); }, false},
    {"DeleteChildSearched", TRecordWindow::Children, "r", -1, false, 1,
     [](ListUpdateTest& t) { t.Answered("BitBtnDelete"); }, false},
    {"NewEducatorOrdered", TRecordWindow::Teachers, "", 0, true, 3,
     [](ListUpdateTest& t) { t.Saved("BitBtnNew", "EditName", QStringLiteral("Aldo")); }, false},
    {"EditEducator", TRecordWindow::Teachers, "", -1, false, 3,
     [](ListUpdateTest& t) { t.Saved("BitBtnEdit", "EditName", QStringLiteral("Bice")); }, false},
    {"DeleteLastEducator", TRecordWindow::Teachers, "", -1, false, 3,
     [](ListUpdateTest& t) { t.Answered("BitBtnDelete"); }, false},
    {"EditQuestionSearchedAndOrdered", TRecordWindow::Questions, "c", 3, false, 1,
     [](ListUpdateTest& t) { t.Saved("BitBtnEdit", "MemoText", QStringLiteral("Aspetta")); }, false},
    {"DeleteQuestion", TRecordWindow::Questions, "", -1, false, 0,
     [](ListUpdateTest& t) { t.Answered("BitBtnDelete"); }, true},
    {"NewCompilation", TRecordWindow::Compilations, "", -1, false, 2,
     [](ListUpdateTest& t) { t.Saved("BitBtnNew", "EditDescription", QStringLiteral("Nuova"), true); }, false},
    // Ordered by the child, the same in every row: the rows keep the
    // window's own order among them.
    {"EditCompilationOrderedByATie", TRecordWindow::Compilations, "", 1, false, 0,
     [](ListUpdateTest& t) { t.Saved("BitBtnEdit", "EditDescription", QStringLiteral("Z"), true); }, false},
    {"DuplicateCompilationSearched", TRecordWindow::Compilations, "b", -1, false, 0,
     [](ListUpdateTest& t) { t.Answered("BitBtnDuplicate"); }, false},
    {"DeleteCompilationOrdered", TRecordWindow::Compilations, "", 3, true, 1,
     [](ListUpdateTest& t) { t.Answered("BitBtnDelete"); }, false},
};

void PrintTo(const TListAction& action, std::ostream* out)
{
    *out << action.name;
}

class ListUpdate : public ListUpdateTest, public ::testing::WithParamInterface<TListAction> {};

TEST_P(ListUpdate, ShowsWhatAWindowOpenedAfreshShows)
{
    const TListAction& action = GetParam();
    Open(action.window);
    if (action.orderColumn >= 0)
        OrderBy(action.orderColumn, action.descending);
    window_->Finder()->Field()->setText(QLatin1String(action.search));
    ClickRow(action.row);
    ASSERT_GE(SelectedRow(), 0);
    const int fills = ListFills();
    const TListView initial = ViewOf(window_);

    action.act(*this);
    QCoreApplication::processEvents();
    const TListView updated = ViewOf(window_);
    ASSERT_NE(updated, initial) << "the action changed nothing";
    EXPECT_TRUE(DialogScript::Texts("warning").isEmpty()) << DialogScript::Texts("warning").join('\n').toStdString();
    // The rows the action did not touch are not read again, unless the
    // window must read everything again.
    EXPECT_EQ(ListFills() > fills, action.reloadsAll) << ListFills() - fills << " fills";

    // The user's order is kept in the settings, where a new window reads it.
    QPointer<TFormRSShow> fresh = CreateRecordWindow(action.window, owner_.get());
    fresh->show();
    fresh->Finder()->Field()->setText(QLatin1String(action.search));
    EXPECT_EQ(updated, ViewOf(fresh));
    delete fresh.data();

    // The selection, and where the recordset stands, are as after reading
    // the whole list again.
    const auto selection = [this] {
        return std::make_tuple(SelectedRow(), List()->currentIndex().isValid(), window_->Recordset()->GetAbsolutePosition(),
                               Button("BitBtnEdit")->isEnabled());
    };
    const auto selected = selection();
    window_->RefreshList();
    EXPECT_EQ(selected, selection());
}

// Another computer's changes, through a connection of its own: F5
// ("Aggiorna") shows them with the selection kept on its record, and a
// record deleted meanwhile is not edited. On the file and on the server.
class ChangesElsewhereTest : public ListUpdateTest, public ::testing::WithParamInterface<TestProvider> {
public:
    ChangesElsewhereTest()
        : ListUpdateTest(GetParam())
    {
    }
};

TEST_P(ChangesElsewhereTest, ChangesMadeElsewhereAreShownAndADeletedRecordIsNotEdited)
{
    Open(TRecordWindow::Children);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    ASSERT_TRUE(Button("BitBtnRefresh")->isVisible());
    ClickRow(2); // Carla
    TNyConnection elsewhere;
    db_.OpenSecondConnection(elsewhere);
    elsewhere.Execute(QStringLiteral("INSERT INTO Children(Name, DateOfBirth, Info) VALUES('Aaron', '2020-03-04 00:00:00', '')"));
    // The key presses the button a moment later, as a click would.
    QTest::keyClick(window_, Qt::Key_F5);
    QTest::qWaitFor([this] { return RowCount() == 5; }, 2000);
    ASSERT_EQ(Column(0), QStringList({"Aaron", "Anna", "Bruno", "Carla", "Dario"}));
    EXPECT_EQ(Column(0).value(SelectedRow()), "Carla");

    elsewhere.Execute(QStringLiteral("DELETE FROM Children WHERE Name = 'Carla'"));
    auto editor = OnModal<QDialog>([](QDialog* dialog) { dialog->reject(); }, 500);
    QTest::mouseClick(Button("BitBtnEdit"), Qt::LeftButton);
    QTest::qWait(50);
    EXPECT_FALSE(*editor) << "the deleted record was opened for editing";
    EXPECT_EQ(DialogScript::Texts("information").size(), 1);
    EXPECT_EQ(Column(0), QStringList({"Aaron", "Anna", "Bruno", "Dario"}));
}

// Deleted by another user while its window is open: OK says so in place of
// the name check's message, and Annulla goes back to a list without it.
TEST_P(ChangesElsewhereTest, ARecordDeletedWhileOpenIsNotSavedAndLeavesTheList)
{
    Open(TRecordWindow::Children);
    ClickRow(1); // Bruno
    auto edited = OnModal<QDialog>([this](QDialog* dialog) {
        TNyConnection elsewhere;
        db_.OpenSecondConnection(elsewhere);
        elsewhere.Execute(QStringLiteral("DELETE FROM Children WHERE Name = 'Bruno'"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BitBtnOK")), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    QTest::mouseClick(Button("BitBtnEdit"), Qt::LeftButton);
    ASSERT_TRUE(*edited);
    const QStringList warnings = DialogScript::Texts("warning");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("eliminato da un altro utente"))) << qPrintable(warnings[0]);
    EXPECT_EQ(Column(0), QStringList({"Anna", "Carla", "Dario"}));
    EXPECT_EQ(db_.Count(QStringLiteral("Children")), 3);
}

INSTANTIATE_FOR_EACH_PROVIDER(ChangesElsewhereTest);
INSTANTIATE_TEST_SUITE_P(Windows, ListUpdate, ::testing::ValuesIn(kActions),
                         [](const ::testing::TestParamInfo<TListAction>& info) { return info.param.name; });

} // namespace
