// baltero-db: the administrator's command-line tool for Baltero's files.
// It runs the program's own code, so what it writes is what the program reads.
#include "DatabaseFile.h"
#include "Exception.h"

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
        return 1;
    }
    return 0;
}
