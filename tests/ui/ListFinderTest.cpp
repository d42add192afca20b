// Finding, ordering and the kept places of the list windows: the search
// field, the column order, Enter, the settings they leave for the next run,
// and the file dialogs' last folders.
#include "RecordWindowsTestSupport.h"

#include "IniFile.h"
#include "ListFinder.h"
#include "Settings.h"
#include "WindowPlace.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>

namespace {

class ListFinderTest : public RecordWindowTest {
protected:
    void AddChild(const QString& name, const QString& born, const QString& info)
    {
        db_.Db().Execute(QStringLiteral("INSERT INTO Children(Name, DateOfBirth, Info) VALUES('%1', '%2', '%3')")
                             .arg(name, born, info));
    }
    // Four children whose names, dates and notes each sort differently as text.
    void AddChildren()
    {
        AddChild(QStringLiteral("Nicol\u00f2 Bianchi"), QStringLiteral("2022-03-12 00:00:00"), QStringLiteral("allergia"));
        AddChild(QStringLiteral("anna Rossi"), QStringLiteral("2023-01-05 00:00:00"), QString());
        AddChild(QStringLiteral("\u00c9lodie Verdi"), QStringLiteral("2021-11-30 00:00:00"), QStringLiteral("Nuova"));
        AddChild(QStringLiteral("Bruno Neri"), QStringLiteral("2022-12-01 00:00:00"), QString());
    }
    QLineEdit* Search() const { return window_->findChild<QLineEdit*>(QStringLiteral("EditSearch")); }
    QString Count() const { return window_->findChild<QLabel*>(QStringLiteral("LabelShownRows"))->text(); }
    // The names of the rows shown, top to bottom.
    QStringList Shown(int column = 0) const { return Column(column); }
    void ClickHeader(int column)
    {
        QHeaderView* header = List()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    int RowNamed(const QString& name) const { return static_cast<int>(Column(0).indexOf(name)); }
    // The settings written to a file and read back, as at the next start.
    void SaveAndReload()
    {
        const TIniFile file(db_.Path(QStringLiteral("Baltero.ini")));
        TIniFile writable = file;
        ASSERT_EQ(TSettings::GetInstance()->SaveToIni(writable), QString());
        TSettings::ReleaseInstance();
        TSettings::GetInstance()->LoadFromIni(file);
    }
};

TEST(FoldedForSearch, DropsCaseAndAccents)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Nicol\u00f2", u"nicolo"}, {u"NICOL\u00d2", u"nicolo"}, {u"\u00c9lodie", u"elodie"},
        {u"Citt\u00e0 d'\u00c8ste", u"citta d'este"}, {u"Zo\u00eb", u"zoe"}, {u"12/03/2022", u"12/03/2022"},
    };
    for (const auto& [text, folded] : cases) {
        SCOPED_TRACE(QString::fromUtf16(text).toStdString());
        EXPECT_EQ(FoldedForSearch(QString::fromUtf16(text)), QString::fromUtf16(folded));
    }
}

TEST_F(ListFinderTest, SearchMatchesAnyColumnWithoutCaseOrAccentsAndCountsTheRows)
{
    AddChildren();
    Open(TRecordWindow::Children);
    EXPECT_EQ(Count(), QStringLiteral("4 di 4"));
    const struct {
        const char16_t* typed;
        QStringList shown;
    } cases[] = {
        {u"nicolo", {"Nicol\u00f2 Bianchi"}},
        {u"NICOL\u00d2", {"Nicol\u00f2 Bianchi"}},
        {u"elodie", {"\u00c9lodie Verdi"}},
        {u"rossi ANNA", {"anna Rossi"}}, // every word, in any order
        {u"ALLERG", {"Nicol\u00f2 Bianchi"}}, // the notes' column
        {u"2022", {"Bruno Neri", "Nicol\u00f2 Bianchi"}}, // the dates' column
        {u"nuova", {"\u00c9lodie Verdi"}},
        {u"zz", {}},
        {u"", {"anna Rossi", "Bruno Neri", "\u00c9lodie Verdi", "Nicol\u00f2 Bianchi"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        Search()->clear();
        TypeText(Search(), QString::fromUtf16(c.typed));
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(Count(), QStringLiteral("%1 di 4").arg(c.shown.size()));
    }
}

TEST_F(ListFinderTest, ButtonsActOnTheSelectedVisibleRowAndEscClearsTheSearch)
{
    AddChildren();
    Open(TRecordWindow::Children);
    ClickRow(RowNamed(QStringLiteral("Bruno Neri")));
    EXPECT_TRUE(Button("BitBtnEdit")->isEnabled());
    QTest::keyClicks(Search(), QStringLiteral("bian"));
    EXPECT_FALSE(Button("BitBtnEdit")->isEnabled()) << "the selected row is hidden";
    EXPECT_FALSE(Button("BitBtnDelete")->isEnabled());

    // Ctrl+F, then Esc: the search is cleared and the window stays open.
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    List()->setFocus();
    QTest::keyClick(window_, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Search()->hasFocus());
    QTest::keyClick(Search(), Qt::Key_Escape);
    EXPECT_EQ(Search()->text(), QString());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(Count(), QStringLiteral("4 di 4"));
}

TEST_F(ListFinderTest, EnterOpensTheSelectedRowEvenAfterTheListWasOrdered)
{
    AddChildren();
    Open(TRecordWindow::Children);
    ClickHeader(1); // by date of birth: Élodie first
    ASSERT_EQ(Shown().first(), QStringLiteral("\u00c9lodie Verdi"));
    ExpectNoDialog([this] { QTest::keyClick(List(), Qt::Key_Return); }); // nothing selected yet

    ClickRow(0);
    QString opened;
    DriveNextDialog([&opened](QDialog* dialog) {
        opened = Field<QLineEdit>(dialog, "EditName")->text();
        dialog->reject();
    });
    QTest::keyClick(List(), Qt::Key_Return);
    EXPECT_EQ(opened, QStringLiteral("\u00c9lodie Verdi"));

    // From the search field too: Down into the rows, Enter on the one found.
    QTest::keyClicks(Search(), QStringLiteral("bruno"));
    QTest::keyClick(Search(), Qt::Key_Down);
    opened.clear();
    DriveNextDialog([&opened](QDialog* dialog) {
        opened = Field<QLineEdit>(dialog, "EditName")->text();
        dialog->reject();
    });
    QTest::keyClick(List(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(opened, QStringLiteral("Bruno Neri"));
}

TEST_F(ListFinderTest, HeaderClicksSortDatesNumbersAndNamesAndTheSecondReverses)
{
    AddChildren();
    Open(TRecordWindow::Children);
    const struct {
        int column;
        QStringList names;
    } clicks[] = {
        {1, {"\u00c9lodie Verdi", "Nicol\u00f2 Bianchi", "Bruno Neri", "anna Rossi"}}, // dates, not text
        {1, {"anna Rossi", "Bruno Neri", "Nicol\u00f2 Bianchi", "\u00c9lodie Verdi"}}, // reversed
        {0, {"anna Rossi", "Bruno Neri", "\u00c9lodie Verdi", "Nicol\u00f2 Bianchi"}}, // Italian, case aside
        {2, {"anna Rossi", "Bruno Neri", "Nicol\u00f2 Bianchi", "\u00c9lodie Verdi"}}, // empty notes first, stable
    };
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.column);
        ClickHeader(click.column);
        EXPECT_EQ(Shown(), click.names);
    }
}

TEST_F(ListFinderTest, TheSelectionStaysOnItsRecordWhileTheRowsAreOrderedAndSearched)
{
    AddChildren();
    Open(TRecordWindow::Children);
    ClickRow(RowNamed(QStringLiteral("Bruno Neri")));
    const auto selected = [this] { return Column(0).value(SelectedRow()); };
    const std::function<void()> steps[] = {
        [this] { ClickHeader(1); },
        [this] { ClickHeader(1); },
        [this] { QTest::keyClicks(Search(), QStringLiteral("r")); },
        [this] { ClickHeader(0); },
        [this] { Search()->clear(); },
    };
    for (const auto& step : steps) {
        step();
        EXPECT_EQ(selected(), QStringLiteral("Bruno Neri")) << Column(0).join(", ").toStdString();
        EXPECT_TRUE(Button("BitBtnEdit")->isEnabled());
    }
    // The record opened is the one selected, wherever its row went.
    ClickHeader(1);
    DriveNextDialog([](QDialog* dialog) {
        EXPECT_EQ(Field<QLineEdit>(dialog, "EditName")->text(), QStringLiteral("Bruno Neri"));
        dialog->reject();
    });
    QTest::mouseClick(Button("BitBtnEdit"), Qt::LeftButton);
}

TEST_F(ListFinderTest, NumbersSortAsNumbers)
{
    for (int id : {10, 2, 100, 1})
        db_.AddArea(id, QStringLiteral("Area %1").arg(id));
    Open(TRecordWindow::Areas);
    ClickHeader(1); // by description: the numbers inside a text in their order
    EXPECT_EQ(Shown(0), QStringList({"1", "2", "10", "100"}));
    ClickHeader(0);
    ClickHeader(0);
    EXPECT_EQ(Shown(0), QStringList({"100", "10", "2", "1"}));
}

TEST_F(ListFinderTest, OrderAndPlaceAreKeptAcrossAReopen)
{
    AddChildren();
    Open(TRecordWindow::Children);
    EXPECT_EQ(window_->size(), QSize(465, 337)) << "the default size stays";
    ClickHeader(1);
    ClickHeader(1);
    const QStringList ordered = Shown();
    window_->setGeometry(QRect(40, 60, 600, 420));
    window_->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    SaveAndReload();
    Open(TRecordWindow::Children);
    EXPECT_EQ(Shown(), ordered);
    EXPECT_EQ(List()->header()->sortIndicatorSection(), 1);
    EXPECT_EQ(List()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(window_->geometry().size(), QSize(600, 420));

    // A row added while the list is ordered takes its place in the order.
    db_.AddChild(QStringLiteral("Zeno"));
    window_->RefreshList();
    EXPECT_EQ(Shown().last(), QStringLiteral("Zeno")) << "the oldest child, last in the reversed order of dates";
}

TEST(PlaceOnScreen, KeepsTheWholeWindowOnTheScreen)
{
    const QRect screen(0, 0, 1366, 728);
    const QSize minimum(300, 200);
    const struct {
        const char* what;
        QRect wanted;
        QRect placed;
    } cases[] = {
        {"inside", {100, 100, 641, 393}, {100, 100, 641, 393}},
        {"off the right and bottom", {1200, 700, 641, 393}, {725, 335, 641, 393}},
        {"off the left and top", {-500, -80, 641, 393}, {0, 0, 641, 393}},
        {"bigger than the screen", {0, 0, 3000, 2000}, {0, 0, 1366, 728}},
        {"smaller than its layout", {10, 10, 50, 40}, {10, 10, 300, 200}},
        {"on a screen left of this one", {-1800, 100, 641, 393}, {0, 100, 641, 393}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceOnScreen(c.wanted, screen, minimum), c.placed);
    }
}

TEST(KeptSettings, UnreadableEntriesAreLeftOutAndGoodOnesRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Baltero.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[WINDOWS]\nTFormA=10,20,300,200\nTFormB=10,20,0,200\nTFormC=a,b,c,d\nTFormD=1,2,3\n"
               "[LISTORDER]\nTFormA=2,desc\nTFormB=-1,asc\nTFormC=1,up\nTFormD=0,ASC\n"
               "[FOLDERS]\nHTML=/home/maestra/Relazioni\ntxt=\n");
    file.close();
    TSettings::ReleaseInstance();
    TSettings* settings = TSettings::GetInstance();
    settings->LoadFromIni(TIniFile(path));
    EXPECT_EQ(settings->WindowGeometry(QStringLiteral("TFormA")), QRect(10, 20, 300, 200));
    for (const char* bad : {"TFormB", "TFormC", "TFormD"})
        EXPECT_FALSE(settings->WindowGeometry(QLatin1String(bad)).isValid()) << bad;
    EXPECT_EQ(settings->ListOrder(QStringLiteral("TFormA")), (TListOrder{2, true}));
    EXPECT_EQ(settings->ListOrder(QStringLiteral("TFormB")), TListOrder());
    EXPECT_EQ(settings->ListOrder(QStringLiteral("TFormC")), TListOrder());
    EXPECT_EQ(settings->ListOrder(QStringLiteral("TFormD")), (TListOrder{0, false}));
    EXPECT_EQ(settings->LastFolder(QStringLiteral("html")), QStringLiteral("/home/maestra/Relazioni"));
    EXPECT_EQ(settings->LastFolder(QStringLiteral("txt")), QString());
    TSettings::ReleaseInstance();
}

TEST_F(ListFinderTest, FileDialogsOpenWhereTheLastOneOfTheirKindWasConfirmed)
{
    QDir(db_.Path(QString())).mkpath(QStringLiteral("Relazioni"));
    const QString folder = db_.Path(QStringLiteral("Relazioni"));
    DialogScript::PushText(folder + QStringLiteral("/Anna.html"));
    EXPECT_EQ(GetSaveFileName(nullptr, QStringLiteral("Esporta"), QStringLiteral("File HTML (*.html)"),
                              QStringLiteral("html")),
              folder + QStringLiteral("/Anna.html"));
    SaveAndReload();

    DialogScript::ClearShown();
    GetSaveFileName(nullptr, QStringLiteral("Esporta"), QStringLiteral("File HTML (*.html *.htm)"),
                    QStringLiteral("html"));
    GetOpenFileName(nullptr, QStringLiteral("Importa"), QStringLiteral("File di testo (*.txt)"));
    ASSERT_EQ(DialogScript::ShownDialogs().size(), 2u);
    EXPECT_EQ(DialogScript::ShownDialogs()[0].folder, folder);
    EXPECT_EQ(DialogScript::ShownDialogs()[1].folder, QString()) << "another kind of file";

    // A folder that is gone opens the dialog in the usual place.
    QDir(folder).removeRecursively();
    DialogScript::ClearShown();
    GetOpenFileName(nullptr, QStringLiteral("Apri"), QStringLiteral("File HTML (*.html)"));
    EXPECT_EQ(DialogScript::ShownDialogs()[0].folder, QString());
}

} // namespace
