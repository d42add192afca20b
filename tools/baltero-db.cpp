// baltero-db: the administrator's command-line tool for Baltero's files.
// It runs the program's own code, so what it writes is what the program reads.
#include "AppPaths.h"
#include "DatabaseFile.h"
#include "Database.h"
#include "Exception.h"
#include "IntegrityCheck.h"
#include "LegacyQuestionFile.h"
#include "MaintenanceMessages.h"
#include "ReadableReportPdf.h"
#include "SchoolDataExport.h"
#include "StoredCompilationReport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

namespace {

struct Command {
    QString usage;
    QString summary;
    int argumentCount;
    std::function<void(const QStringList&)> run;
    // Switches the command accepts after its arguments; run receives the
    // ones given after the arguments.
    QStringList options = {};
    // The file the first argument names when it is left out: the program's
    // own database or settings file (empty: the argument is required).
    std::function<QString()> defaultFirst = {};
};

// The user's own folders do not exist before the program's first start: a
// file created there by default gets its folder first.
QString InMadeFolder(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

const QString WithExampleOption = QStringLiteral("--with-example-questionnaire");

// The maintenance commands report as the main window does: its warning
// text, then the exception's message.
template <typename Work>
void ReportingAs(const QString& failureText, Work work)
{
    try {
        work();
    } catch (const Exception& e) {
        throw Exception(failureText + e.Message());
    }
}

const std::map<QString, Command>& Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("create"),
         {QStringLiteral("create [DBFILE] [--with-example-questionnaire]"),
          QStringLiteral("create a new encrypted database from the schema (never overwrites), "
                         "optionally holding the example questionnaire that comes with the program"),
          1,
          [](const QStringList& args) {
              if (!args.contains(WithExampleOption)) {
                  CreateDatabaseFile(args[0]);
                  return;
              }
              const QString questionnaire = ExampleQuestionnaireFilePath();
              if (questionnaire.isEmpty())
                  throw Exception(QStringLiteral("the example questionnaire was not found."));
              CreateDatabaseWithQuestionnaire(args[0], questionnaire);
          },
          {WithExampleOption}, [] { return InMadeFolder(DatabaseFilePath()); }}},
        {QStringLiteral("import-questions"),
         {QStringLiteral("import-questions [DBFILE] QUESTIONFILE"),
          QStringLiteral("replace the questionnaire with a Baltero 1.x question file"), 2,
          [](const QStringList& args) {
              OpenDatabaseFile(args[0]);
              ReportingAs(ImportFailedText(), [&] { TDatabase::GetInstance()->ImportLegacyQuestions(args[1]); });
          },
          {}, DatabaseFilePath}},
        {QStringLiteral("compact"),
         {QStringLiteral("compact [DBFILE]"),
          QStringLiteral("compact and check the database, keeping the previous file as .mdbbak"), 1,
          [](const QStringList& args) {
              OpenDatabaseFile(args[0]);
              ReportingAs(CompactFailedText(), [] { TDatabase::GetInstance()->CompactAndRepair(); });
              std::printf("%s\n", qPrintable(CompactDoneText()));
          },
          {}, DatabaseFilePath}},
        {QStringLiteral("check"),
         {QStringLiteral("check [DBFILE]"),
          QStringLiteral("run the engine's integrity check; fails unless the file is sound"), 1,
          [](const QStringList& args) {
              // Checking goes on while the program has the file open.
              OpenDatabaseFile(args[0], TDatabase::TOpenFor::Reading);
              const QStringList problems = IntegrityProblems(TDatabase::GetInstance()->Connection());
              if (!problems.isEmpty())
                  throw Exception(args[0] + QStringLiteral(": the database is damaged:\n") + problems.join(QLatin1Char('\n')));
              std::printf("ok\n");
          },
          {}, DatabaseFilePath}},
        {QStringLiteral("create-settings"),
         {QStringLiteral("create-settings [INIFILE]"),
          QStringLiteral("write the delivered settings file (never overwrites)"), 1,
          [](const QStringList& args) {
              CreateSettingsFile(args[0]);
          },
          {}, [] { return InMadeFolder(SettingsFilePath()); }}},
        {QStringLiteral("export-report"),
         {QStringLiteral("export-report [DBFILE] IDCOMPILEDTABLE HTMLFILE"),
          QStringLiteral("write the HTML report of a stored compilation"), 3,
          [](const QStringList& args) {
              bool ok = false;
              const int id = args[1].toInt(&ok);
              if (!ok)
                  throw Exception(QStringLiteral("'%1' is not a compilation key.").arg(args[1]));
              OpenDatabaseFile(args[0], TDatabase::TOpenFor::Reading);
              ExportStoredCompilationReport(id, args[2]);
          }}},
        {QStringLiteral("export-pdf"),
         {QStringLiteral("export-pdf DBFILE IDCOMPILATION OUTFILE"),
          QStringLiteral("write the readable report (Relazione) of a stored compilation as PDF"), 3,
          [](const QStringList& args) {
              bool ok = false;
              const int id = args[1].toInt(&ok);
              if (!ok)
                  throw Exception(QStringLiteral("'%1' is not a compilation key.").arg(args[1]));
              OpenDatabaseFile(args[0], TDatabase::TOpenFor::Reading);
              ExportReadableReport(id, args[2]);
          }}},
        {QStringLiteral("export-csv"),
         {QStringLiteral("export-csv DBFILE FOLDER"),
          QStringLiteral("write the school's data as four CSV files into the folder, all or none"), 2,
          [](const QStringList& args) {
              if (!QFileInfo(args[1]).isDir())
                  throw Exception(QStringLiteral("%1: no such folder.").arg(args[1]));
              OpenDatabaseFile(args[0], TDatabase::TOpenFor::Reading);
              ExportSchoolData(args[1]);
          }}},
    };
    return commands;
}

void PrintHelp(std::FILE* out)
{
    std::fprintf(out, "Usage: baltero-db COMMAND ARGUMENTS...\n\nCommands:\n");
    for (const auto& [name, command] : Commands())
        std::fprintf(out, "  %-45s %s\n", qPrintable(command.usage), qPrintable(command.summary));
    std::fprintf(out, "  %-45s %s\n", "--help", "show this help");
    std::fprintf(out,
                 "\nA DBFILE or INIFILE left out is the program's own: the one beside this tool when a\n"
                 "Baltero.ini stands there, otherwise the user's (%s, %s).\n",
                 qPrintable(DatabaseFilePath()), qPrintable(SettingsFilePath()));
}

} // namespace

int main(int argc, char** argv)
{
    // The PDF needs fonts, which come with the graphical application; it
    // draws on no screen, so it runs where there is none (a server, cron).
    const bool drawsPdf = argc > 1 && qstrcmp(argv[1], "export-pdf") == 0;
    if (drawsPdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application;
    if (drawsPdf)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    // The files are those of the program beside this tool.
    SetProgramFilePath(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Baltero")));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        PrintHelp(stderr);
        return 1;
    }
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        PrintHelp(stdout);
        return 0;
    }
    const QString name = args.takeFirst();
    const auto found = Commands().find(name);
    if (found == Commands().end()) {
        std::fprintf(stderr, "baltero-db: unknown command '%s'\n\n", qPrintable(name));
        PrintHelp(stderr);
        return 1;
    }
    const Command& command = found->second;
    QStringList options;
    for (qsizetype i = args.size() - 1; i >= 0; --i) {
        if (!args[i].startsWith(QLatin1String("--")))
            continue;
        if (!command.options.contains(args[i])) {
            std::fprintf(stderr, "Usage: baltero-db %s\n", qPrintable(command.usage));
            return 1;
        }
        options.prepend(args.takeAt(i));
    }
    if (args.size() == command.argumentCount - 1 && command.defaultFirst) {
        args.prepend(command.defaultFirst());
        std::printf("baltero-db: using %s\n", qPrintable(args.first()));
        std::fflush(stdout);
    }
    if (args.size() != command.argumentCount) {
        std::fprintf(stderr, "Usage: baltero-db %s\n", qPrintable(command.usage));
        return 1;
    }
    try {
        command.run(args + options);
    } catch (const Exception& e) {
        // The program's messages break lines as its message boxes do.
        QString message = e.Message();
        message.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        std::fprintf(stderr, "baltero-db: %s\n", message.toLocal8Bit().constData());
        TDatabase::ReleaseInstance();
        return 1;
    }
    TDatabase::ReleaseInstance();
    return 0;
}
