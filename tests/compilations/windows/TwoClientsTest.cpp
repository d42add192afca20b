// Two educators on one register at once. On the school's server, two
// programs (CompilationClient.cpp) saving or deleting compilations at the
// same moment; on the file and on the server, the editor of this program
// saving while another connection deletes what it shows.
#include "WindowTestSupport.h"

#include "CompilationMessages.h"
#include "Settings.h"
#include "UnitTableEdit.h"

#include <QProcess>

#include <memory>
#include <set>

namespace {

// As the client writes a message on one line.
QString OneLine(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
}

// Another program, started on the test's server database, waiting to act on
// the compilation described so until Go.
class Client {
public:
    Client(const TestDatabase& db, const char* action, const QString& description, int answer)
    {
        process_.start(QStringLiteral(BALTERO_COMPILATION_CLIENT),
                       {db.ServerDatabase(), QLatin1String(action), description, QString::number(answer)});
    }
    ~Client()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    bool Ready()
    {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(60000)) {
                ADD_FAILURE() << "the client did not come up: " << process_.readAllStandardError().toStdString();
                return false;
            }
        }
        return process_.readLine().trimmed() == "ready";
    }
    void Go() { process_.write("go\n"); }
    // What the client reports once it has acted.
    QString Result()
    {
        EXPECT_TRUE(process_.waitForFinished(60000));
        EXPECT_EQ(process_.exitCode(), 0) << process_.readAllStandardError().toStdString();
        return QString::fromUtf8(process_.readAllStandardOutput()).trimmed();
    }

private:
    QProcess process_;
};

// One area, one phase, three questions; Anna's and Bruno's compilations
// with every question answered "Non so".
class TwoClients : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        if (IsSkipped())
            return;
        db.AddArea(1, QStringLiteral("Autonomia"));
        db.AddPhase(1, QStringLiteral("Prima"));
        for (int order = 1; order <= 3; ++order)
            questions << db.AddQuestion(1, 1, order, QStringLiteral("Domanda %1").arg(order));
        AddRegister();
    }

    void AddRegister()
    {
        compilations.clear();
        const int teacher = db.AddTeacher(QStringLiteral("Carla"));
        for (const char* name : {"Anna", "Bruno"}) {
            const int key = db.AddCompilation(db.AddChild(QLatin1String(name)), teacher, QLatin1String(name));
            for (int question : questions)
                StoreAnswer(db, key, question, AnswerDontKnow);
            StoreStartPhase(db, key, 1, 1);
            compilations << key;
        }
    }

    // The compilation's description, change count and answers.
    QStringList Stored(int key)
    {
        return db.Rows(QStringLiteral("SELECT Description, ChangeCount FROM CompiledTables WHERE IDCompiledTable=%1")
                           .arg(key))
               + db.Rows(QStringLiteral("SELECT IDAnswer FROM CompiledTablesAnswers WHERE IDCompiledTable=%1 "
                                        "ORDER BY IDQuestion")
                             .arg(key));
    }
    // As a client's save of description with answer leaves it.
    static QStringList SavedBy(int answer, const char* description)
    {
        return {QStringLiteral("%1-%2|1").arg(answer).arg(QLatin1String(description)), QString::number(answer),
                QString::number(answer), QString::number(answer)};
    }

    TestDatabase db{GetParam()};
    QList<int> questions;
    QList<int> compilations; // Anna's, Bruno's
};

// Two programs on the same database file are refused by its lock: two at
// once is the server's.
class TwoPrograms : public TwoClients {};

TEST_P(TwoPrograms, DifferentCompilationsSavedAtOnceAreBothStored)
{
    Client anna(db, "save", QStringLiteral("Anna"), AnswerYes);
    Client bruno(db, "save", QStringLiteral("Bruno"), AnswerNo);
    ASSERT_TRUE(anna.Ready());
    ASSERT_TRUE(bruno.Ready());
    anna.Go();
    bruno.Go();
    EXPECT_EQ(anna.Result(), QStringLiteral("saved"));
    EXPECT_EQ(bruno.Result(), QStringLiteral("saved"));
    EXPECT_EQ(Stored(compilations[0]), SavedBy(AnswerYes, "Anna"));
    EXPECT_EQ(Stored(compilations[1]), SavedBy(AnswerNo, "Bruno"));
}

TEST_P(TwoPrograms, TheSameCompilationSavedAtOnceIsStoredOnceAndTheOtherIsTold)
{
    const QStringList bruno = Stored(compilations[1]);
    Client first(db, "save", QStringLiteral("Anna"), AnswerYes);
    Client second(db, "save", QStringLiteral("Anna"), AnswerNo);
    ASSERT_TRUE(first.Ready());
    ASSERT_TRUE(second.Ready());
    first.Go();
    second.Go();
    const QString results[] = {first.Result(), second.Result()};
    const QString told = QStringLiteral("question: ") + OneLine(CompilationChangedText() + ReloadChangedCompilationText());
    EXPECT_EQ(std::multiset<QString>(std::begin(results), std::end(results)),
              (std::multiset<QString>{QStringLiteral("saved"), told}));
    // Whoever came first, the compilation is all of its save and none of the other's.
    const int winner = results[0] == QLatin1String("saved") ? AnswerYes : AnswerNo;
    EXPECT_EQ(Stored(compilations[0]), SavedBy(winner, "Anna"));
    EXPECT_EQ(Stored(compilations[1]), bruno);
}

TEST_P(TwoPrograms, ACompilationDeletedWhileOpenElsewhereIsNotSaved)
{
    const QStringList bruno = Stored(compilations[1]);
    Client deleting(db, "delete", QStringLiteral("Anna"), 0);
    Client saving(db, "save", QStringLiteral("Anna"), AnswerYes);
    ASSERT_TRUE(deleting.Ready());
    ASSERT_TRUE(saving.Ready());
    deleting.Go();
    EXPECT_EQ(deleting.Result(), QStringLiteral("deleted"));
    saving.Go();
    EXPECT_EQ(saving.Result(), QStringLiteral("warning: ") + OneLine(CompilationDeletedText()));
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1").arg(compilations[0])),
              0);
    EXPECT_EQ(Stored(compilations[0]), QStringList());
    EXPECT_EQ(Stored(compilations[1]), bruno);
}

// This program's editor on Anna's compilation while another connection
// deletes what the compilation rests on: the save is refused with a clear
// message and nothing else changes.
TEST_P(TwoClients, WhatTheEditorShowsDeletedElsewhereRefusesTheSave)
{
    // A question without answers, which may be deleted.
    db.AddQuestion(1, 1, 4, QStringLiteral("Domanda nuova"));
    const struct {
        const char* deleted;
        QString told;
    } cases[] = {
        {"DELETE FROM CompiledTables WHERE Description = 'Anna'", CompilationDeletedText()},
        {"DELETE FROM Children WHERE Name = 'Anna'", CompilationDeletedText()},
        {"DELETE FROM Teachers", CompilationDeletedText()},
        {"DELETE FROM Questions WHERE QuestionText = 'Domanda nuova'", QuestionsDeletedMeanwhileText()},
    };
    ScriptedDialogs dialogs;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleted);
        auto list = db.Db().OpenRecordset(CompilationsListSql());
        list->SetAbsolutePosition(1);
        ASSERT_EQ(list->GetFieldAsString(QStringLiteral("Description")), QStringLiteral("Anna"));
        TFormTableEdit editor(nullptr, *list, true);
        editor.show();
        for (int i = 0; i < editor.Questionnaire().QuestionCount(); ++i)
            editor.Questionnaire().SetAnswer(i, AnswerYes);
        {
            TNyConnection elsewhere;
            db.OpenSecondConnection(elsewhere);
            ASSERT_GT(elsewhere.Execute(QString::fromLatin1(c.deleted)), 0);
        }
        const QStringList left = StoredCompilations(db);
        DialogScript::ClearShown();
        editor.BitBtnOKClick();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{c.told});
        EXPECT_EQ(StoredCompilations(db), left) << "nothing changed by the refused save";
        DialogScript::PushAnswer(TBoxAnswer::Yes);
        editor.reject();
        // Put back for the next case.
        for (const char* table : {"CompiledTables", "Children", "Teachers"})
            db.Db().Execute(QStringLiteral("DELETE FROM ") + QLatin1String(table));
        AddRegister();
    }
}

} // namespace

INSTANTIATE_TEST_SUITE_P(, TwoPrograms, ::testing::Values(TestProvider::Server), ProviderName);
INSTANTIATE_FOR_EACH_PROVIDER(TwoClients);
