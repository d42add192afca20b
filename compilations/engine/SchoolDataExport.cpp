#include "SchoolDataExport.h"

#include "Database.h"
#include "Exception.h"
#include "NumberFormat.h"
#include "NyQuery.h"
#include "Questions.h"
#include "Regional.h"
#include "SafeFile.h"
#include "StoredScores.h"

#include <QDir>
#include <QIODevice>
#include <unordered_map>

namespace {

// Written out whenever this much is gathered.
constexpr qsizetype kChunk = 1 << 20;

class TCsvWriter {
public:
    TCsvWriter(TSafeFileSet& files, const QString& path)
        : path_(path)
        , device_(files.Add(path))
    {
        if (!device_)
            throw Exception(files.Error());
        buffer_.reserve(kChunk + 4096);
        buffer_ += "\xEF\xBB\xBF";
    }

    // A header or data row of ready fields.
    void Row(const QStringList& fields)
    {
        buffer_ += fields.join(QLatin1Char(';')).toUtf8();
        EndRow();
    }
    void Append(const QByteArray& bytes) { buffer_ += bytes; }
    void EndRow()
    {
        buffer_ += "\r\n";
        if (buffer_.size() >= kChunk)
            Flush();
    }
    void Flush()
    {
        if (device_->write(buffer_) != buffer_.size())
            throw Exception(QDir::toNativeSeparators(path_) + QStringLiteral(": ") + device_->errorString());
        buffer_.clear();
    }

private:
    QString path_;
    QIODevice* device_;
    QByteArray buffer_;
};

QString DecimalComma(double value)
{
    QString text = FormatPoints(value);
    return text.replace(RegionalLocale().decimalPoint(), QStringLiteral(","));
}

// Day/month/year, and the time when the value has one.
QString CsvDate(TDateTime value, bool empty)
{
    if (empty)
        return QString();
    const QDateTime dateTime = QDateTimeFromDateTime(value);
    if (dateTime.time() == QTime(0, 0))
        return dateTime.toString(QStringLiteral("dd/MM/yyyy"));
    return dateTime.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

void WritePeople(TCsvWriter& writer, const QString& sql, bool withDate)
{
    TNyQuery query(TDatabase::GetInstance()->Connection(), sql);
    while (query.Next()) {
        QStringList fields{QString::number(query.Integer(0)), CsvField(query.Text(1))};
        int next = 2;
        if (withDate) {
            fields << CsvDate(query.DateTime(2), query.IsNull(2) || query.DateTime(2) == 0.0);
            next = 3;
        }
        fields << CsvField(query.Text(next));
        writer.Row(fields);
    }
}

} // namespace

QStringList SchoolDataFileNames()
{
    return {QStringLiteral("bambini.csv"), QStringLiteral("educatori.csv"), QStringLiteral("compilazioni.csv"),
            QStringLiteral("risposte.csv")};
}

QString CsvField(const QString& text)
{
    bool quote = false;
    for (const QChar c : text) {
        if (c == u';' || c == u'"' || c == u'\n' || c == u'\r') {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void ExportSchoolData(const QString& folder, const std::function<void(int done, int total)>& progress)
{
    const QDir dir(folder);
    const QStringList names = SchoolDataFileNames();
    TSafeFileSet files;
    TCsvWriter children(files, dir.filePath(names[0]));
    TCsvWriter teachers(files, dir.filePath(names[1]));
    TCsvWriter compilations(files, dir.filePath(names[2]));
    TCsvWriter answers(files, dir.filePath(names[3]));

    children.Row({QStringLiteral("id"), QStringLiteral("nome"), QStringLiteral("data di nascita"), QStringLiteral("note")});
    WritePeople(children, QStringLiteral("SELECT IDChild, Name, DateOfBirth, Info FROM Children ORDER BY IDChild"), true);
    teachers.Row({QStringLiteral("id"), QStringLiteral("nome"), QStringLiteral("note")});
    WritePeople(teachers, QStringLiteral("SELECT IDTeacher, Name, Info FROM Teachers ORDER BY IDTeacher"), false);

    TQuestions questionnaire;
    questionnaire.Load();

    QStringList header{QStringLiteral("id"), QStringLiteral("data"), QStringLiteral("id bambino"),
                       QStringLiteral("bambino"), QStringLiteral("et\u00e0 (mesi)"), QStringLiteral("id educatore"),
                       QStringLiteral("educatore"), QStringLiteral("descrizione")};
    for (const TArea& area : questionnaire.Areas)
        header << CsvField(area.Description);
    header << QStringLiteral("totale") << QStringLiteral("senza risposta");
    compilations.Row(header);
    answers.Row({QStringLiteral("compilazione"), QStringLiteral("area"), QStringLiteral("fase"),
                 QStringLiteral("ordine"), QStringLiteral("domanda"), QStringLiteral("risposta")});

    // Each question's fields after the compilation's key, quoted once.
    std::vector<QByteArray> questionFields;
    questionFields.reserve(questionnaire.QuestionList.size());
    for (const TQuestion& question : questionnaire.QuestionList) {
        const QString area = questionnaire.Areas[questionnaire.AreaIndex(question.IDArea)].Description;
        const QString phase = questionnaire.Phases[questionnaire.PhaseIndex(question.IDPhase)].Description;
        questionFields.push_back((QLatin1Char(';') + CsvField(area) + QLatin1Char(';') + CsvField(phase)
                                  + QLatin1Char(';') + QString::number(question.QuestionOrder) + QLatin1Char(';')
                                  + CsvField(question.QuestionText) + QLatin1Char(';'))
                                     .toUtf8());
    }
    std::vector<QByteArray> answerFields;
    for (std::uint8_t code : {AnswerYes, AnswerSometimes, AnswerNo, AnswerDontKnow})
        answerFields.push_back(TQuestions::AnswerText(code).toUtf8());

    std::unordered_map<int, TCompilationHeader> headers;
    for (TCompilationHeader& h : LoadCompilationHeaders(QString()))
        headers.emplace(h.IDCompiledTable, std::move(h));
    const int total = static_cast<int>(headers.size());
    int done = 0;
    if (progress)
        progress(0, total);
    ForEachStoredCompilation(questionnaire, QString(), [&](int id, const std::vector<bool>& stored) {
        const auto found = headers.find(id);
        if (found == headers.end())
            return; // a compilation without its child or educator
        const TCompilationHeader& h = found->second;
        const TScore score = questionnaire.Score();
        QStringList row{QString::number(id),
                        CsvDate(h.Date, false),
                        QString::number(h.IDChild),
                        CsvField(h.ChildName),
                        h.DateOfBirth == 0.0 || AgeInMonths(h.DateOfBirth, h.Date) < 0
                            ? QString()
                            : QString::number(AgeInMonths(h.DateOfBirth, h.Date)),
                        QString::number(h.IDTeacher),
                        CsvField(h.TeacherName),
                        CsvField(h.Description)};
        for (const TAreaScore& area : score.Areas)
            row << DecimalComma(area.Points);
        row << DecimalComma(score.Total) << QString::number(score.Unanswered);
        compilations.Row(row);

        const QByteArray key = QByteArray::number(id);
        for (std::size_t q = 0; q < stored.size(); ++q) {
            if (!stored[q])
                continue;
            answers.Append(key);
            answers.Append(questionFields[q]);
            const std::uint8_t answer = questionnaire.QuestionList[q].Answer;
            if (answer != AnswerNone)
                answers.Append(answerFields[answer]);
            answers.EndRow();
        }
        ++done;
        if (progress && (done % 20 == 0 || done == total))
            progress(done, total);
    });

    for (TCsvWriter* writer : {&children, &teachers, &compilations, &answers})
        writer->Flush();
    const QString failure = files.Commit();
    if (!failure.isEmpty())
        throw Exception(failure);
}
