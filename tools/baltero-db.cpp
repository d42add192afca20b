// baltero-db: the administrator's command-line tool for Baltero's files.
// It runs the program's own code, so what it writes is what the program reads.
#include "AppPaths.h"
#include "DatabaseFile.h"
#include "Database.h"
#include "Exception.h"
#include "IntegrityCheck.h"
#include "LegacyQuestionFile.h"
#include "DatabaseLock.h"
#include "DatabaseTransfer.h"
#include "IniFile.h"
#include "MaintenanceMessages.h"
#include "NyConnection.h"
#include "PasswordTries.h"
#include "ReadableReportPdf.h"
#include "SchoolDataExport.h"
#include "Settings.h"
#include "StoredCompilationReport.h"
#include "TerminalPassword.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <QMap>
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
    // Options that take a value (a file) the command accepts.
    QStringList valueOptions = {};
};

// Passwords come from files or the terminal, never from the command line,
// where every user of the computer can read them.
const QString PasswordFileOption = QStringLiteral("--password-file");
const QString NewPasswordFileOption = QStringLiteral("--new-password-file");
const QString CopyPasswordFileOption = QStringLiteral("--copy-password-file");
const QString RemoveOption = QStringLiteral("--remove");
const QStringList ValueOptions{PasswordFileOption, NewPasswordFileOption, CopyPasswordFileOption};

// The value options given on this run.
QMap<QString, QString>& GivenValues()
{
    static QMap<QString, QString> values;
    return values;
}

// The first line of the file, without its line end.
QString ReadPasswordFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("%1: %2").arg(path, file.errorString()));
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        throw Exception(QStringLiteral("%1: the password file is empty.").arg(path));
    return QString::fromUtf8(line);
}

// Asks at the terminal when someone is there.
std::function<std::optional<QString>()> TerminalAsker(const QString& prompt)
{
    if (!InteractiveTerminal())
        return {};
    return [prompt] { return ReadPasswordFromTerminal(prompt); };
}

QString NeedsPasswordText(const QString& option)
{
    return QStringLiteral("the file does not open with the built-in password: give the database's password in a "
                          "file with %1 FILE (or run the command at a terminal to type it).")
        .arg(option);
}

// "Provider=..." names a database server (or a file) by its connection
// string; anything else is a database file.
bool IsConnectionString(const QString& text)
{
    return text.trimmed().startsWith(QLatin1String("provider="), Qt::CaseInsensitive);
}

// The file-only maintenance refuses a server, whose files and backups are
// its administrator's.
void RequireFile(const QString& store)
{
    if (IsConnectionString(store))
        throw Exception(QStringLiteral("this command works on a database file; the backups and passwords of a "
                                       "server database are its administrator's."));
}

// Opens the database with the password of --password-file, or the built-in
// one, or one typed at the terminal; a connection string opens the server
// it names (its password from the string, libpq's password file or
// environment).
void OpenWithPassword(const QString& path, TDatabase::TOpenFor purpose)
{
    if (IsConnectionString(path)) {
        TDatabase* database = TDatabase::GetInstance();
        database->SetConnectionTemplate(path);
        database->Open(QString(), purpose);
        return;
    }
    TDatabase* database = TDatabase::GetInstance();
    const QString file = GivenValues().value(PasswordFileOption);
    auto tellRecovery = [database] {
        const QString note = database->TakeRecoveryNote();
        if (!note.isEmpty())
            std::printf("%s\n", note.toLocal8Bit().constData());
        std::fflush(stdout);
    };
    WithPassword({file.isEmpty() ? TDatabase::Password() : ReadPasswordFile(file)},
                 [&](const QString& password) {
                     database->SetPassword(password);
                     OpenDatabaseFile(path, purpose);
                 },
                 file.isEmpty() ? TerminalAsker(QStringLiteral("Password del database:")) : nullptr, tellRecovery,
                 file.isEmpty() ? NeedsPasswordText(PasswordFileOption) : WrongPasswordText());
    tellRecovery();
}

// The new password of set-password: from its file, --remove, or typed twice.
QString NewPasswordOf(const QStringList& args)
{
    const QString file = GivenValues().value(NewPasswordFileOption);
    QString password;
    if (args.contains(RemoveOption)) {
        if (!file.isEmpty())
            throw Exception(QStringLiteral("%1 and %2 exclude each other.").arg(RemoveOption, NewPasswordFileOption));
        return QString();
    }
    if (!file.isEmpty()) {
        password = ReadPasswordFile(file);
    } else if (InteractiveTerminal()) {
        const std::optional<QString> first =
            ReadPasswordFromTerminal(QStringLiteral("Nuova password (vuota per togliere la password):"));
        const std::optional<QString> second =
            first ? ReadPasswordFromTerminal(QStringLiteral("Ripetere la nuova password:")) : std::nullopt;
        if (!second)
            throw Exception(PasswordNotGivenText());
        if (first->isEmpty() && second->isEmpty())
            return QString();
        const QString problem = NewPasswordProblem(*first, *second);
        if (!problem.isEmpty())
            throw Exception(problem);
        password = *first;
    } else {
        throw Exception(QStringLiteral("give the new password with %1 FILE, or %2 to go back to the built-in one.")
                            .arg(NewPasswordFileOption, RemoveOption));
    }
    const QString problem = NewPasswordProblem(password, password);
    if (!problem.isEmpty())
        throw Exception(problem);
    return password;
}

// A backup of the program's own database counts for its reminder at exit.
void RecordBackupOfOwnDatabase(const QString& databasePath)
{
    if (RealDatabasePath(databasePath) != RealDatabasePath(DatabaseFilePath())
        || !QFileInfo::exists(SettingsFilePath()))
        return;
    try {
        TIniFile settings(SettingsFilePath());
        TSettings::RecordBackupIn(settings, QDate::currentDate());
    } catch (const Exception&) {
        // The copy is made; only the reminder will come sooner.
    }
}

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

int CompilationKey(const QString& text)
{
    bool ok = false;
    const int id = text.toInt(&ok);
    if (!ok)
        throw Exception(QStringLiteral("'%1' is not a compilation key.").arg(text));
    return id;
}

// Opens the database a copy reads or writes. A file opens with password; a
// missing file is created first when mayCreate, and true says it was.
bool OpenStore(TNyConnection& connection, const QString& store, const QString& password, bool mayCreate)
{
    if (IsConnectionString(store)) {
        connection.Open(store);
        return false;
    }
    const bool create = mayCreate && !QFileInfo::exists(store);
    if (create)
        CreateDatabaseFile(store);
    connection.Open(QStringLiteral("Provider=SQLCipher;Data Source=%1;Password=%2")
                        .arg(QuoteConnectionValue(store), QuoteConnectionValue(password)));
    return create;
}

void CopyStores(const QString& from, const QString& to)
{
    const QString file = GivenValues().value(PasswordFileOption);
    // A file made by the copy keeps the password of the file copied.
    const QString password = file.isEmpty() ? TDatabase::Password() : ReadPasswordFile(file);
    TNyConnection source;
    OpenStore(source, from, password, false);
    TNyConnection target;
    const bool created = OpenStore(target, to, password, true);
    std::map<QString, int> copied;
    try {
        copied = CopyDatabaseContents(source, target);
    } catch (const Exception&) {
        target.Close();
        if (created)
            QFile::remove(to);
        throw;
    }
    for (const auto& [table, rows] : copied)
        std::printf("%-26s %d\n", qPrintable(table), rows);
}

const std::map<QString, Command>& Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("create"),
         {QStringLiteral("create [DBFILE | CONNECTION] [--with-example-questionnaire]"),
          QStringLiteral("create a new encrypted database file (never overwrites), or the tables on an empty "
                         "server database, optionally holding the example questionnaire"),
          1,
          [](const QStringList& args) {
              QString questionnaire;
              if (args.contains(WithExampleOption)) {
                  questionnaire = ExampleQuestionnaireFilePath();
                  if (questionnaire.isEmpty())
                      throw Exception(QStringLiteral("the example questionnaire was not found."));
              }
              if (IsConnectionString(args[0]))
                  CreateServerDatabase(args[0], questionnaire);
              else if (questionnaire.isEmpty())
                  CreateDatabaseFile(args[0]);
              else
                  CreateDatabaseWithQuestionnaire(args[0], questionnaire);
          },
          {WithExampleOption}, [] { return InMadeFolder(DatabaseFilePath()); }}},
        {QStringLiteral("import-questions"),
         {QStringLiteral("import-questions [DBFILE] QUESTIONFILE"),
          QStringLiteral("replace the questionnaire with a Baltero 1.x question file"), 2,
          [](const QStringList& args) {
              OpenWithPassword(args[0], TDatabase::TOpenFor::Writing);
              ReportingAs(ImportFailedText(), [&] { TDatabase::GetInstance()->ImportLegacyQuestions(args[1]); });
          },
          {}, DatabaseFilePath, {PasswordFileOption}}},
        {QStringLiteral("compact"),
         {QStringLiteral("compact [DBFILE]"),
          QStringLiteral("compact and check the database, keeping the previous file as .mdbbak"), 1,
          [](const QStringList& args) {
              OpenWithPassword(args[0], TDatabase::TOpenFor::Writing);
              ReportingAs(CompactFailedText(), [] { TDatabase::GetInstance()->CompactAndRepair(); });
              std::printf("%s\n", qPrintable(TDatabase::GetInstance()->UsesServer() ? ServerCompactDoneText()
                                                                                      : CompactDoneText()));
          },
          {}, DatabaseFilePath, {PasswordFileOption}}},
        {QStringLiteral("check"),
         {QStringLiteral("check [DBFILE | CONNECTION]"),
          QStringLiteral("check the file's integrity, or count a server's rows, and every reference; fails "
                         "unless all is sound"),
          1,
          [](const QStringList& args) {
              // Checking goes on while the program has the file open.
              OpenWithPassword(args[0], TDatabase::TOpenFor::Reading);
              TNyConnection& connection = TDatabase::GetInstance()->Connection();
              // A server answers for its own pages; its rows are counted.
              QStringList problems = connection.IsServer() ? QStringList() : IntegrityProblems(connection);
              problems << BrokenReferences(connection);
              if (!problems.isEmpty())
                  throw Exception(args[0] + QStringLiteral(": the database is damaged:\n") + problems.join(QLatin1Char('\n')));
              if (connection.IsServer()) {
                  for (const auto& [table, rows] : TableRowCounts(connection))
                      std::printf("%-26s %d\n", qPrintable(table), rows);
              }
              std::printf("ok\n");
          },
          {}, DatabaseFilePath, {PasswordFileOption}}},
        {QStringLiteral("copy"),
         {QStringLiteral("copy SOURCE TARGET"),
          QStringLiteral("copy everything, keys included, from one database into an empty one, in one "
                         "transaction; each is a file (a missing TARGET file is created) or a connection "
                         "string (\"Provider=PostgreSQL;Host=...;Database=...\")"),
          2, [](const QStringList& args) { CopyStores(args[0], args[1]); }, {}, {}, {PasswordFileOption}}},
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
              const int id = CompilationKey(args[1]);
              OpenWithPassword(args[0], TDatabase::TOpenFor::Reading);
              ExportStoredCompilationReport(id, args[2]);
          },
          {}, {}, {PasswordFileOption}}},
        {QStringLiteral("export-pdf"),
         {QStringLiteral("export-pdf DBFILE IDCOMPILATION OUTFILE"),
          QStringLiteral("write the readable report (Relazione) of a stored compilation as PDF"), 3,
          [](const QStringList& args) {
              const int id = CompilationKey(args[1]);
              OpenWithPassword(args[0], TDatabase::TOpenFor::Reading);
              ExportReadableReport(id, args[2]);
          },
          {}, {}, {PasswordFileOption}}},
        {QStringLiteral("export-csv"),
         {QStringLiteral("export-csv DBFILE FOLDER"),
          QStringLiteral("write the school's data as four CSV files into the folder, all or none"), 2,
          [](const QStringList& args) {
              if (!QFileInfo(args[1]).isDir())
                  throw Exception(QStringLiteral("%1: no such folder.").arg(args[1]));
              OpenWithPassword(args[0], TDatabase::TOpenFor::Reading);
              ExportSchoolData(args[1]);
          },
          {}, {}, {PasswordFileOption}}},
        {QStringLiteral("set-password"),
         {QStringLiteral("set-password [DBFILE] [--new-password-file FILE | --remove]"),
          QStringLiteral("protect the database with a password of its own, change it, or go back to the "
                         "built-in one (--remove); asks at the terminal when no file is given"),
          1,
          [](const QStringList& args) {
              RequireFile(args[0]);
              OpenWithPassword(args[0], TDatabase::TOpenFor::Writing);
              const QString password = NewPasswordOf(args);
              ReportingAs(PasswordChangeFailedText(), [&] { TDatabase::GetInstance()->ChangePassword(password); });
              std::printf("%s\n", qPrintable(password.isEmpty() ? PasswordRemovedText() : PasswordSetText()));
          },
          {RemoveOption}, DatabaseFilePath, {PasswordFileOption, NewPasswordFileOption}}},
        {QStringLiteral("backup"),
         {QStringLiteral("backup [DBFILE] FOLDER"),
          QStringLiteral("write a dated, checked copy of the database (same password) into the folder; "
                         "works while the program has the database open"),
          2,
          [](const QStringList& args) {
              RequireFile(args[0]);
              if (!QFileInfo(args[1]).isDir())
                  throw Exception(QStringLiteral("%1: no such folder.").arg(args[1]));
              OpenWithPassword(args[0], TDatabase::TOpenFor::Reading);
              QString copy;
              ReportingAs(BackupFailedText(), [&] {
                  copy = TDatabase::GetInstance()->BackupTo(args[1], QDateTime::currentDateTime());
              });
              RecordBackupOfOwnDatabase(args[0]);
              std::printf("%s\n", qPrintable(BackupDoneText(QDir::toNativeSeparators(copy)).replace(QLatin1String("\r\n"), QLatin1String("\n"))));
          },
          {}, DatabaseFilePath, {PasswordFileOption}}},
        {QStringLiteral("restore"),
         {QStringLiteral("restore [DBFILE] COPY"),
          QStringLiteral("put a checked copy in place of the database, keeping the previous one beside it "
                         "under a dated name (--copy-password-file FILE when the copy's password differs)"),
          2,
          [](const QStringList& args) {
              RequireFile(args[0]);
              OpenWithPassword(args[0], TDatabase::TOpenFor::Writing);
              TDatabase* database = TDatabase::GetInstance();
              const QString file = GivenValues().value(CopyPasswordFileOption);
              TDatabase::TCopySummary summary;
              QString copyPassword;
              ReportingAs(RestoreFailedText(), [&] {
                  copyPassword = WithPassword(
                      file.isEmpty() ? QStringList{database->CurrentPassword(), TDatabase::Password()}
                                     : QStringList{ReadPasswordFile(file)},
                      [&](const QString& password) { summary = database->InspectCopy(args[1], password); },
                      file.isEmpty() ? TerminalAsker(QStringLiteral("Password della copia:")) : nullptr, {},
                      file.isEmpty() ? NeedsPasswordText(CopyPasswordFileOption) : WrongPasswordText());
              });
              std::printf("%s: %d children, %d compilations\n", qPrintable(args[1]), summary.Children,
                          summary.Compilations);
              QString previous;
              ReportingAs(RestoreFailedText(), [&] {
                  previous = database->RestoreFrom(args[1], copyPassword, QDateTime::currentDateTime());
              });
              std::printf("%s\n", qPrintable(RestoreDoneText(QDir::toNativeSeparators(previous)).replace(QLatin1String("\r\n"), QLatin1String("\n"))));
          },
          {}, DatabaseFilePath, {PasswordFileOption, CopyPasswordFileOption}}},
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
    std::fprintf(out,
                 "\nA database protected by a password of its own opens with --password-file FILE (the\n"
                 "password is the file's first line) or, at a terminal, with the password typed when\n"
                 "asked. A password is never given on the command line.\n");
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
    for (qsizetype i = 0; i < args.size();) {
        if (!ValueOptions.contains(args[i])) {
            ++i;
            continue;
        }
        if (!command.valueOptions.contains(args[i]) || i + 1 >= args.size()) {
            std::fprintf(stderr, "Usage: baltero-db %s\n", qPrintable(command.usage));
            return 1;
        }
        GivenValues().insert(args[i], args[i + 1]);
        args.remove(i, 2);
    }
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
