// Importing a Baltero 1.x question file into a real encrypted database and
// into a database on the server.
#include "ExampleQuestionnaire.h"
#include "Exception.h"
#include "NyRecordset.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class LegacyImport : public ProviderTest {
protected:
    TestDatabase db{GetParam()};

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = db.Path(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write the question file");
        return path;
    }

    QStringList Rows(const QString& sql) { return db.Rows(sql); }

    QStringList Areas() { return Rows(QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea")); }
    QStringList Phases() { return Rows(QStringLiteral("SELECT IDPhase, Description FROM Phases ORDER BY IDPhase")); }
    QStringList Questions()
    {
        return Rows(QStringLiteral(
            "SELECT IDQuestion, QuestionText, IDArea, IDPhase, QuestionOrder FROM Questions ORDER BY IDQuestion"));
    }
    QStringList Questionnaire() { return Areas() + Phases() + Questions(); }

    // A questionnaire that an import must either replace completely or
    // leave exactly as it is.
    void AddPreviousQuestionnaire()
    {
        db.AddArea(7, QStringLiteral("Area precedente"));
        db.AddPhase(3, QStringLiteral("Fase precedente"));
        db.AddQuestion(7, 3, 1, QStringLiteral("Domanda precedente"));
        db.AddQuestion(7, 3, 2, QStringLiteral("Altra domanda precedente"));
    }

    QString ImportFailure(const QString& path)
    {
        try {
            db.Db().ImportLegacyQuestions(path);
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString();
    }
};

const QByteArray WorkedExample = "*Linguaggio\r\n"
                                 "#Fase uno\r\n"
                                 "Dice il suo nome?\r\n"
                                 "Indica gli oggetti?\r\n"
                                 "#Fase due\r\n"
                                 "Racconta una storia?\r\n"
                                 "*Motricit\xe0\r\n"
                                 "#Prima fase\r\n"
                                 "Sale le scale?\r\n";

} // namespace

TEST_P(LegacyImport, WorkedExampleRowForRowReplacingThePreviousQuestionnaire)
{
    AddPreviousQuestionnaire();
    db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("esempio.ini"), WorkedExample));

    EXPECT_EQ(Areas(), (QStringList{QStringLiteral("1|Linguaggio"), QStringLiteral("2|Motricit\u00e0")}));
    EXPECT_EQ(Phases(), (QStringList{QStringLiteral("1|Prima fase"), QStringLiteral("2|Fase due")}));
    EXPECT_EQ(Questions(), (QStringList{
                               QStringLiteral("0|Dice il suo nome?|1|1|1"),
                               QStringLiteral("1|Indica gli oggetti?|1|1|2"),
                               QStringLiteral("2|Racconta una storia?|1|2|1"),
                               QStringLiteral("3|Sale le scale?|2|1|1"),
                           }));
    // Nothing is left of a transaction once the import has returned.
    EXPECT_EQ(db.Db().Connection().TransactionLevel(), 0);
}

TEST_P(LegacyImport, FilesWithoutImportableLinesEmptyTheQuestionnaire)
{
    for (const QByteArray& content : {QByteArray(), QByteArray("\r\n  \r\n\t\n"), QByteArray("Solo testo\r\n#Fase\r\n")}) {
        AddPreviousQuestionnaire();
        db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("vuoto.ini"), content));
        EXPECT_TRUE(Questionnaire().isEmpty()) << content.toStdString();
    }
}

TEST_P(LegacyImport, QuestionsBeforeTheFirstPhaseAreDroppedButTheAreaStays)
{
    db.Db().ImportLegacyQuestions(
        WriteFile(QStringLiteral("q.ini"), "*Area senza fasi\nDomanda persa\n*Area\nAncora persa\n#Fase\nTenuta\n"));
    EXPECT_EQ(Areas(), (QStringList{QStringLiteral("1|Area senza fasi"), QStringLiteral("2|Area")}));
    EXPECT_EQ(Phases(), QStringList{QStringLiteral("1|Fase")});
    EXPECT_EQ(Questions(), QStringList{QStringLiteral("0|Tenuta|2|1|1")});
}

TEST_P(LegacyImport, CapacitiesOfAreasPhasesAndQuestions)
{
    // 51 areas; the 51st area line is dropped and its lines go to the 50th.
    QByteArray content;
    for (int a = 1; a <= 51; ++a)
        content += QStringLiteral("*Area %1\n#Fase\nDomanda dell'area %1\n").arg(a).toUtf8();
    db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("aree.ini"), content));
    EXPECT_EQ(db.Count(QStringLiteral("Areas")), 50);
    EXPECT_EQ(Rows(QStringLiteral("SELECT IDArea, IDPhase, QuestionOrder FROM Questions WHERE IDQuestion = 50")),
              QStringList{QStringLiteral("50|2|1")});
    EXPECT_EQ(db.Count(QStringLiteral("Phases")), 2);

    // 51 phases in one area: the 51st is dropped, its question joins the 50th.
    content = "*Area\n";
    for (int p = 1; p <= 51; ++p)
        content += QStringLiteral("#Fase %1\nDomanda %1\n").arg(p).toUtf8();
    db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("fasi.ini"), content));
    EXPECT_EQ(db.Count(QStringLiteral("Phases")), 50);
    EXPECT_EQ(db.Db().Lookup(QStringLiteral("SELECT Description FROM Phases WHERE IDPhase = 50"), QStringLiteral("Description")),
              QStringLiteral("Fase 50"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT QuestionText, IDPhase, QuestionOrder FROM Questions WHERE IDQuestion >= 49")),
              (QStringList{QStringLiteral("Domanda 50|50|1"), QStringLiteral("Domanda 51|50|2")}));

    // 1001 questions: identifiers 0 to 999, one cell numbered 1 to 1000.
    content = "*Area\n#Fase\n";
    for (int q = 1; q <= 1001; ++q)
        content += QStringLiteral("Domanda %1\n").arg(q).toUtf8();
    db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("domande.ini"), content));
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) AS N, MIN(IDQuestion) AS A, MAX(IDQuestion) AS B, "
                                  "MAX(QuestionOrder) AS C FROM Questions")),
              QStringList{QStringLiteral("1000|0|999|1000")});
    EXPECT_EQ(db.Db().Lookup(QStringLiteral("SELECT QuestionText FROM Questions WHERE IDQuestion = 999"),
                        QStringLiteral("QuestionText")),
              QStringLiteral("Domanda 1000"));
}

TEST_P(LegacyImport, ApostrophesAndQuotesAreStoredUnchanged)
{
    db.Db().ImportLegacyQuestions(WriteFile(
        QStringLiteral("apostrofi.ini"), "*L'area dell'io\n#Fase d'inizio\nDov'\xe8 l'orso?\n'Ciao', dice; -- \"ok\"\n"));
    EXPECT_EQ(Areas(), QStringList{QStringLiteral("1|L'area dell'io")});
    EXPECT_EQ(Phases(), QStringList{QStringLiteral("1|Fase d'inizio")});
    EXPECT_EQ(Questions(), (QStringList{QStringLiteral("0|Dov'\u00e8 l'orso?|1|1|1"),
                                        QStringLiteral("1|'Ciao', dice; -- \"ok\"|1|1|2")}));
}

TEST_P(LegacyImport, TextsThatLookLikePlaceholdersAreStoredAsWritten)
{
    const QString texts[] = {
        QStringLiteral("Riconosce il 50%3 dei colori?"),
        QStringLiteral("%1"),
        QStringLiteral("%%"),
        QStringLiteral("%L1 e %L2"),
        QStringLiteral("'%5' %4%3%2%1 %99"),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const QString file = QStringLiteral("*A %1\n#F %1\n%1\n%1!\n").replace(QStringLiteral("%1"), text);
        db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("percento.ini"), file.toUtf8()));
        EXPECT_EQ(Questionnaire(), (QStringList{
                                       QStringLiteral("1|A ") + text,
                                       QStringLiteral("1|F ") + text,
                                       QStringLiteral("0|") + text + QStringLiteral("|1|1|1"),
                                       QStringLiteral("1|") + text + QStringLiteral("!|1|1|2"),
                                   }));
    }
}

TEST_P(LegacyImport, AccentedTextInWindows1252AndInUtf8)
{
    const QString area = QStringLiteral("Socialit\u00e0 \u2013 \u201cautonomia\u201d");
    const QString question = QStringLiteral("Perch\u00e9 pu\u00f2 andare gi\u00f9? Costa 5 \u20ac");
    const QString text = QStringLiteral("*%1\r\n#Fase\r\n%2\r\n").arg(area, question);

    QByteArray windows1252;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const char* special = u == 0x2013 ? "\x96" : u == 0x201c ? "\x93" : u == 0x201d ? "\x94" : u == 0x20ac ? "\x80" : nullptr;
        windows1252 += special ? QByteArray(special) : QByteArray(1, static_cast<char>(u));
    }
    for (const QByteArray& bytes : {windows1252, text.toUtf8(), QByteArray("\xef\xbb\xbf") + text.toUtf8()}) {
        db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("accenti.ini"), bytes));
        EXPECT_EQ(Areas(), QStringList{QStringLiteral("1|") + area});
        EXPECT_EQ(Questions(), QStringList{QStringLiteral("0|%1|1|1|1").arg(question)});
    }
}

TEST_P(LegacyImport, AnswersOfCompilationsRefuseTheImportAndKeepEverything)
{
    AddPreviousQuestionnaire();
    const int question = db.AddQuestion(7, 3, 3, QStringLiteral("Domanda risposta"));
    const int compilation = db.AddCompilation(db.AddChild(QStringLiteral("Anna")), db.AddTeacher(QStringLiteral("Bea")),
                                              QStringLiteral("Prima osservazione"));
    db.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) "
                                   "VALUES(%1, %2, 0)")
                        .arg(compilation)
                        .arg(question));
    const QStringList before = Questionnaire();

    const QString message = ImportFailure(WriteFile(QStringLiteral("esempio.ini"), WorkedExample));
    EXPECT_TRUE(message.startsWith(QStringLiteral("NYADO exception: TNyConnection::Execute: "))) << message.toStdString();
    EXPECT_TRUE(message.contains(db.EngineText("FOREIGN KEY", "foreign key"))) << message.toStdString();
    EXPECT_EQ(Questionnaire(), before);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers")), 1);
    EXPECT_EQ(db.Db().Connection().TransactionLevel(), 0);
}

TEST_P(LegacyImport, AFailingStatementMidWayLeavesThePreviousQuestionnaire)
{
    AddPreviousQuestionnaire();
    const QStringList before = Questionnaire();
    // The engine refuses one row as a full disk or a broken file would.
    db.RefuseRows("INSERT", QStringLiteral("Questions"), QStringLiteral("NEW.IDQuestion = 2"),
                  QStringLiteral("database or disk is full"));
    const QString message = ImportFailure(WriteFile(QStringLiteral("esempio.ini"), WorkedExample));
    EXPECT_TRUE(message.contains(QStringLiteral("database or disk is full"))) << message.toStdString();
    EXPECT_EQ(Questionnaire(), before);

    // A refused phase is a failure too, not a duplicate to skip.
    db.StopRefusing();
    db.RefuseRows("INSERT", QStringLiteral("Phases"), QStringLiteral("NEW.IDPhase = 2"), QStringLiteral("disk I/O error"));
    EXPECT_FALSE(ImportFailure(WriteFile(QStringLiteral("esempio.ini"), WorkedExample)).isEmpty());
    EXPECT_EQ(Questionnaire(), before);

    // And the database takes a good import afterwards.
    db.StopRefusing();
    db.Db().ImportLegacyQuestions(WriteFile(QStringLiteral("esempio.ini"), WorkedExample));
    EXPECT_EQ(Questions().size(), 4);
}

TEST_P(LegacyImport, UnreadableFilesChangeNothing)
{
    AddPreviousQuestionnaire();
    const QStringList before = Questionnaire();
    const QString missing = db.Path(QStringLiteral("non-esiste.ini"));
    EXPECT_TRUE(ImportFailure(missing).contains(missing));
    EXPECT_FALSE(ImportFailure(db.Path(QString())).isEmpty()); // the folder itself
    EXPECT_FALSE(ImportFailure(WriteFile(QStringLiteral("binario.ini"), QByteArray("*A\0\0#B\nC", 9))).isEmpty());
    EXPECT_EQ(Questionnaire(), before);
}

TEST_P(LegacyImport, ExampleQuestionnaireShippedWithTheProgram)
{
    QFile file(QStringLiteral(BALTERO_EXAMPLE_QUESTIONNAIRE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Written in the earlier version's code page, as its files were.
    EXPECT_TRUE(bytes.contains("Motricit\xe0 globale\r\n"));

    db.Db().ImportLegacyQuestions(file.fileName());
    EXPECT_GE(db.Count(QStringLiteral("Areas")), 5);
    EXPECT_GE(db.Count(QStringLiteral("Phases")), 4);
    EXPECT_GE(db.Count(QStringLiteral("Questions")), 80);
    EXPECT_EQ(Areas().first(), QStringLiteral("1|Motricit\u00e0 globale"));
    EXPECT_EQ(Phases().first(), QStringLiteral("1|0\u201312 mesi"));
    // Every area asks something in every phase.
    EXPECT_EQ(db.Count(QStringLiteral("(SELECT DISTINCT IDArea, IDPhase FROM Questions) AS Cells")),
              db.Count(QStringLiteral("Areas")) * db.Count(QStringLiteral("Phases")));
}

// The file carries no ages (an earlier program reads it as ever); the example
// database gets them afterwards, only for phases still as the example has them.
TEST_P(LegacyImport, ExamplePhaseAgesGoOnlyToTheExamplesOwnPhases)
{
    db.Db().ImportLegacyQuestions(QStringLiteral(BALTERO_EXAMPLE_QUESTIONNAIRE));
    const QString ages = QStringLiteral("SELECT IDPhase, AgeFromMonths, AgeToMonths FROM Phases ORDER BY IDPhase");
    EXPECT_EQ(Rows(ages), QStringList({"1||", "2||", "3||", "4||", "5||"}));
    db.Db().Execute(QStringLiteral("UPDATE Phases SET Description = 'Seconda fase' WHERE IDPhase = 2"));

    SetExamplePhaseAgeRanges(db.Db());
    EXPECT_EQ(Rows(ages), QStringList({"1|0|11", "2||", "3|24|35", "4|36|47", "5|48|71"}));
}

INSTANTIATE_FOR_EACH_PROVIDER(LegacyImport);
