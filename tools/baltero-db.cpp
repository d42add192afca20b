// baltero-db: the administrator's command-line tool for Baltero's files.
// It runs the program's own code, so what it writes is what the program reads.
#include "DatabaseFile.h"
#include "Database.h"
#include "Exception.h"
#include "StoredCompilationReport.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <map>

namespace {

struct Command {
    QString usage;
    QString summary;
    int argumentCount;
    std::function<void(const QStringList&)> run;
};

const std::map<QString, Command>& Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("create"),
         {QStringLiteral("create DBFILE"),
          QStringLiteral("create a new encrypted database from the schema (never overwrites)"), 1,
          [](const QStringList& args) { CreateDatabaseFile(args[0]); }}},
        {QStringLiteral("create-settings"),
         {QStringLiteral("create-settings INIFILE"),
          QStringLiteral("write the delivered settings file (never overwrites)"), 1,
          [](const QStringList& args) { CreateSettingsFile(args[0]); }}},
        {QStringLiteral("export-report"),
         {QStringLiteral("export-report DBFILE IDCOMPILEDTABLE HTMLFILE"),
          QStringLiteral("write the HTML report of a stored compilation"), 3,
          [](const QStringList& args) {
              bool ok = false;
              const int id = args[1].toInt(&ok);
              if (!ok)
                  throw Exception(QStringLiteral("'%1' is not a compilation key.").arg(args[1]));
              OpenDatabaseFile(args[0]);
              ExportStoredCompilationReport(id, args[2]);
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
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
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
    if (args.size() != command.argumentCount) {
        std::fprintf(stderr, "Usage: baltero-db %s\n", qPrintable(command.usage));
        return 1;
    }
    try {
        command.run(args);
    } catch (const Exception& e) {
        std::fprintf(stderr, "baltero-db: %s\n", e.Message().toLocal8Bit().constData());
        TDatabase::ReleaseInstance();
        return 1;
    }
    TDatabase::ReleaseInstance();
    return 0;
}
