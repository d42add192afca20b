#include "AppPaths.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Dialogs.h"
#include "MaintenanceMessages.h"
#include "Messages.h"
#include "Settings.h"
#include "TestDatabase.h"
#include "UnitAbout.h"
#include "UnitMain.h"
#include "UnitRSShow.h"
#include "ui_UnitMain.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A real database and settings file in a temporary folder, as they lie next
// to the program, and a main window built on them.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateSettingsFile(SettingsPath());
        SetProgramFilePath(files_.Path(QStringLiteral("Baltero")));
        DialogScript::Begin();
    }

    void TearDown() override
    {
        window_.reset();
        DialogScript::End();
        SetProgramFilePath(QString());
        TSettings::ReleaseInstance();
    }

    QString SettingsPath() const { return files_.Path(QStringLiteral("Baltero.ini")); }

    TFormMain& Window()
    {
        if (!window_) {
            window_ = std::make_unique<TFormMain>(SettingsPath(), files_.DatabasePath());
            window_->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        }
        return *window_;
    }

    QString School() { return files_.Db().Lookup(QStringLiteral("SELECT School FROM Application"), QStringLiteral("School")); }
    // Rows written by any statement since the connection opened: a statement
    // that was not issued leaves it as it was.
    int Changes() { return files_.Db().Lookup(QStringLiteral("SELECT total_changes() AS N"), QStringLiteral("N")).toInt(); }

    // Runs action and closes every About window it opens with Esc; returns
    // how many opened.
    int AboutWindowsOpenedBy(const std::function<void()>& action)
    {
        QSet<QObject*> seen;
        bool escLeftOneOpen = false;
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget());
            if (!about)
                return;
            if (seen.contains(about)) {
                escLeftOneOpen = true;
                about->done(QDialog::Accepted);
                return;
            }
            seen.insert(about);
            QTest::keyClick(about, Qt::Key_Escape);
        });
        closer.start();
        action();
        QTest::qWait(30);
        closer.stop();
        EXPECT_FALSE(escLeftOneOpen) << "Esc must close the About window";
        return seen.size();
    }

    void DoubleClickStatusBarAt(int x)
    {
        TFormMain& window = Window();
        QStatusBar* bar = window.Controls().StatusBarMain;
        const QPoint at = bar->mapTo(&window, QPoint(x, bar->height() / 2));
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
    }

    TestDatabase files_;
    std::unique_ptr<TFormMain> window_;
};

TEST_F(MainWindowTest, BuiltIdleWithTheTitleAndAFixedSize)
{
    TFormMain& window = Window();
    EXPECT_TRUE(window.DatabaseOpened());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Baltero"));
    EXPECT_EQ(window.StatusText(), QStringLiteral("Pronto."));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.centralWidget()->width(), 417);
    EXPECT_EQ(window.centralWidget()->height() + window.statusBar()->height(), 261);
    // Nothing of the status bar is cut off at the window's edge.
    EXPECT_EQ(window.statusBar()->geometry().bottom(), window.height() - 1);
    for (QLabel* panel : {window.StatusLogoPanel(), window.StatusTextPanel()}) {
        EXPECT_LE(panel->geometry().bottom(), window.statusBar()->height() - 1)
            << qPrintable(panel->objectName()) << " " << panel->geometry().bottom() << " in " << window.statusBar()->height();
        EXPECT_GE(panel->height(), panel->sizeHint().height()) << qPrintable(panel->objectName());
    }
    EXPECT_TRUE(DialogScript::ShownDialogs().empty());
    EXPECT_EQ(window.Controls().BitBtnTablesManagement->size(), QSize(401, 41));
    EXPECT_EQ(window.Controls().BitBtnChildren->size(), QSize(129, 41));
    EXPECT_FALSE(window.Controls().BitBtnChildren->icon().isNull());
    EXPECT_FALSE(window.Controls().MainMenuHelpUserGuide->icon().isNull());
}

TEST_F(MainWindowTest, StatusBarPanelsLieWithinTheWindowAtAnyFontSize)
{
    const QFont original = QApplication::font();
    for (int pointSize : {9, 14}) {
        SCOPED_TRACE(pointSize);
        QFont font = original;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        window_.reset();
        TFormMain& window = Window();
        QStatusBar* bar = window.statusBar();
        EXPECT_LE(bar->geometry().right(), window.width() - 1);
        int panels = 0;
        for (QLabel* panel : bar->findChildren<QLabel*>()) {
            if (!panel->isVisible())
                continue;
            ++panels;
            EXPECT_GE(panel->geometry().left(), 0) << qPrintable(panel->objectName());
            EXPECT_LE(panel->geometry().right(), bar->width() - 1) << qPrintable(panel->objectName());
            EXPECT_GT(panel->width(), 2 * panel->frameWidth()) << qPrintable(panel->objectName());
            // A screen reader names every panel; the text panel by its text.
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(panel);
            ASSERT_NE(accessible, nullptr);
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << qPrintable(panel->objectName());
            EXPECT_NE(accessible->text(QAccessible::Name), QStringLiteral("Vuoto"));
        }
        EXPECT_EQ(panels, 3);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(window.StatusTextPanel())->text(QAccessible::Name),
                  QStringLiteral("Pronto."));
    }
    window_.reset();
    QApplication::setFont(original);
}

TEST_F(MainWindowTest, MissingDatabaseReports11002AndTheProgramDoesNotRun)
{
    QFile::remove(files_.DatabasePath());
    TFormMain window(SettingsPath(), files_.DatabasePath());
    EXPECT_FALSE(window.DatabaseOpened());
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("error")),
              QStringList{Message11002() + QStringLiteral("File not found.")});
}

TEST_F(MainWindowTest, InstituteNameWithAnApostropheIsStoredAndReadBack)
{
    const QString name = QStringLiteral("Scuola dell'Infanzia \"L'Arcobaleno\" -- ; DROP TABLE Children");
    Window();
    DialogScript::PushText(name);
    QTest::mouseClick(Window().Controls().BitBtnSchool, Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("input")), QStringList{Message11100()});
    EXPECT_EQ(School(), name);
    EXPECT_EQ(files_.Count(QStringLiteral("Application")), 1);
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("error")).isEmpty());

    // The menu entry does the same and the name can be cleared.
    DialogScript::PushText(QString());
    Window().Controls().MainMenuAnagraficaSchool->trigger();
    EXPECT_EQ(School(), QString());
    EXPECT_EQ(files_.Count(QStringLiteral("Application")), 1);
}

TEST_F(MainWindowTest, InstituteNameUnchangedOrCancelledIssuesNoStatement)
{
    files_.Db().Execute(QStringLiteral("UPDATE Application SET School='Istituto Comprensivo'"));
    Window();
    const int before = Changes();

    DialogScript::PushText(QStringLiteral("Istituto Comprensivo")); // OK without changes
    QTest::mouseClick(Window().Controls().BitBtnSchool, Qt::LeftButton);
    DialogScript::PushText(std::nullopt); // Annulla
    QTest::mouseClick(Window().Controls().BitBtnSchool, Qt::LeftButton);

    EXPECT_EQ(DialogScript::Texts(QStringLiteral("input")).size(), 2);
    EXPECT_EQ(Changes(), before);
    EXPECT_EQ(School(), QStringLiteral("Istituto Comprensivo"));

    // A change of letter case alone is a change.
    DialogScript::PushText(QStringLiteral("ISTITUTO COMPRENSIVO"));
    QTest::mouseClick(Window().Controls().BitBtnSchool, Qt::LeftButton);
    EXPECT_EQ(School(), QStringLiteral("ISTITUTO COMPRENSIVO"));
}

TEST_F(MainWindowTest, InstituteNameTooLongIsAskedAgainNotCut)
{
    Window();
    DialogScript::PushText(QString(TFormMain::SchoolNameMaxLength + 1, QLatin1Char('a')));
    DialogScript::PushText(QString(TFormMain::SchoolNameMaxLength, QLatin1Char('b')));
    QTest::mouseClick(Window().Controls().BitBtnSchool, Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{SchoolNameTooLongText(255)});
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("input")).size(), 2);
    EXPECT_EQ(School(), QString(TFormMain::SchoolNameMaxLength, QLatin1Char('b')));
}

TEST_F(MainWindowTest, InstituteNameIsKeptWhenTheDatabaseLostItsRow)
{
    files_.Db().Execute(QStringLiteral("DELETE FROM Application"));
    Window();
    DialogScript::PushText(QStringLiteral("Nido Girotondo"));
    QTest::mouseClick(Window().Controls().BitBtnSchool, Qt::LeftButton);
    EXPECT_EQ(School(), QStringLiteral("Nido Girotondo"));
    EXPECT_EQ(files_.Count(QStringLiteral("Application")), 1);
}

TEST_F(MainWindowTest, DoubleClickOnTheLogoOpensAboutOnceAndOnTheTextNothing)
{
    TFormMain& window = Window();
    const QRect logo = window.StatusLogoPanel()->geometry();
    const QRect text = window.StatusTextPanel()->geometry();
    ASSERT_LT(logo.right(), text.left());

    EXPECT_EQ(AboutWindowsOpenedBy([&] { DoubleClickStatusBarAt(logo.center().x()); }), 1);
    EXPECT_EQ(AboutWindowsOpenedBy([&] { DoubleClickStatusBarAt(text.center().x()); }), 0);
    EXPECT_EQ(AboutWindowsOpenedBy([&] { DoubleClickStatusBarAt(text.right() + 10); }), 0);
    // A single click on the logo is no double-click.
    EXPECT_EQ(AboutWindowsOpenedBy([&] {
                  const QPoint at = window.StatusLogoPanel()->mapTo(&window, window.StatusLogoPanel()->rect().center());
                  QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
              }),
              0);
    // A double-click on the text followed by a click on the logo: the flag
    // was cleared by the release, so nothing opens.
    EXPECT_EQ(AboutWindowsOpenedBy([&] {
                  DoubleClickStatusBarAt(text.center().x());
                  const QPoint at = window.StatusLogoPanel()->mapTo(&window, window.StatusLogoPanel()->rect().center());
                  QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
              }),
              0);
    EXPECT_EQ(AboutWindowsOpenedBy([&] { window.Controls().MainMenuHelpInformazioniSu->trigger(); }), 1);
}

TEST_F(MainWindowTest, DestructionSavesTheSettingsAndReleasesTheDatabase)
{
    QFile ini(SettingsPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray before = ini.readAll();
    ini.close();
    ASSERT_TRUE(before.contains("AutoAdvancing=1"));

    Window();
    ASSERT_TRUE(TSettings::GetInstance()->AutoAdvancing());
    TSettings::GetInstance()->SetAutoAdvancing(false);
    QTest::mouseClick(Window().Controls().BitBtnChildren, Qt::LeftButton); // harmless activity first
    for (TFormRSShow* list : Window().findChildren<TFormRSShow*>())
        list->close();
    window_.reset();

    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    QByteArray after = ini.readAll();
    EXPECT_TRUE(after.contains("AutoAdvancing=0"));
    // Every other line of the file is as it was; the list window closed
    // meanwhile adds only its place and order.
    QString rest = QString::fromUtf8(after.replace("AutoAdvancing=0", "AutoAdvancing=1"));
    rest.remove(QRegularExpression(QStringLiteral("\\[(WINDOWS|LISTORDER)\\][^\\[]*")));
    EXPECT_EQ(rest.trimmed(), QString::fromUtf8(before).trimmed());

    // The database object was released: a new request gets a fresh one.
    EXPECT_FALSE(TDatabase::GetInstance()->Connected());
    EXPECT_TRUE(TDatabase::GetInstance()->ConnectionTemplate().isEmpty());
    EXPECT_TRUE(TSettings::GetInstance()->AutoAdvancing()) << "the settings object was released too";
}

TEST_F(MainWindowTest, SettingsThatCannotBeWrittenAreSaidAtCloseAndTheOldFileStays)
{
    Window();
    TSettings::GetInstance()->SetAutoAdvancing(false);
    // Where the settings file stood there is now a folder: no file can
    // replace it, whoever the user is.
    ASSERT_TRUE(QFile::remove(SettingsPath()));
    ASSERT_TRUE(QDir().mkdir(SettingsPath()));

    EXPECT_TRUE(Window().close());
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().startsWith(SettingsNotSavedText(QString()))) << warnings.first().toStdString();
    EXPECT_TRUE(QFileInfo(SettingsPath()).isDir());
}

TEST_F(MainWindowTest, UserGuideOpenedWhenPresentWarnedWhenMissing)
{
    Window().Controls().MainMenuHelpUserGuide->trigger();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{Message23001()});
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("desktop")).isEmpty());

    DialogScript::ClearShown();
    const QString guide = files_.Path(QStringLiteral("Baltero - Manuale utente.pdf"));
    ASSERT_EQ(UserGuideFilePath(), guide);
    QFile pdf(guide);
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    Window().Controls().MainMenuHelpUserGuide->trigger();
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty());
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("desktop")), QStringList{QUrl::fromLocalFile(guide).toString()});
}

// Every menu of the bar has its own Alt key, shown underlined in its title;
// Esci and the guide have the desktop's keys, shown beside the entries.
TEST_F(MainWindowTest, MenusHaveDistinctAltKeysAndTheDesktopsShortcuts)
{
    TFormMain& window = Window();
    QSet<QChar> letters;
    for (QAction* menu : window.menuBar()->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(menu->text());
        EXPECT_FALSE(mnemonic.isEmpty()) << menu->text().toStdString();
        const qsizetype amp = menu->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << menu->text().toStdString();
        const QChar letter = menu->text().at(amp + 1).toLower();
        EXPECT_FALSE(letters.contains(letter)) << "Alt+" << QString(letter).toStdString() << " twice";
        letters.insert(letter);
    }
    EXPECT_EQ(window.Controls().MainMenuFileEsci->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(window.Controls().MainMenuHelpUserGuide->shortcut(), QKeySequence(Qt::Key_F1));

    // Ctrl+Q ends the program as Esci does.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
}

// F1 opens the guide once, from the main window and from a list window that
// has the main window disabled.
TEST_F(MainWindowTest, F1OpensTheGuideFromAnyWindow)
{
    TFormMain& window = Window();
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{Message23001()});

    DialogScript::ClearShown();
    const QString guide = files_.Path(QStringLiteral("Baltero - Manuale utente.pdf"));
    QFile pdf(guide);
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    window.Controls().MainMenuAnagraficaChildren->trigger();
    const QList<TFormRSShow*> lists = window.findChildren<TFormRSShow*>();
    ASSERT_EQ(lists.size(), 1);
    ASSERT_FALSE(window.isEnabled());
    lists.first()->ListViewData()->setFocus();
    QTest::keyClick(lists.first()->ListViewData(), Qt::Key_F1);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("desktop")), QStringList{QUrl::fromLocalFile(guide).toString()});
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty());
    lists.first()->close();
}

TEST_F(MainWindowTest, DataExportWritesTheFourFilesOrSaysNothingWasWritten)
{
    const QString folder = files_.Path(QStringLiteral("dati"));
    ASSERT_TRUE(QDir().mkpath(folder));
    DialogScript::PushText(folder);
    Window().Controls().MainMenuStrumentiExportData->trigger();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("information")),
              QStringList{ExportDataDoneText(QDir::toNativeSeparators(folder))});
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(Window().isEnabled());

    // A folder in the way of one file: nothing written, the user told.
    DialogScript::ClearShown();
    const QString spoilt = files_.Path(QStringLiteral("rovinata"));
    ASSERT_TRUE(QDir().mkpath(spoilt + QStringLiteral("/compilazioni.csv")));
    DialogScript::PushText(spoilt);
    Window().Controls().MainMenuStrumentiExportData->trigger();
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().startsWith(ExportDataFailedText()));
    EXPECT_EQ(QDir(spoilt).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("compilazioni.csv")});
}

TEST_F(MainWindowTest, EachRegisterOpensWithoutWaitingAndGivesTheMainWindowBack)
{
    TFormMain& window = Window();
    const std::vector<std::pair<QPushButton*, QAction*>> commands = {
        {window.Controls().BitBtnChildren, window.Controls().MainMenuAnagraficaChildren},
        {window.Controls().BitBtnTeachers, window.Controls().MainMenuAnagraficaTeachers},
        {window.Controls().BitBtnAreas, window.Controls().MainMenuQuestionarioAreas},
        {window.Controls().BitBtnPhases, window.Controls().MainMenuQuestionarioPhases},
        {window.Controls().BitBtnQuestions, window.Controls().MainMenuQuestionarioQuestions},
        {window.Controls().BitBtnTablesManagement, window.Controls().MainMenuTablesManagement},
    };
    for (const auto& [button, action] : commands) {
        for (const bool byMenu : {false, true}) {
            if (byMenu)
                action->trigger();
            else
                QTest::mouseClick(button, Qt::LeftButton);
            const QList<TFormRSShow*> lists = window.findChildren<TFormRSShow*>();
            if (lists.isEmpty()) {
                // Registers not built into this program leave the window as it was.
                EXPECT_TRUE(window.isEnabled()) << button->text().toStdString();
                continue;
            }
            ASSERT_EQ(lists.size(), 1) << button->text().toStdString();
            QPointer<TFormRSShow> list = lists.first();
            EXPECT_TRUE(list->isVisible());
            EXPECT_FALSE(list->isModal()) << "the register is shown without waiting";
            EXPECT_FALSE(window.isEnabled());
            EXPECT_FALSE(window.close()) << "the main window stays while a register is open";
            list->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(list.isNull());
            EXPECT_TRUE(window.isEnabled()) << button->text().toStdString();
        }
    }
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("error")).isEmpty());
}

TEST_F(MainWindowTest, CompactionAskedFirstThenDoneWithTheBackupKept)
{
    files_.AddChild(QStringLiteral("Anna D'Angelo"));
    const QString backup = files_.Path(QStringLiteral("Baltero.mdbbak"));

    DialogScript::PushAnswer(TBoxAnswer::No);
    Window().Controls().MainMenuStrumentiCompactAndRepairDatabase->trigger();
    DialogScript::PushAnswer(TBoxAnswer::Cancel);
    Window().Controls().MainMenuStrumentiCompactAndRepairDatabase->trigger();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), (QStringList{CompactQuestionText(), CompactQuestionText()}));
    EXPECT_EQ(DialogScript::ShownDialogs().size(), 2u);
    EXPECT_FALSE(QFile::exists(backup));

    DialogScript::ClearShown();
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Window().Controls().MainMenuStrumentiCompactAndRepairDatabase->trigger();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("information")), QStringList{CompactDoneText()});
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty());
    EXPECT_TRUE(QFile::exists(backup));
    EXPECT_EQ(Window().StatusText(), QStringLiteral("Pronto."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";
    EXPECT_EQ(files_.Count(QStringLiteral("Children"), QStringLiteral("Name='Anna D''Angelo'")), 1);
}

class ImportTest : public MainWindowTest {
protected:
    QString WriteQuestionFile(const QByteArray& bytes)
    {
        const QString path = files_.Path(QStringLiteral("domande.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray Example()
    {
        return QByteArray("*Linguaggio\r\n#Fase uno\r\nDice il suo nome?\r\nIndica gli oggetti?\r\n#Fase due\r\n"
                          "Racconta una storia?\r\n*Motricit\xe0\r\n#Prima fase\r\nSale le scale?\r\n");
    }
};

TEST_F(ImportTest, NoOrCancelledFileChangesNothing)
{
    files_.AddArea(7, QStringLiteral("Autonomia"));
    const QString file = WriteQuestionFile(Example());

    DialogScript::PushAnswer(TBoxAnswer::No);
    Window().Controls().MainMenuStrumentiImportQuestions->trigger();
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("open")).isEmpty()) << "no file is asked for after No";

    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushText(std::nullopt);
    Window().Controls().MainMenuStrumentiImportQuestions->trigger();
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("open")), QStringList{ImportDialogTitle()});
    EXPECT_EQ(files_.Count(QStringLiteral("Areas")), 1);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), (QStringList{ImportQuestionText(), ImportQuestionText()}));
    (void)file;
}

TEST_F(ImportTest, ChosenFileReplacesTheQuestionnaireWithoutAMessage)
{
    files_.AddArea(7, QStringLiteral("Autonomia"));
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushText(WriteQuestionFile(Example()));
    Window().Controls().MainMenuStrumentiImportQuestions->trigger();

    EXPECT_EQ(DialogScript::ShownDialogs().size(), 2u) << "question and file dialog only";
    EXPECT_EQ(files_.Count(QStringLiteral("Areas")), 2);
    EXPECT_EQ(files_.Count(QStringLiteral("Areas"), QStringLiteral("IDArea=2 AND Description='Motricit\u00e0'")), 1);
    EXPECT_EQ(files_.Count(QStringLiteral("Phases")), 2);
    EXPECT_EQ(files_.Count(QStringLiteral("Questions")), 4);
    EXPECT_EQ(Window().StatusText(), QStringLiteral("Pronto."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ImportTest, RefusedWhileCompilationsHoldAnswers)
{
    files_.AddArea(1, QStringLiteral("Autonomia"));
    files_.AddPhase(1, QStringLiteral("Prima"));
    const int question = files_.AddQuestion(1, 1, 1, QStringLiteral("Si veste da solo?"));
    const int compilation = files_.AddCompilation(files_.AddChild(QStringLiteral("Luca")),
                                                  files_.AddTeacher(QStringLiteral("Marta")), QStringLiteral("Ottobre"));
    files_.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) VALUES(%1, %2, 0)")
                            .arg(compilation)
                            .arg(question));

    DialogScript::PushAnswer(TBoxAnswer::Yes);
    DialogScript::PushText(WriteQuestionFile(Example()));
    Window().Controls().MainMenuStrumentiImportQuestions->trigger();

    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(ImportFailedText()));
    EXPECT_GT(warnings[0].size(), ImportFailedText().size());
    EXPECT_EQ(files_.Count(QStringLiteral("Questions")), 1);
    EXPECT_EQ(files_.Count(QStringLiteral("Areas")), 1);
    EXPECT_EQ(Window().StatusText(), QStringLiteral("Pronto."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, EveryControlAUserCanReachHasAnAccessibleName)
{
    TFormMain& window = Window();
    int reachable = 0;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible())
            continue;
        ++reachable;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << widget->objectName().toStdString();
    }
    EXPECT_GE(reachable, 7);
    // The menu entries read their captions; every one has a picture too.
    int entries = 0;
    for (QAction* menu : window.menuBar()->actions()) {
        EXPECT_FALSE(menu->text().isEmpty());
        for (QAction* action : menu->menu()->actions()) {
            if (action->isSeparator())
                continue;
            ++entries;
            EXPECT_FALSE(action->text().isEmpty()) << action->objectName().toStdString();
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
        }
    }
    EXPECT_EQ(entries, 18);
    EXPECT_FALSE(window.StatusLogoPanel()->accessibleName().isEmpty());
}

} // namespace
