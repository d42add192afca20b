// baltero-bench's memory child: Baltero's windows on the big school, the
// compilations list and the editor open, then the peak resident memory in
// kB on standard output. Linked as the program is, so that what it loads at
// start is what Baltero loads.
//   baltero-bench-memory FILE   (or the server BALTERO_BENCH_MEMORY_SERVER names)
#include "Database.h"
#include "DatabaseFile.h"
#include "Settings.h"
#include "UnitTableEdit.h"
#include "UnitTables.h"

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <memory>

namespace {

long PeakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void Settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: baltero-bench-memory FILE\n");
        return 2;
    }
    try {
        TSettings::GetInstance()->SetAutoAdvancing(true);
        if (qEnvironmentVariableIsSet("BALTERO_BENCH_MEMORY_SERVER")) {
            TDatabase* database = TDatabase::GetInstance();
            database->SetConnectionTemplate(qEnvironmentVariable("BALTERO_BENCH_MEMORY_SERVER"));
            database->Open(QString());
        } else {
            OpenDatabaseFile(app.arguments()[1]);
        }
        auto* list = new TFormTables(nullptr);
        list->show();
        Settle();
        list->Recordset()->SetAbsolutePosition(1);
        auto editor = std::make_unique<TFormTableEdit>(list, *list->Recordset(), true);
        editor->show();
        Settle();
        std::printf("%ld\n", PeakResidentKb());
        editor.reset();
        delete list;
        TDatabase::GetInstance()->Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "baltero-bench-memory: %s\n", e.what());
        return 1;
    }
    return 0;
}
